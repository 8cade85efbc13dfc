#!/usr/bin/env bash
# The performance report: builds the benchmarks (g++, Release), runs them once and writes
# docs/performance.md. Every figure that matters is a ratio against a reference measured in the
# same run, so the report holds on a slower or busier machine; absolute times are shown for scale.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/performance.md}
build=build/perf

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
  -DORVULINK_WERROR=ON -DORVULINK_BUILD_TESTS=OFF -DORVULINK_BUILD_TOOLS=ON \
  -DORVULINK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target orvulink_bench -j "$(nproc)"

json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$build/bench/orvulink_bench" --benchmark_format=json --benchmark_out="$json" \
  --benchmark_out_format=json >/dev/null

python3 - "$json" "$out" <<'PY'
import json, sys, platform, datetime
runs = {b["name"].split("/")[0] + ("/1" if b["name"].endswith("distinct_texts:1") else ""): b
        for b in json.load(open(sys.argv[1]))["benchmarks"]}

def ms(name, clock="cpu_time"):
    b = runs[name]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0}[b["time_unit"]]
    return b[clock] * scale

rows = [
    ("add 3000 messages, one text", "AddToList", "AddByReferenceWalk", "plain walk of the list"),
    ("add 3000 messages, distinct texts", "AddToList/1", "AddByReferenceWalk/1", "plain walk of the list"),
    ("compose the send data of 3000 recipients", "ComposeSendData", None, ""),
    ("apply a 3000-recipient send answer (1500 refused)", "ApplyAnswer", "ApplyByReferenceScan",
     "scan of the refused list per recipient"),
    ("read a 3000-order-ID status answer", "ReadStatusAnswer", "SplitStatusAnswerOnly",
     "splitting the payload into its fields only"),
    ("read a download of 3000 received messages", "ReadDownload", "SplitDownloadFields",
     "splitting the payload into its fields only"),
]
lines = ["# Performance", "",
         "Written by `scripts/bench.sh` (Google Benchmark, g++ Release) on %s, %s, %d CPUs." % (
             datetime.date.today().isoformat(), platform.machine(), __import__("os").cpu_count()),
         "Each figure that matters is a ratio against a reference measured in the same run.", "",
         "## Lists of 3000 (CPU time)", "",
         "| operation | component | reference | ratio |", "|---|---|---|---|"]
for title, name, ref, ref_title in rows:
    if ref:
        lines.append("| %s | %.2f ms | %s: %.2f ms | %.2fx the reference |" % (
            title, ms(name), ref_title, ms(ref), ms(name) / ms(ref)))
    else:
        lines.append("| %s | %.2f ms | — | — |" % (title, ms(name)))
md5, ossl = ms("Md5Component") * 1e6, ms("Md5OpenSsl") * 1e6
lines += ["", "## MD5 of a credential (22 characters, hex text out)", "",
          "| component | OpenSSL EVP_Digest + hex | ratio |", "|---|---|---|",
          "| %.0f ns | %.0f ns | %.2fx |" % (md5, ossl, md5 / ossl)]
e2e = [("one `SendMessage` of 3000 recipients (one group)", "SendMessage3000", "BarePostOfSendCommand"),
       ("one `GetStatusNotify` of 3000 order IDs", "GetStatusNotify3000", "BarePostOfStatusCommand")]
lines += ["", "## End to end on loopback (wall time)", "",
          "The gateway simulator over HTTP on 127.0.0.1, in the same process; the reference is a bare",
          "libcurl POST of the same command bytes (a fresh handle per request, as the component makes",
          "a fresh client per exchange), answered by the same simulator.", "",
          "| operation | component | bare libcurl POST | ratio | component CPU on the caller's thread |",
          "|---|---|---|---|---|"]
for title, name, ref in e2e:
    lines.append("| %s | %.1f ms | %.1f ms | %.2fx | %.1f ms |" % (
        title, ms(name, "real_time"), ms(ref, "real_time"),
        ms(name, "real_time") / ms(ref, "real_time"), ms(name)))
heap = runs["FullListHeap"]
lines += ["", "## Memory", "",
          "A full list of 3000 messages with distinct texts holds %.2f MB of heap (%.0f bytes per"
          " message, glibc's count of bytes in use before and after filling it)." % (
              heap["heap_bytes"] / 1e6, heap["bytes_per_message"]), ""]
open(sys.argv[2], "w").write("\n".join(lines))
print("\n".join(lines))
PY
