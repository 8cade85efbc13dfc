#!/usr/bin/env bash
# Builds examples/ against an installed OrvuLink package (PREFIX, as a user would find it), runs
# the ones that need no gateway, then runs the others against the installed simulator over HTTPS.
#
#   scripts/examples.sh PREFIX
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:?usage: $0 INSTALL_PREFIX}
build=build/examples

rm -rf "$build"
cmake -S examples -B "$build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$build"
PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs orvulink
export LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}"

"$build/orvulink_example"
"$build/threads"

scratch=$(mktemp -d)
"$prefix/bin/orvulink-gateway" --tls --write-ca "$scratch/ca.pem" >"$scratch/out" 2>&1 &
simulator=$!
trap 'kill $simulator 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [[ -s $scratch/out ]] && break; sleep 0.1; done
read -r _ _ url <"$scratch/out"
export ORVULINK_GATEWAY_HOST=${url#https://} ORVULINK_CA_FILE=$scratch/ca.pem
export ORVULINK_EXAMPLE_USER=demo ORVULINK_EXAMPLE_PASSWORD=demo-password

sent=$("$build/send_first_message" +393331234567 OrvuShop "Hello from OrvuLink")
echo "$sent"
order=$(sed -n 's/^order ID //p' <<<"$sent" | head -n 1)
[[ -n $order ]] || { echo "examples: the send gave no order ID" >&2; exit 1; }
"$build/send_group" OrvuShop "Sale starts Monday" +393331234567 +393337654321 --at "2030-03-04 09:00"
"$build/follow_status" 10 "$order"
"$build/receive_messages" K1 "Thanks, we will call you back"

# The Python module, when the package has it (installed under lib/python3*/site-packages).
for module in "$prefix"/lib/python3*/site-packages/orvulink*.so; do
  [[ -e $module ]] || continue
  PYTHONPATH=$(dirname "$module") python3 examples/send.py OrvuShop "Hello from Python" \
    +393331234567 +393337654321
done
