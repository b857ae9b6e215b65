#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build/Fuzz and runs each for SECONDS
# (default 180) over its seeds, one target after the other: scripts/fuzz.sh [SECONDS] [TARGET...].
# What a run adds to a target's corpus stays in build/Fuzz/corpus/<target> for the next run; a
# crash, a leak, a slow input or a broken property is kept in fuzz/findings/<target>/ and makes
# the script fail. The seeds in fuzz/corpus/ are never changed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-180}
shift || true
bash "$top/scripts/setup.sh"

build="$top/build/Fuzz"
cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUB_FUZZ=ON \
  -DNUB_BUILD_TESTS=OFF -DNUB_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target nub_fuzz

# Input length caps: the longest real report, bulletin or catalogue piece is far shorter; the
# split of a whole feed takes broken feeds of megabytes.
declare -A max_len=([metar]=4096 [synop]=8192 [upperair]=8192 [nearest]=8192 [catalogues]=8192
  [ini]=4096 [new_weather]=1024 [link_answers]=4096 [feed_split]=4194304)
targets=("$@")
((${#targets[@]})) || targets=(metar synop upperair nearest catalogues ini new_weather link_answers feed_split)

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
failed=0
summary=""
for target in "${targets[@]}"; do
  [[ -n "${max_len[$target]:-}" ]] || { echo "no fuzz target $target" >&2; exit 2; }
  corpus="$build/corpus/$target"
  findings="$top/fuzz/findings/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$corpus" "$findings"
  before=$(find "$findings" -type f | wc -l)
  dict=()
  [[ -f "$top/fuzz/$target.dict" ]] && dict=(-dict="$top/fuzz/$target.dict")
  status=0
  (cd "$build" && "$build/fuzz/nub_fuzz_$target" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" \
    "$corpus" "$top/fuzz/corpus/$target") >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  found=$(($(find "$findings" -type f | wc -l) - before))
  if ((status != 0 || found != 0)); then
    failed=1
    echo "== $target failed (status $status); the log is $log" >&2
    grep -E "ERROR|SUMMARY|property broken|library assert|Test unit written" "$log" >&2 || tail -20 "$log" >&2
  fi
  summary+=$(printf '%-14s %12s executions, %d new findings' "$target" "${runs:-?}" "$found")$'\n'
done
printf '%s' "$summary"
exit "$failed"
