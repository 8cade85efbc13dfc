#!/usr/bin/env bash
# The whole test suite: installs the dependencies, builds with g++ (warnings are errors) and runs
# every test with ctest, then builds and runs the same suite under ASan+UBSan with clang, then
# installs the library and builds the example host against the installed package.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash scripts/install-deps.sh

step() { printf '\n==== %s ====\n' "$*"; }

step "format (clang-format)"
git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run -Werror

step "build (g++, Release)"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
  -DORVULINK_WERROR=ON -DCMAKE_INSTALL_PREFIX="$root/build/stage"
cmake --build build/release -j "$jobs"

step "tests (g++, Release)"
ctest --test-dir build/release --output-on-failure -j "$jobs" --timeout 300

step "build (clang++, ASan+UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DORVULINK_WERROR=ON -DORVULINK_SANITIZE=ON -DORVULINK_BUILD_BENCH=OFF
cmake --build build/asan -j "$jobs"

step "tests (clang++, ASan+UBSan)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 600

step "install and build the example against the installed package"
rm -rf build/stage build/example
cmake --install build/release
cmake -S examples -B build/example -G Ninja -DCMAKE_PREFIX_PATH="$root/build/stage"
cmake --build build/example
LD_LIBRARY_PATH="$root/build/stage/lib:${LD_LIBRARY_PATH:-}" build/example/orvulink_example
PKG_CONFIG_PATH="$root/build/stage/lib/pkgconfig" pkg-config --cflags --libs orvulink

step "all suites passed"
