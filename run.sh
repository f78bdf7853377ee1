#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it; starts the local SMS service
# simulator with a demo account when nothing listens on the service port yet.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXUNDA_GUI=ON >/dev/null
# Only what it starts: the client and the simulator, not the tests.
cmake --build "$build" -j "$(nproc)" --target xunda-sms xunda-sms-sim
exec ./scripts/start-client.sh "$build" "$@"
