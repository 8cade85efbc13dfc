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

packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "windows: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
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
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  "$wineserver" -k 2>/dev/null || true
}
trap cleanup EXIT
"$wine" regsvr32 /s "$build/OrvuLink.dll"

step "the simulator on loopback"
work="$build/test-run"
rm -rf "$work" && mkdir -p "$work"
"$sim" --listen 127.0.0.1:0 >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
banner=""
for _ in $(seq 100); do
  banner=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
  [ -n "$banner" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.err" >&2; exit 1; }
  sleep 0.1
done
[ -n "$banner" ] || { echo "the simulator did not start" >&2; exit 1; }
port=${banner##*:}
export ORVULINK_GATEWAY_HOST="127.0.0.1:$port"
export ORVULINK_SIM_URL="http://127.0.0.1:$port"

# Wine's drive Z: is the root of the Unix file system.
windows_path() { local path="Z:$1"; echo "${path//\//\\}"; }

failed=0
# A suite passes when cscript ends with 0 and its last line reports every check passed: Wine's
# cscript ends a script that stops on a run-time error silently, with status 0.
run_suite() {
  local name=$1 script="$work/$1" out="$work/${1%.vbs}.out"
  cat tests/windows/harness.vbs "tests/windows/$name" >"$script"
  curl -fsS -d '' "$ORVULINK_SIM_URL/control/reset" >/dev/null
  local status=0
  "$wine" cscript //nologo "$(windows_path "$script")" >"$out" 2>&1 || status=$?
  cat "$out"
  if [ $status -ne 0 ] || ! tail -n 1 "$out" | grep -Eq '^[a-z_]+: ([0-9]+)/\1 checks passed'; then
    echo "FAILED: $name (status $status)"
    return 1
  fi
}

for suite in tests/windows/*.vbs; do
  name=$(basename "$suite")
  [ "$name" = harness.vbs ] && continue
  step "cscript $name"
  run_suite "$name" || failed=1
done
for client in "$build"/tests/windows/*.exe; do
  [ -e "$client" ] || continue
  step "$(basename "$client")"
  curl -fsS -d '' "$ORVULINK_SIM_URL/control/reset" >/dev/null
  "$wine" "$client" || failed=1
done
step "done"
exit $failed
