#!/usr/bin/env bash
# Builds ferrixgui in build/ and runs it with the arguments given here, from
# the folder this script was started in (so "-i my.ini" means ./my.ini there),
# e.g. scripts/demo.sh -i my.ini
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
ensure_packages >&2
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j2 --target ferrixgui >/dev/null
exec "$root/build/shell/ferrixgui" "$@"
