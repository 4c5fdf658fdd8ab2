# shellcheck shell=bash
# How the benchmarks time a client, sourced by them (never run on its own).
# Needs $work, the scratch folder.

# measure COMMAND...: runs it under /usr/bin/time -v, its output to
# $work/out.txt; prints "wall cpu rss_kib".
measure() {
  local report="$work/time.txt"
  /usr/bin/time -v -o "$report" "$@" >"$work/out.txt" 2>"$work/client.err" || {
    echo "failed: $*" >&2
    cat "$work/client.err" >&2
    exit 1
  }
  awk -F': ' '
    /User time/ { user = $2 }
    /System time/ { sys = $2 }
    /Maximum resident/ { rss = $2 }
    /Elapsed \(wall clock\)/ {
      n = split($2, part, ":"); wall = 0
      for (i = 1; i <= n; i++) wall = wall * 60 + part[i]
    }
    END { printf "%.3f %.3f %d\n", wall, user + sys, rss }' "$report"
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
