#!/usr/bin/env bash
# Builds the engine tests with ThreadSanitizer in build/tsan and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/tsan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DXUNDA_TSAN=ON -DXUNDA_GUI=OFF \
  -DXUNDA_WERROR="${XUNDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" --target test_engine -j "${JOBS:-$(nproc)}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
# The engine's folder of the build holds exactly the tests of test_engine.
ctest --test-dir "$build/tests/engine" --output-on-failure -j "${JOBS:-$(nproc)}" "$@"
