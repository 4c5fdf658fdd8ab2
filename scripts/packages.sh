# The Debian packages Ferrix needs to build, test and run; sourced by the
# scripts that need them. ensure_packages installs the missing ones as root,
# or prints the apt-get line to run and fails.
ferrix_packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  python3-pyftpdlib vsftpd openssl
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev libgl-dev fonts-dejavu-core
  desktop-file-utils appstream pkg-config dpkg-dev file man-db
)

ensure_packages() {
  local missing=() package
  for package in "${ferrix_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
      || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Ferrix needs these Debian packages; install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  echo "== installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}
