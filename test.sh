#!/usr/bin/env bash
# Installs what is missing, builds Debug with AddressSanitizer + UndefinedBehaviorSanitizer, runs every test.
# XUNDA_WERROR=ON in the environment (as CI sets it) makes compiler warnings errors.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
build=build/debug
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DXUNDA_SANITIZE=ON -DXUNDA_GUI=ON \
  -DXUNDA_WERROR="${XUNDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j "$(nproc)"
# Each test sets up its own environment and sanitizer options (tests/support/private_home.cpp).
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
