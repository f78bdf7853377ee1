#!/usr/bin/env bash
# start-client.sh <build folder>: starts the simulator if needed, then the client.
set -euo pipefail
build=$1
shift
host=${XUNDA_SMS_HOST:-127.0.0.1:8360}
port=${host##*:}
sim=$build/tools/sms-sim/xunda-sms-sim
client=$build/src/app/xunda-sms
if [ -x "$sim" ] && ! (exec 3<>/dev/tcp/127.0.0.1/"$port") 2>/dev/null; then
  "$sim" --port "$port" --account demo:demo:10001:g1:p1 &
  sim_pid=$!
  trap 'kill $sim_pid 2>/dev/null' EXIT
  echo "SMS service simulator on 127.0.0.1:$port (account demo / demo)"
fi
if [ ! -x "$client" ]; then
  echo "The client program is not built yet ($client)." >&2
  exit 1
fi
"$client" "$@"
