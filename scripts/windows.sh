#!/usr/bin/env bash
# The Windows build and its tests: installs the cross tools and Wine from Debian's packages when
# missing, cross-builds build/windows/OrvuLink.dll with mingw-w64, registers it in a throw-away
# Wine prefix inside the build folder and runs the VBScript suites (tests/windows/*.vbs) and the
# C++ COM client against the gateway simulator, which runs natively on loopback.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${JOBS:-2}
build="$root/build/windows"

bash "$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine64
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)

step() { printf '\n== %s (%ss)\n' "$1" "$SECONDS"; }

step "the gateway simulator (native)"
sim="$root/build/release/tools/gateway-sim/orvulink-gateway"
if [ ! -x "$sim" ]; then
  cmake -S . -B build/windows-sim -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVULINK_BUILD_TESTS=OFF \
    -DORVULINK_BUILD_BENCH=OFF -DORVULINK_PYTHON=OFF >/dev/null
  cmake --build build/windows-sim -j "$jobs" --target orvulink-gateway
  sim="$root/build/windows-sim/tools/gateway-sim/orvulink-gateway"
fi

step "cross-build OrvuLink.dll (mingw-w64)"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DORVULINK_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"

step "a throw-away Wine prefix"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
"$wine" wineboot -i >/dev/null 2>&1
wineserver=$(dirname "$(readlink -f "$wine")")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
cleanup() {
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  "$wineserver" -k 2>/dev/null || true
}
trap cleanup EXIT
"$wine" regsvr32 /s "$build/OrvuLink.dll"

# Starts a simulator (extra options: $@) and sets sim_port once it listens.
sim_pids=()
start_simulator() {
  local out="$work/sim-${#sim_pids[@]}.out"
  "$sim" --listen 127.0.0.1:0 "$@" >"$out" 2>"$out.err" &
  sim_pids+=($!)
  local banner=""
  for _ in $(seq 100); do
    banner=$(head -n 1 "$out" 2>/dev/null || true)
    [ -n "$banner" ] && break
    sleep 0.1
  done
  [ -n "$banner" ] || { cat "$out.err" >&2; echo "the simulator did not start" >&2; return 1; }
  sim_port=${banner##*:}
}

# Wine's drive Z: is the root of the Unix file system.
windows_path() { local path="Z:$1"; echo "${path//\//\\}"; }

# A suite passes when cscript ends with 0 and its last line reports every check passed: Wine's
# cscript ends a script that stops on a run-time error silently, with status 0.
run_suite() {
  local suite=$1 name
  name=$(basename "$suite")
  local script="$work/$name" out="$work/${name%.vbs}.out"
  cat tests/windows/harness.vbs "$suite" >"$script"
  curl -fsS -d '' "$ORVULINK_SIM_URL/control/reset" >/dev/null
  local status=0
  "$wine" cscript //nologo "$(windows_path "$script")" >"$out" 2>&1 || status=$?
  cat "$out"
  if [ $status -ne 0 ] || ! tail -n 1 "$out" | grep -Eq '^[a-z_]+: ([0-9]+)/\1 checks passed'; then
    echo "FAILED: $suite (status $status)"
    return 1
  fi
}

step "the simulator on loopback"
work="$build/test-run"
rm -rf "$work" && mkdir -p "$work"
start_simulator
export ORVULINK_GATEWAY_HOST="127.0.0.1:$sim_port"
export ORVULINK_SIM_URL="http://127.0.0.1:$sim_port"

failed=0
for suite in tests/windows/*.vbs; do
  [ "$(basename "$suite")" = harness.vbs ] && continue
  step "cscript $(basename "$suite")"
  run_suite "$suite" || failed=1
done
step "the C++ COM client (events, property bag)"
"$wine" "$build/tests/windows/orvulink_com_client.exe" || failed=1

step "HTTPS: refused until the simulator's certificate is trusted, then through"
start_simulator --tls --write-ca "$work/ca.pem"
# By name: Wine's certificate name check does not read IP addresses in the certificate.
tls_host="localhost:$sim_port"
ORVULINK_GATEWAY_HOST="$tls_host" run_suite tests/windows/tls/refused.vbs || failed=1
"$wine" "$build/tests/windows/orvulink_trust_certificate.exe" "$(windows_path "$work/ca.pem")" \
  || failed=1
ORVULINK_GATEWAY_HOST="$tls_host" run_suite tests/windows/tls/trusted.vbs || failed=1

step "a proxy that asks for credentials (tinyproxy)"
# Not part of the default run: under Wine the proxy's Basic authentication came through in one
# run and was refused in the next ones with the same build (docs/windows.md, "Known problems").
if [ "${ORVULINK_WINE_PROXY_SUITE:-0}" != 1 ]; then
  echo "skipped: set ORVULINK_WINE_PROXY_SUITE=1 to run it"
elif [ -x /usr/sbin/tinyproxy ] || [ -x /usr/bin/tinyproxy ]; then
  tinyproxy=$(command -v tinyproxy || echo /usr/sbin/tinyproxy)
  proxy_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  printf 'Port %s\nListen 127.0.0.1\nAllow 127.0.0.1\nLogFile "%s"\nBasicAuth puser ppass\n' \
    "$proxy_port" "$work/tinyproxy.log" >"$work/tinyproxy.conf"
  "$tinyproxy" -d -c "$work/tinyproxy.conf" >/dev/null 2>&1 &
  sim_pids+=($!)
  for _ in $(seq 50); do
    grep -q "listening\|Listening" "$work/tinyproxy.log" 2>/dev/null && break
    sleep 0.1
  done
  ORVULINK_PROXY_PORT=$proxy_port run_suite tests/windows/proxy/through_proxy.vbs || failed=1
else
  echo "tinyproxy is not installed (scripts/install-deps.sh installs it): proxy suite not run"
  failed=1
fi

step "regsvr32 /u: the class is gone"
"$wine" regsvr32 /s /u "$build/OrvuLink.dll" || failed=1
run_suite tests/windows/registration/unregistered.vbs || failed=1

step "done"
exit $failed
