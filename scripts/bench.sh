#!/usr/bin/env bash
# Builds the benchmarks in a Release folder (build-bench) and runs every
# ferrix_bench_* program five times, printing the mean, median and spread;
# then the whole-program comparisons with curl and lftp (transfers on
# loopback, a transfer over a 50 ms link, a large remote listing), ending
# with one summary table: tool, case, median, ratio to curl.
# Quote the medians: absolute times on a shared machine wander.
# Extra arguments go to every benchmark (e.g. --benchmark_filter=Unix).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${FERRIX_JOBS:-2}
dir=build-bench

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRIX_BUILD_TESTS=OFF \
  -DFERRIX_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$dir" -j "$jobs"
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
export FERRIX_BENCH_SUMMARY=$summary

found=0
for bench in "$dir"/bench/ferrix_bench_*; do
  [ -x "$bench" ] || continue
  found=1
  echo "== $(basename "$bench")"
  "$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
if [ "$found" -eq 0 ]; then
  echo "no ferrix_bench_* programs were built (is Google Benchmark installed?)" >&2
  exit 1
fi

# Then whole transfers: the console program against curl and lftp, all
# talking to vsftpd, on loopback and through a link of 50 ms round trip.
echo "== transfer throughput against curl and lftp"
bench/transfer_vs_curl.sh "$dir/shell/ferrix"
echo "== download through a 50 ms link against curl and lftp"
bench/long_link_vs_curl.sh "$dir/shell/ferrix" "$dir/bench/ferrix_delay_line"

# And a remote folder of 100,000 files: Ferrix's listing into the pane model
# against curl and lftp on the same vsftpd folder.
echo "== remote folder listing against curl and lftp"
bench/remote_listing_vs_curl.sh "$dir/bench/ferrix_remote_listing_driver"

echo
echo "== summary (medians; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg))"
{
  printf 'tool\tcase\tmedian\tratio to curl\n'
  cat "$summary"
} | awk -F'\t' '{ printf "%-7s %-44s %-14s %s\n", $1, $2, $3, $4 }'
