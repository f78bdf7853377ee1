#!/usr/bin/env bash
# The kill-9 drill: 20,000 queued rows are sent to the service simulator by the real send engine
# (tools/send-drill), which is killed with SIGKILL at 10 random moments and restarted each time;
# the simulator loses every 25th reply (no reply, a reply broken off, a reply too late).
# At the end: no number sent twice, no row lost, every row either in the history (sent once) or
# flagged possibly sent (-4) and named so in the log, and PRAGMA integrity_check ok.
#     scripts/kill-drill.sh [build folder, default build/debug] [rows] [kills]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/debug}
rows=${2:-20000}
kills=${3:-10}
cmake --build "$build" --target xunda-send-drill >/dev/null
drill=$build/tools/send-drill/xunda-send-drill
work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export XUNDA_SMS_HOME=$work/home HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export XUNDA_SMS_HOST=127.0.0.1:$port

"$drill" serve "$port" "$work/sent.txt" 25 >"$work/server.log" &
server=$!
for _ in $(seq 100); do grep -q listening "$work/server.log" && break; sleep 0.1; done
"$drill" seed "$rows"

start=$(date +%s)
for kill in $(seq "$kills"); do
    "$drill" send 2>>"$work/client.err" &
    client=$!
    sleep "$(python3 -c 'import random; print(round(random.uniform(0.3, 3.0), 2))')"
    if kill -9 "$client" 2>/dev/null; then echo "kill $kill"; else echo "kill $kill: the run had ended"; fi
    wait "$client" 2>/dev/null || true
done
"$drill" send 2>>"$work/client.err"
echo "sent in $(( $(date +%s) - start )) s with $kills kills"
kill -TERM "$server"
wait "$server"

python3 - "$work" "$rows" <<'PY'
import collections, re, sqlite3, sys
work, rows = sys.argv[1], int(sys.argv[2])
sent = collections.Counter(open(work + "/sent.txt").read().split())
log = open(work + "/home/LOG/LOG_10001.LOG", encoding="utf-8").read()
named = set()
for m in re.finditer(r"发送中断,以下号码可能已发送,请核对后手动重发:(\S+)", log):
    named.update(m.group(1).split(","))
db = sqlite3.connect(work + "/home/DATA/TOLVI_DY.db")
check = db.execute("PRAGMA integrity_check").fetchone()[0]
history = [r[0] for r in db.execute("SELECT mob FROM mt_bak")]
outbox = dict(db.execute("SELECT mob, flag FROM mt"))
seeded = {str(13000000000 + i) for i in range(rows)}
errors = []
if check != "ok": errors.append("integrity_check: " + check)
if set(history) | set(outbox) != seeded or len(history) + len(outbox) != rows:
    errors.append("rows lost or doubled: %d in the history, %d in the outbox" % (len(history), len(outbox)))
twice = [m for m, n in sent.items() if n > 1 and m not in named]
if twice: errors.append("sent twice: %d numbers, e.g. %s" % (len(twice), twice[:5]))
unsent = [m for m in history if sent[m] != 1]
if unsent: errors.append("in the history but not sent once: %s" % unsent[:5])
stray = {m: f for m, f in outbox.items() if f != -4 or m not in named}
if stray: errors.append("left in the outbox unexplained: %s" % list(stray.items())[:5])
possibly = [m for m in named if m in outbox]
print("rows %d, history %d, possibly sent %d (of which the service had %d), sent twice %d, integrity %s"
      % (rows, len(history), len(possibly), sum(1 for m in possibly if sent[m]), len(twice), check))
for e in errors: print("FAIL:", e)
sys.exit(1 if errors else 0)
PY
