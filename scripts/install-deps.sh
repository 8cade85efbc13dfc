#!/usr/bin/env bash
# Installs every build, test and tool dependency from Debian's packages, or only the packages
# named as arguments (scripts/windows.sh names its cross tools). Idempotent; runs as root or
# through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format git
  libcurl4-openssl-dev libssl-dev libsqlite3-dev libcpp-httplib-dev libcli11-dev nlohmann-json3-dev
  libncurses-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  tinyproxy openssl tmux curl jq
  pybind11-dev python3-dev python3-pytest
)
if [ $# -gt 0 ]; then packages=("$@"); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
