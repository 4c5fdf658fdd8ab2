#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR) under a prefix of its
# own and uses the installation the way a user and a developer would: the
# exact file list, the installed programs run from there (found through their
# RPATH, companion files from share/ferrix), a C program built against the
# installed header and library through pkg-config, a CMake project through
# find_package, and the desktop entry, AppStream data and manual pages
# checked by their validators.
#
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION LIBDIR "PROGRAMS" C_COMPILER LINKER "C_FLAGS"
set -euo pipefail

build=$1 source=$2 version=$3 libdir=$4 programs=$5 cc=$6 linker=$7 cflags=$8
prefix=/opt/ferrix-staged
app=org.ferrix.Ferrix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
root=$stage$prefix
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_output DESCRIPTION EXPECTED COMMAND...: the command succeeds and
# prints exactly EXPECTED.
expect_output() {
  local description=$1 expected=$2 actual
  shift 2
  if ! actual=$("$@" 2>"$work/stderr"); then
    fail "$description: exit status $? ($(cat "$work/stderr"))"
  elif [ "$actual" != "$expected" ]; then
    fail "$description: printed '$actual', expected '$expected'"
  fi
}

has_program() { [[ " $programs " == *" $1 "* ]]; }

DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; exit 1; }

# The file list, exactly.
{
  for program in $programs; do
    echo "bin/$program"
    echo "share/man/man1/$program.1"
  done
  echo include/ferrixcore.h
  echo "$libdir/libferrixcore.so"
  echo "$libdir/libferrixcore.so.1"
  echo "$libdir/libferrixcore.so.$version"
  echo "$libdir/pkgconfig/ferrixcore.pc"
  for file in ferrixcoreConfig.cmake ferrixcoreConfigVersion.cmake ferrixcoreTargets.cmake \
      ferrixcoreTargets-CONFIG.cmake; do
    echo "$libdir/cmake/ferrixcore/$file"
  done
  for page in "$source"/resources/help/*; do echo "share/ferrix/help/${page##*/}"; done
  for sound in "$source"/resources/sounds/*.wav; do echo "share/ferrix/${sound##*/}"; done
  echo share/ferrix/FERRIX.EXT
  echo share/ferrix/FERRIX.CNV
  echo "share/applications/$app.desktop"
  echo "share/metainfo/$app.metainfo.xml"
  echo "share/icons/hicolor/scalable/apps/$app.svg"
  for size in 16 22 24 32 48 64 128 256; do
    echo "share/icons/hicolor/${size}x$size/apps/$app.png"
  done
} | sort >"$work/expected.txt"
(cd "$root" && find . ! -type d | sed 's|^\./||' |
  sed 's|ferrixcoreTargets-[a-z]*\.cmake$|ferrixcoreTargets-CONFIG.cmake|' | sort) >"$work/installed.txt"
if ! diff -u "$work/expected.txt" "$work/installed.txt" >&2; then
  fail "installed files differ from the expected list"
fi
if [ "$(cd "$stage" && find . ! -type d | grep -v "^\.$prefix/" || true)" != "" ]; then
  fail "files installed outside the prefix"
fi

# The programs run from the stage alone: the library through RPATH, no
# build folder involved.
for program in $programs; do
  if ! readelf -d "$root/bin/$program" | grep -q "R.*PATH.*\[\$ORIGIN/../$libdir\]"; then
    fail "$program: RPATH is not \$ORIGIN/../$libdir"
  fi
done
listing='drwxr-xr-x   2 ftp  ftp      4096 Jan 05  2003 pub'
expect_output "installed ferrix-decode decodes a line" \
  "$(printf 'pub\tfolder\t4096\t2003-01-05 00:00:00\t0755')" \
  sh -c "printf '%s\n' '$listing' | '$root/bin/ferrix-decode' --host-type 6010"
expect_output "ferrix-decode --version" "ferrix-decode $version" "$root/bin/ferrix-decode" --version
if has_program ferrix; then
  expect_output "ferrix --version" "ferrix $version" "$root/bin/ferrix" --version
fi
# A display that does not exist: opening a window would fail.
expect_output "ferrixgui --version" "ferrixgui $version" \
  env DISPLAY=:99 QT_QPA_PLATFORM=xcb "$root/bin/ferrixgui" --version
if ! env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/ferrixgui" --help |
    grep -q -- '--version'; then
  fail "ferrixgui --help does not name --version"
fi

# Without lists of its own, the installed program takes the shipped ones.
mkdir -p "$work/empty" "$work/config"
settings=$(cd "$work/empty" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  XDG_CONFIG_HOME="$work/config" "$root/bin/ferrixgui" 2>&1) || fail "ferrixgui settings run"
for line in "ASCII name list: $root/share/ferrix/FERRIX.EXT" \
    "Extension conversion list: $root/share/ferrix/FERRIX.CNV"; do
  grep -qxF "$line" <<<"$settings" || fail "settings run lacks '$line': $settings"
done

# A C program through pkg-config, against the staged header and library.
cat >"$work/decode.c" <<'EOF'
#include <ferrixcore.h>
#include <stdio.h>

int main(void) {
  ListingEntry entry;
  int32_t length = FERRIX_DecodeLine(&entry, "-rw-r--r-- 1 u g 1419 Jun  5  2002 read.me",
                                     FERRIX_HOST_TYPE_UNIX, "/", "anonymous");
  printf("%d %s %u %s\n", (int)length, entry.name, (unsigned)entry.size,
         FERRIX_ReturnHostTypeName(FERRIX_HOST_TYPE_UNIX));
  return 0;
}
EOF
export PKG_CONFIG_PATH=$root/$libdir/pkgconfig PKG_CONFIG_SYSROOT_DIR=$stage
expect_output "pkg-config --modversion" "$version" pkg-config --modversion ferrixcore
# shellcheck disable=SC2046,SC2086 # the flags are words
if "$cc" $cflags -std=c99 -Wall -Werror $(pkg-config --cflags ferrixcore) \
    -c -o "$work/decode.o" "$work/decode.c" 2>"$work/cc.log" &&
    "$linker" $cflags -o "$work/decode" "$work/decode.o" \
    $(pkg-config --libs ferrixcore) 2>>"$work/cc.log"; then
  expect_output "C program against the installed library" "7 read.me 1419 UNIX (standard)" \
    env LD_LIBRARY_PATH="$root/$libdir" "$work/decode"
else
  fail "C program does not build: $(cat "$work/cc.log")"
fi

# A CMake project through find_package, configured only: the imported
# target must name the installed header folder and library.
mkdir -p "$work/consumer"
cat >"$work/consumer/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(consumer LANGUAGES NONE)
find_package(ferrixcore 1 REQUIRED)
get_target_property(headers ferrixcore::ferrixcore INTERFACE_INCLUDE_DIRECTORIES)
get_target_property(configs ferrixcore::ferrixcore IMPORTED_CONFIGURATIONS)
get_target_property(library ferrixcore::ferrixcore IMPORTED_LOCATION_${configs})
file(WRITE ${CMAKE_BINARY_DIR}/found.txt "${headers}\n${library}\n")
EOF
if cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$root" \
    >"$work/consumer.log" 2>&1; then
  expect_output "find_package(ferrixcore)" \
    "$(printf '%s\n%s' "$root/include" "$root/$libdir/libferrixcore.so.$version")" \
    cat "$work/consumer/build/found.txt"
else
  fail "find_package(ferrixcore) fails: $(cat "$work/consumer.log")"
fi

# Desktop entry, AppStream data, manual pages and icons.
desktop-file-validate "$root/share/applications/$app.desktop" ||
  fail "desktop entry does not validate"
appstreamcli validate --no-net "$root/share/metainfo/$app.metainfo.xml" >"$work/appstream.log" ||
  fail "AppStream data does not validate: $(cat "$work/appstream.log")"
for program in $programs; do
  page=$root/share/man/man1/$program.1
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) ||
    fail "man $program does not render"
  [ -z "$warnings" ] || fail "man $program: $warnings"
  if grep -q '@[A-Z_]*@' "$page"; then fail "man $program keeps a placeholder"; fi
  if [ "$program" != ferrix-decode ] && ! grep -q "^\.IR $prefix/share/ferrix " "$page"; then
    fail "man $program does not name the installed data folder"
  fi
done
for size in 16 22 24 32 48 64 128 256; do
  file "$root/share/icons/hicolor/${size}x$size/apps/$app.png" | grep -q "PNG image data, $size x $size," ||
    fail "icon ${size}x$size is not a PNG of that size"
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "staged installation under $prefix works"
