#!/usr/bin/env bash
# The whole test suite, as CI runs it:
#   1. clang-format check;
#   2. g++ Release build of everything, tests included (warnings are errors), installed into
#      build/stage; then the unit and Python tests of that build, so they also run as g++
#      optimises them;
#   3. clang build with ASan+UBSan and libFuzzer coverage: every test with ctest (unit,
#      integration, the fault soak under LeakSanitizer, the thread test, the command-line host,
#      the Python module's pytest suite),
#      then every fuzz target for FUZZ_SECONDS (default 20) each;
#   4. clang build with ThreadSanitizer of the thread test alone, and its run;
#   5. the examples built against the installed package, and run against the simulator (the
#      Python example with the module installed into build/stage).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-20}

bash scripts/install-deps.sh

step() { printf '\n==== %s ==== (%ss)\n' "$*" "$SECONDS"; }

step "format (clang-format)"
git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run -Werror

step "build (g++, Release): library, programs, benchmarks, tests"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
  -DORVULINK_WERROR=ON -DORVULINK_BUILD_TESTS=ON -DCMAKE_INSTALL_PREFIX="$root/build/stage" \
  -DORVULINK_PYTHON_INSTALL_DIR=lib/python3/site-packages
cmake --build build/release -j "$jobs"
rm -rf build/stage
cmake --install build/release

step "unit and Python tests (g++, Release)"
ctest --test-dir build/release -L 'unit|python' --output-on-failure -j "$jobs"

step "build (clang++, ASan+UBSan, fuzzing coverage)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DORVULINK_WERROR=ON -DORVULINK_SANITIZE=ON -DORVULINK_FUZZ=ON -DORVULINK_BUILD_BENCH=OFF
cmake --build build/asan -j "$jobs"

step "tests (clang++, ASan+UBSan+LSan)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 600

step "fuzzing (${fuzz_seconds} s per target)"
bash scripts/fuzz.sh build/asan "$fuzz_seconds"

step "build (clang++, ThreadSanitizer): the thread test"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DORVULINK_WERROR=ON -DORVULINK_TSAN=ON -DORVULINK_BUILD_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target orvulink_thread_tests

step "thread test (ThreadSanitizer)"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/tests/integration/tsan.supp" \
  build/tsan/tests/integration/orvulink_thread_tests --gtest_repeat=3

step "examples, built against the installed package"
bash scripts/examples.sh "$root/build/stage"

step "all suites passed"
