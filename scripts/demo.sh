#!/usr/bin/env bash
# The main job: sets everything up on a fresh machine, starts the bundled gateway simulator over
# HTTPS on loopback, and runs the command-line host against it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh >/dev/null
echo "== building (this takes a few minutes the first time)"
mkdir -p build
if ! { cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
         -DORVULINK_WERROR=ON &&
       cmake --build build/release -j "$(nproc)" --target orvulink-cli orvulink-gateway; } \
     >build/demo-build.log 2>&1; then
  cat build/demo-build.log >&2
  exit 1
fi

cli="$root/build/release/tools/cli/orvulink"
sim="$root/build/release/tools/gateway-sim/orvulink-gateway"
work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "== starting the gateway simulator (HTTPS, loopback, self-signed certificate)"
"$sim" --listen 127.0.0.1:0 --tls --write-ca "$work/ca.pem" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
banner=""
for _ in $(seq 100); do
  banner=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
  [ -n "$banner" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.err" >&2; exit 1; }
  sleep 0.1
done
[ -n "$banner" ] || { echo "the simulator did not start" >&2; exit 1; }
echo "   $banner"
port=${banner##*:}
export ORVULINK_GATEWAY_HOST="127.0.0.1:$port"
export ORVULINK_CA_FILE="$work/ca.pem"
export ORVULINK_JOURNAL="$work/journal.db"  # the demo's sends stay out of the user's journal

settings="$work/settings.ini"
run() {
  printf '\n$ orvulink %s\n' "$*"
  "$cli" --settings "$settings" "$@"
}

run config set UserName=demo Password=demo-password encryptSSL=true UseAutomayicProxy=false
run config show
run test
run credit
run info
run --json info
# With the automatic proxy the exchange first fetches the probe page the way a browser would.
run config set UseAutomayicProxy=true
run test
# Sending: one text to a small group (one order for all), a single message, a CSV list.
run send --to +393331234567 --to +393337654321 --to +393339876543 \
  --text "OrvuLink demo: hello to the whole group" --sender OrvuDemo
run --json send --to +393331234567 --text "OrvuLink demo: a single message" --sender OrvuDemo
run send --file "$root/examples/messages.csv"
# Delivery: the order IDs a send prints are what status follows until every message arrives.
printf '\n$ orvulink --json send --to +393331234567 --to +393337654321 ... (order IDs kept)\n'
sent=$("$cli" --settings "$settings" --json send --to +393331234567 --to +393337654321 \
  --text "OrvuLink demo: follow me to delivery" --sender OrvuDemo)
echo "$sent"
mapfile -t order_ids < <(jq -r '.[].OrderID[]' <<<"$sent" | sort -u)
[ ${#order_ids[@]} -gt 0 ] || { echo "the send printed no order ID" >&2; exit 1; }
run status --wait 10 "${order_ids[@]}"
# The journal kept every send with its order IDs; status --last follows the newest one.
run history --limit 2
run status --last
run credit
# An SMS arrives at the simulator on the demo key K1; the host lists its keys and downloads it.
printf '\n$ (an SMS arrives on key K1)\n'
curl -sS --fail --cacert "$work/ca.pem" -H 'Content-Type: application/json' \
  -d '{"key": "K1", "sender": "+393331234567", "text": "Ciao from the demo"}' \
  "https://127.0.0.1:$port/control/receive"
run keys
run receive K1
# Kept in the journal before it was printed: the inbox shows it again.
run inbox
echo
echo "== demo finished"
