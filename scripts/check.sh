#!/usr/bin/env bash
# Installs what is missing, builds with g++ and runs every test, then builds
# with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test again, then gives each fuzz target a bounded run.
# Ends with "N passed, M failed" and exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages || exit 1

jobs=${FERRIX_JOBS:-2}
fuzz_seconds=${FERRIX_FUZZ_SECONDS:-30}
log_dir=build-logs
mkdir -p "$log_dir"
passed=0
failed=0
skipped=0

# Adds the counts of a CTest run (its summary line) to the totals; a run that
# printed no summary counts as one failure.
count_ctest() {
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -z "$summary" ]; then
    failed=$((failed + 1))
    return
  fi
  local failures total
  failures=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
  local not_run
  not_run=$(grep -c -E '^\s+[0-9]+ - .* \(Skipped\)$' "$1")
  passed=$((passed + total - failures - not_run))
  failed=$((failed + failures))
  skipped=$((skipped + not_run))
}

# build_and_test NAME BUILD_DIR [cmake options...]
build_and_test() {
  local name=$1 dir=$2
  shift 2
  echo "== $name: configure and build in $dir"
  if ! cmake -S . -B "$dir" -G Ninja "$@" >"$log_dir/$name-configure.log" 2>&1; then
    cat "$log_dir/$name-configure.log"
    failed=$((failed + 1))
    return 1
  fi
  if ! cmake --build "$dir" -j "$jobs" >"$log_dir/$name-build.log" 2>&1; then
    grep -E -A5 'error|FAILED' "$log_dir/$name-build.log" | head -n 80
    echo "== $name: build failed (see $log_dir/$name-build.log)"
    failed=$((failed + 1))
    return 1
  fi
  echo "== $name: tests"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure 2>&1 | tee "$log_dir/$name-ctest.log" | grep -vE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed'
  count_ctest "$log_dir/$name-ctest.log"
}

run_fuzzers() {
  local dir=$1 target name corpus
  for target in "$dir"/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$(mktemp -d)
    [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
    echo "== fuzz: $name for ${fuzz_seconds}s"
    if "$target" -seed=1 -max_total_time="$fuzz_seconds" -timeout=5 -rss_limit_mb=2048 \
        -print_final_stats=1 "$corpus" >"$log_dir/$name.log" 2>&1; then
      passed=$((passed + 1))
      grep -E '^(stat::number_of_executed_units|Done)' "$log_dir/$name.log"
    else
      failed=$((failed + 1))
      tail -n 60 "$log_dir/$name.log"
    fi
    rm -rf "$corpus"
  done
}

build_and_test release build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if build_and_test sanitize build-sanitize -DCMAKE_BUILD_TYPE=Debug -DFERRIX_SANITIZE=ON \
    -DFERRIX_BUILD_FUZZERS=ON -DFERRIX_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14; then
  run_fuzzers build-sanitize
fi

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
