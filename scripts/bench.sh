#!/usr/bin/env bash
# Builds the benchmarks in a Release folder (build-bench) and runs every
# ferrix_bench_* program five times, printing the mean, median and spread.
# Quote the medians: absolute times on a shared machine wander.
# Extra arguments go to every benchmark (e.g. --benchmark_filter=Unix).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${FERRIX_JOBS:-2}
dir=build-bench

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRIX_BUILD_TESTS=OFF \
  -DFERRIX_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$dir" -j "$jobs"

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

# Then whole transfers: Ferrix against curl, both talking to vsftpd.
echo "== transfer throughput against curl"
bench/transfer_vs_curl.sh

# And a remote folder of 100,000 files: Ferrix's listing into the pane model
# against curl and lftp on the same vsftpd folder.
echo "== remote folder listing against curl and lftp"
bench/remote_listing_vs_curl.sh "$dir/bench/ferrix_remote_listing_driver"
