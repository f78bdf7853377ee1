#!/usr/bin/env bash
# Builds the fuzz target of the XML document load with clang (libFuzzer, ASan, UBSan) and runs it
# for a short while: scripts/fuzz-xml.sh [seconds, default 60]. A crash stops it with the input saved.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
seconds="${1:-60}"
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXUNDA_SANITIZE=ON \
  -DXUNDA_GUI=OFF -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target fuzz_xml_load -j3
corpus="$build/fuzz-xml-corpus"
mkdir -p "$corpus"
cp -n tests/xml/fuzz/seeds/* "$corpus"/
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$build/tests/xml/fuzz/fuzz_xml_load" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=4096 \
  -dict=tests/xml/fuzz/xml.dict -artifact_prefix="$build/" "$corpus"
