# shellcheck shell=bash
# How the benchmarks time a client, sourced by them (never run on its own).
# Needs $work, the scratch folder.

# measure COMMAND...: runs it under /usr/bin/time -v, its output to
# $work/out.txt; prints "wall cpu rss_kib". The wall time is the shell's
# clock (in microseconds, whatever the locale's decimal point) around the
# run: time's own counts in steps of 10 ms, 4 % of a quarter-second listing.
measure() {
  local report="$work/time.txt" start end
  start=${EPOCHREALTIME/[^0-9]/}
  /usr/bin/time -v -o "$report" "$@" >"$work/out.txt" 2>"$work/client.err" || {
    echo "failed: $*" >&2
    cat "$work/client.err" >&2
    exit 1
  }
  end=${EPOCHREALTIME/[^0-9]/}
  awk -F': ' -v start="$start" -v end="$end" '
    /User time/ { user = $2 }
    /System time/ { sys = $2 }
    /Maximum resident/ { rss = $2 }
    END { printf "%.3f %.3f %d\n", (end - start) / 1e6, user + sys, rss }' "$report"
}

# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# medians LINE...: the median of each column of measure's "wall cpu rss_kib"
# lines; prints "wall cpu rss_kib".
medians() {
  local column
  for column in 1 2 3; do
    printf '%s\n' "$@" | awk -v column="$column" '{ print $column }' | median
  done | paste -s -d ' '
}

# compare NAME "COMMAND..." NAME "COMMAND..." ...: runs each named command
# (a string evaluated in the calling shell) $runs times, the tools taking
# turns so that a change in the machine's load falls on all of them alike.
# After each run the function "check_run NAME" (defined by the caller) must
# succeed. Sets result_NAME to the medians "wall cpu rss_kib".
# shellcheck disable=SC2154  # runs is set by the benchmark that sources this
compare() {
  local i j k name
  local -A lines=()
  for ((i = 1; i <= runs; i++)); do
    for ((j = 1; j <= $#; j += 2)); do
      name=${!j}
      k=$((j + 1))
      lines[$name]+="$(eval "measure ${!k}")"$'\n'
      check_run "$name"
    done
  done
  for ((j = 1; j <= $#; j += 2)); do
    name=${!j}
    local IFS=$'\n'
    # shellcheck disable=SC2086  # one argument a line
    printf -v "result_${name//[^A-Za-z0-9]/_}" '%s' "$(medians ${lines[$name]})"
  done
}

# medians_of NAME: the medians compare set for NAME.
medians_of() {
  local variable="result_${1//[^A-Za-z0-9]/_}"
  echo "${!variable}"
}

# summary_row TOOL CASE VALUE UNIT RATIO: one row of scripts/bench.sh's
# summary table, kept in $FERRIX_BENCH_SUMMARY when that is set.
summary_row() {
  if [ -n "${FERRIX_BENCH_SUMMARY:-}" ]; then
    printf '%s\t%s\t%s\t%s\t%s\n' "$@" >>"$FERRIX_BENCH_SUMMARY"
  fi
}
