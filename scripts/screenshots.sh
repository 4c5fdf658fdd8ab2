#!/usr/bin/env bash
# Renders the main window offscreen, connected to a local pyftpdlib server
# with a sample tree, into docs/screenshot-main-window.png (make screenshots).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
ensure_packages >&2
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j2 --target ferrix-screenshot >/dev/null
mkdir -p "$root/docs"
QT_QPA_PLATFORM=offscreen "$root/build/shell/window/ferrix-screenshot" \
  "$root/docs/screenshot-main-window.png" 1400 900
echo "docs/screenshot-main-window.png"
