#!/usr/bin/env bash
# Runs the libFuzzer targets of a build dir configured with -DORVULINK_FUZZ=ON, each for SECONDS,
# two at a time, every one on a scratch copy of its seed corpus with the protocol dictionary.
# Prints the executions per target and a summary; exits non-zero on any finding (crash, failed
# invariant, leak, timeout, out of memory, sanitizer report) and keeps the scratch dir with the
# inputs that found it.
#
#   scripts/fuzz.sh BUILD_DIR SECONDS [TARGET...]     e.g. scripts/fuzz.sh build/fuzz 60 answers
#
# FUZZ_JOBS (default 2) runs fewer at once; FUZZ_KEEP=1 keeps the scratch dir after a clean run.
set -euo pipefail

if [[ $# -lt 2 || ! $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 BUILD_DIR SECONDS [TARGET...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
seconds=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
parallel=${FUZZ_JOBS:-2}
((parallel >= 1 && parallel <= 2)) || parallel=2

if [[ $# -gt 0 ]]; then
  targets=("$@")
else
  targets=()
  for program in "$build"/fuzz/*_fuzzer; do
    [[ -x $program ]] && targets+=("$(basename "$program" _fuzzer)")
  done
fi
if [[ ${#targets[@]} -eq 0 ]]; then
  echo "fuzz: no fuzz targets in $build/fuzz (configure with -DORVULINK_FUZZ=ON and build" \
    "the orvulink_fuzzers target)" >&2
  exit 2
fi

# Inputs longer than the protocol ever sends only slow the search down.
max_len() {
  case $1 in
    command | property_bag) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvulink-fuzz.XXXXXX")
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:allocator_may_return_null=1:symbolize=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1:symbolize=1

run_target() {
  local name=$1 program="$build/fuzz/$1_fuzzer" dir="$scratch/$1"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  if [[ -d $root/fuzz/corpus/$name ]]; then cp -R "$root/fuzz/corpus/$name/." "$dir/corpus/"; fi
  local status=0
  "$program" "$dir/corpus" -dict="$root/fuzz/orvulink.dict" -max_len="$(max_len "$name")" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/" >"$dir/log" 2>&1 || status=$?
  echo "$status" >"$dir/status"
}

if [[ ! -x $build/fuzz/${targets[0]}_fuzzer ]]; then
  echo "fuzz: $build/fuzz/${targets[0]}_fuzzer is not built" >&2
  exit 2
fi
echo "fuzz: targets ${#targets[@]}, ${seconds} s each, $parallel at a time; scratch $scratch"
for name in "${targets[@]}"; do
  if [[ ! -x $build/fuzz/${name}_fuzzer ]]; then
    echo "fuzz: $build/fuzz/${name}_fuzzer is not built" >&2
    exit 2
  fi
  while (($(jobs -rp | wc -l) >= parallel)); do wait -n || true; done
  run_target "$name" &
done
wait

findings=0
total=0
for name in "${targets[@]}"; do
  dir="$scratch/$name"
  status=$(cat "$dir/status" 2>/dev/null || echo 1)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)
  runs=${runs:-0}
  total=$((total + runs))
  artifacts=$(find "$dir/artifacts" -type f | sort)
  # A sanitizer report ends the run too, but a report that did not (a leak at exit) still counts.
  if [[ $status -ne 0 || -n $artifacts ]] || grep -qE '^(==[0-9]+==ERROR|SUMMARY: )' "$dir/log"; then
    findings=$((findings + 1))
    printf '%-14s %12s executions  FINDING (exit %s), log %s\n' "$name" "$runs" "$status" \
      "$dir/log"
    grep -E 'invariant violated|ERROR:|runtime error:|SUMMARY:' "$dir/log" | head -n 5 |
      sed 's/^/    /' || true
    while IFS= read -r artifact; do
      if [[ -n $artifact ]]; then echo "    input: $artifact"; fi
    done <<<"$artifacts"
  else
    printf '%-14s %12s executions  ok\n' "$name" "$runs"
  fi
done

echo "fuzz: targets ${#targets[@]}, executions $total, targets with findings $findings"
if ((findings > 0)); then
  echo "fuzz: replay an input with: $build/fuzz/NAME_fuzzer INPUT; scratch kept in $scratch"
  exit 1
fi
if [[ ${FUZZ_KEEP:-0} != 1 ]]; then rm -rf "$scratch"; fi
