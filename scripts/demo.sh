#!/usr/bin/env bash
# Builds ferrixgui in build/ and runs it. With arguments they go to the
# program, from the folder this script was started in (so "-i my.ini" means
# ./my.ini there). Without arguments it starts an FTP server (pyftpdlib,
# anonymous users may write) on a free loopback port serving a small sample
# tree, and then, with a display, opens the window connected to it through a
# site profile named "demo"; without a display it shows two unattended
# transfers through that profile and the logs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
ensure_packages >&2
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j2 --target ferrixgui >/dev/null
ferrixgui="$root/build/shell/ferrixgui"
if [ $# -gt 0 ]; then
  exec "$ferrixgui" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ferrix-demo-XXXXXX")
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/served/pub" "$work/served/incoming" "$work/served/pub/archive" "$work/local"
printf 'Quarterly figures\r\nNorth 1200\r\nSouth 950\r\n' >"$work/served/pub/report.txt"
printf 'Ferrix demo server\r\nFiles in pub/ may be fetched; incoming/ takes uploads.\r\n' >"$work/served/README.txt"
head -c 65536 /dev/urandom >"$work/served/pub/data.bin"
head -c 4096 /dev/urandom >"$work/served/pub/archive/2025.zip"
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$port" -d "$work/served" -w >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
printf '[demo]\nHOST=127.0.0.1\nPORT=%s\n' "$port" >"$work/FERRIX.INI"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  # A remote folder as the only source keeps the window open, connected there.
  echo "== ferrixgui -i $work/FERRIX.INI demo:/ (close the window to end the demo)"
  cd "$work/local"
  "$ferrixgui" -i "$work/FERRIX.INI" "demo:/"
  exit 0
fi

echo "== ferrixgui -i $work/FERRIX.INI demo:/pub/report.txt local:$work/local/"
cd "$work/local"
"$ferrixgui" -i "$work/FERRIX.INI" "demo:/pub/report.txt" "local:$work/local/"
echo "== received file $work/local/report.txt:"
cat "$work/local/report.txt"

printf 'North 1250\r\nSouth 990\r\n' >"$work/local/forecast.txt"
echo "== ferrixgui -i $work/FERRIX.INI local:$work/local/forecast.txt demo:/pub/"
"$ferrixgui" -i "$work/FERRIX.INI" "local:$work/local/forecast.txt" "demo:/pub/"
echo "== stored on the server as $work/served/pub/forecast.txt:"
cat "$work/served/pub/forecast.txt"
echo "== transfer log $work/local/FERRIX.LOG:"
cat "$work/local/FERRIX.LOG"
