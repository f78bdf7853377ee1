#!/usr/bin/env bash
# Builds the fuzz targets of the XML reading side with clang (libFuzzer, ASan, UBSan) and runs each
# for a short while: the document load, then the differential check of the codec and of the load in
# each encoding. scripts/fuzz-xml.sh [seconds per target, default 60]. A crash or a disagreement
# stops it with the input saved.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
seconds="${1:-60}"
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXUNDA_SANITIZE=ON \
  -DXUNDA_GUI=OFF -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target fuzz_xml_load fuzz_xml_differential -j3
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in fuzz_xml_load fuzz_xml_differential; do
  corpus="$build/$target-corpus"
  mkdir -p "$corpus"
  cp -n tests/xml/fuzz/seeds/* "$corpus"/
  "$build/tests/xml/fuzz/$target" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=4096 \
    -dict=tests/xml/fuzz/xml.dict -artifact_prefix="$build/$target-" "$corpus"
done
