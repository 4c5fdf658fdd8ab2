#!/usr/bin/env bash
# A download over a long link: ferrix, curl and lftp fetch the same file
# (FERRIX_BENCH_LONG_MIB, default 1024 MiB) from vsftpd through a link with
# 50 ms round-trip time, each several times (FERRIX_BENCH_RUNS, default 5),
# taking turns. Prints the median wall time, throughput, CPU seconds and peak
# RSS of each and their ratios to curl. Goal: Ferrix within 10 % of curl's
# throughput.
#
# The link is made here and removed on exit: two network namespaces, the
# server's and the clients', each with a TUN device, joined by
# ferrix_delay_line, which holds every packet for 25 ms each way (the kernel
# here may lack netem). No traffic leaves the two namespaces.
#
# Needs root. Usage: bench/long_link_vs_curl.sh [ferrix [ferrix_delay_line]]
# (default: the Release builds in build-bench/, built here when missing).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs=${FERRIX_BENCH_RUNS:-5}
mib=${FERRIX_BENCH_LONG_MIB:-1024}
one_way_ms=25
source "$root/bench/vsftpd_fixture.sh"
# shellcheck source=bench/measure.sh
source "$root/bench/measure.sh"

vsftpd_requirements vsftpd curl lftp time iproute2

program=${1:-}
delay_line=${2:-}
if [ -z "$program" ] || [ -z "$delay_line" ]; then
  cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DFERRIX_BUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build-bench" -j "${FERRIX_JOBS:-2}" --target ferrix ferrix_delay_line \
    >/dev/null
  program=${program:-$root/build-bench/shell/ferrix}
  delay_line=${delay_line:-$root/build-bench/bench/ferrix_delay_line}
fi

server_space=ferrix-bench-server-$$
client_space=ferrix-bench-client-$$
server_address=10.201.0.2
client_address=10.201.0.1
device=fxlink
delay_pid=""

remove_link() {
  if [ -n "$delay_pid" ]; then
    kill "$delay_pid" 2>/dev/null || true
    wait "$delay_pid" 2>/dev/null || true
  fi
  vsftpd_cleanup
  ip netns del "$server_space" 2>/dev/null || true
  ip netns del "$client_space" 2>/dev/null || true
}

program=$(realpath "$program")
delay_line=$(realpath "$delay_line")
vsftpd_scratch_folder
trap remove_link EXIT

# make_end SPACE ADDRESS PEER: a namespace with its end of the link. A large
# MTU keeps the packet rate, and so the delay line's work, low.
make_end() {
  ip netns add "$1"
  ip -n "$1" link set lo up
  ip -n "$1" tuntap add dev "$device" mode tun
  ip -n "$1" link set "$device" mtu 9000 up
  ip -n "$1" addr add "$2" peer "$3" dev "$device"
}
make_end "$server_space" "$server_address" "$client_address"
make_end "$client_space" "$client_address" "$server_address"
# At a real-time priority, so that a busy machine does not lengthen the
# delay; it sleeps whenever no packet is due.
chrt -f 10 "$delay_line" "$server_space" "$device" "$client_space" "$device" "$one_way_ms" &
delay_pid=$!

mkdir -p "$work/served" "$work/local"
head -c $((mib << 20)) /dev/urandom >"$work/served/big.bin"
chmod 0644 "$work/served/big.bin"
vsftpd_start NO "$server_address" "$server_space"

printf '[bench]\nHOST=%s\nPORT=%s\nRETRIES=1\n[_config_]\ndolog=0\n%s\n' "$server_address" \
  "$port" "${FERRIX_BENCH_SETTINGS:-}" >"$work/FERRIX.INI"
in_client="ip netns exec $client_space"
expected="$work/served/big.bin"
result="$work/local/big.bin"
remote="${work#/}/served/big.bin"

check_run() {
  cmp -s "$result" "$expected" || { echo "$1 delivered different bytes" >&2; exit 1; }
  rm -f "$result"
}

cd "$work"
echo "== $runs runs each, taking turns, medians; $mib MiB through a link of $((2 * one_way_ms)) ms round trip"
# The TCP handshake takes one round trip: it shows the link is what it says.
handshake=$($in_client /usr/bin/python3 -c '
import socket, sys, time
start = time.monotonic()
socket.create_connection((sys.argv[1], int(sys.argv[2])), timeout=5).close()
print(time.monotonic() - start)' "$server_address" "$port") ||
  { echo "the server cannot be reached through the link" >&2; exit 1; }
awk -v s="$handshake" 'BEGIN { printf "TCP handshake through the link: %.1f ms\n", s * 1000 }'
compare ferrix "$in_client $program -i $work/FERRIX.INI -p bench -u $user -w $password -quiet -binary $server_address:$expected local:$work/local/" \
  curl "$in_client curl -s -S -o $result ftp://$user:$password@$server_address:$port/$remote" \
  lftp "$in_client lftp -c 'set cmd:interactive false; set xfer:clobber on; open -u $user,$password -p $port $server_address; get /$remote -o $result'"

read -r cw _ <<<"$(medians_of curl)"
for tool in ferrix curl lftp; do
  read -r wall cpu rss <<<"$(medians_of "$tool")"
  awk -v t="$tool" -v m="$mib" -v w="$wall" -v u="$cpu" -v r="$rss" -v cw="$cw" 'BEGIN {
    printf "%-7s %5d MiB %8.3f s %8.1f MiB/s (%.2f x curl; goal for ferrix >= 0.90)  %7.3f s CPU  %7d KiB peak RSS\n",
      t, m, w, m / w, cw / w, u, r }'
  summary_row "$tool" "download $mib MiB, 50 ms RTT: throughput" \
    "$(awk -v m="$mib" -v w="$wall" 'BEGIN { printf "%.1f MiB/s", m / w }')" \
    "$(awk -v w="$wall" -v cw="$cw" 'BEGIN { printf "%.2f", cw / w }')"
done
