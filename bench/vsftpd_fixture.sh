# shellcheck shell=bash
# The vsftpd on loopback that the benchmarks measure clients against, sourced
# by them (never run on its own): the packages they need, the system user it
# logs on (the same one the test fixture makes), a scratch folder under
# /dev/shm when it exists, so the disk does not decide the figures, and the
# server itself on a free port.
#
# Sets user and password for the clients. vsftpd_scratch_folder sets base and
# work; the folder is removed, and the server stopped, when the shell exits.
# vsftpd_start sets port.

user=ferrixftp
# shellcheck disable=SC2034  # the clients log on with it
password=ferrix-test-pass
# shellcheck disable=SC2016  # a crypt(3) hash, taken as it stands
vsftpd_password_hash='$6$ferrixtestsalt$1UcQZBQ.WkWjY/WBa2VTzf8IaYZprSePRMTAK.aJ9jDEEyz8rIZ3bHtk40gsISndV3zbdHCwY19IxKc93Pe1z1'

# vsftpd_requirements PACKAGE...: installs the packages that are missing (as
# root, or says how), then insists on root and makes the system user.
vsftpd_requirements() {
  local package missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
      || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "the benchmark needs: sudo apt-get install -y ${missing[*]}" >&2
      exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "vsftpd logs on a system user and needs root: run the benchmark as root" >&2
    exit 1
  fi
  getent passwd "$user" >/dev/null ||
    useradd --system --no-create-home --home-dir / --shell /bin/sh --password "$vsftpd_password_hash" "$user"
}

# vsftpd_scratch_folder: makes $work, with $work/empty for vsftpd's secure
# chroot folder.
vsftpd_scratch_folder() {
  base=/dev/shm
  [ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
  work=$(mktemp -d "$base/ferrix-bench-XXXXXX")
  vsftpd_pid=""
  trap vsftpd_cleanup EXIT
  mkdir -p "$work/empty"
  chmod 0755 "$work"
  chmod 0555 "$work/empty"
}

vsftpd_cleanup() {
  if [ -n "$vsftpd_pid" ]; then
    kill "$vsftpd_pid" 2>/dev/null || true
    wait "$vsftpd_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}

# vsftpd_start WRITE_ENABLE [ADDRESS [NAMESPACE]]: starts vsftpd on a free
# port of ADDRESS (default 127.0.0.1), inside the network namespace NAMESPACE
# when one is named, with uploads allowed when WRITE_ENABLE is YES (NO: read
# only), and waits until the port answers.
vsftpd_start() {
  local address=${2:-127.0.0.1} inside=()
  [ -z "${3:-}" ] || inside=(ip netns exec "$3")
  port=$("${inside[@]}" /usr/bin/python3 -c 'import socket, sys; s = socket.socket(); s.bind((sys.argv[1], 0)); print(s.getsockname()[1])' "$address")
  cat >"$work/vsftpd.conf" <<CONF
listen=YES
listen_address=$address
listen_port=$port
background=NO
anonymous_enable=NO
local_enable=YES
write_enable=$1
local_umask=022
pam_service_name=vsftpd
session_support=NO
userlist_enable=NO
secure_chroot_dir=$work/empty
pasv_enable=YES
pasv_address=$address
pasv_min_port=22000
pasv_max_port=22999
port_enable=YES
connect_from_port_20=NO
xferlog_enable=NO
syslog_enable=NO
dirmessage_enable=NO
${vsftpd_extra_conf:-}
CONF
  chmod 0600 "$work/vsftpd.conf"
  "${inside[@]}" /usr/sbin/vsftpd "$work/vsftpd.conf" >"$work/vsftpd.out" 2>&1 &
  vsftpd_pid=$!
  for _ in $(seq 100); do
    "${inside[@]}" bash -c "exec 3<>/dev/tcp/$address/$port" 2>/dev/null && break
    sleep 0.05
  done
}
