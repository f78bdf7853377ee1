#!/usr/bin/env bash
# Builds the engine tests and the XML tests (nodes made on one thread, freed on another) with
# ThreadSanitizer in build/tsan and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/tsan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DXUNDA_TSAN=ON -DXUNDA_GUI=OFF \
  -DXUNDA_WERROR="${XUNDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" --target test_engine test_xml -j "${JOBS:-$(nproc)}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
# Each test folder of the build holds exactly the tests of its target.
for tests in engine xml; do
  ctest --test-dir "$build/tests/$tests" --output-on-failure -j "${JOBS:-$(nproc)}" "$@"
done
