#!/usr/bin/env bash
# Builds ferrixgui in build/ and runs it with the arguments given here,
# e.g. scripts/demo.sh -i ./my.ini
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target ferrixgui >/dev/null
exec build/shell/ferrixgui "$@"
