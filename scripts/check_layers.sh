#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own.
# The folders, bottom up: decoder; platform and resources; config; session;
# transfer; listing; batch; shell. Test support (testing/) sits just below
# shell and may be included only by tests and the screenshot tool.
set -uo pipefail
cd "$(dirname "$0")/.."

rank() {
  case $1 in
    decoder) echo 0 ;;
    platform | resources) echo 1 ;;
    config) echo 2 ;;
    session) echo 3 ;;
    transfer) echo 4 ;;
    listing) echo 5 ;;
    batch) echo 6 ;;
    testing) echo 7 ;;
    shell) echo 8 ;;
    *) echo "" ;;
  esac
}

is_test_code() {
  case $1 in
    *_test.cpp | *_test_support.h | *test_main.cpp | */fake_*.h | */scratch_*.h) return 0 ;;
    shell/window/screenshot_main.cpp) return 0 ;;
    testing/*) return 0 ;;
    *) return 1 ;;
  esac
}

violations=0
while IFS= read -r file; do
  own=$(rank "${file%%/*}")
  [ -n "$own" ] || continue
  while IFS= read -r included; do
    folder=${included%%/*}
    other=$(rank "$folder")
    [ -n "$other" ] || continue
    if [ "$folder" = testing ] && ! is_test_code "$file"; then
      echo "$file includes $included: test support is for tests only"
      violations=$((violations + 1))
    elif [ "$folder" != testing ] && [ "$other" -gt "$own" ]; then
      echo "$file includes $included, a folder above ${file%%/*}/"
      violations=$((violations + 1))
    fi
  done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1/p' "$file")
done < <(git ls-files -- '*.h' '*.cpp' 2>/dev/null || find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||')

if [ "$violations" -ne 0 ]; then
  echo "$violations include(s) break the layer order"
  exit 1
fi
echo "layer order holds"
