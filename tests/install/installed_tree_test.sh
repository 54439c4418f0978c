#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop gets:
# the program, which answers --help and --version without a display; the
# menu entry and the AppStream description, both clean under their
# validators; the icons at their sizes; the manual page; the documentation.
#
#   installed_tree_test.sh BUILD_FOLDER DESKTOP_ID VERSION
set -euo pipefail
build=$1 id=$2 version=$3

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_file() { [ -f "$prefix/$1" ] || fail "not installed: $1"; }

expect_file bin/kestrix
[ -x "$prefix/bin/kestrix" ] || fail "bin/kestrix is not executable"
expect_file "share/applications/$id.desktop"
expect_file "share/metainfo/$id.metainfo.xml"
expect_file "share/icons/hicolor/scalable/apps/$id.svg"
expect_file share/man/man1/kestrix.1
expect_file share/doc/kestrix/README.md
expect_file share/doc/kestrix/manual.md
expect_file share/doc/kestrix/screenshot.png
for example in at_modem uboot_env loopback_timing modbus_poll; do
  expect_file "share/doc/kestrix/examples/$example.lua"
done

# Each PNG is square at the size its folder names (width and height are
# bytes 16 to 23 of the file, big-endian).
for size in 16 22 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  if [ ! -f "$png" ]; then
    fail "no ${size}x${size} icon"
    continue
  fi
  read -r -a header <<<"$(od -An -tu1 -j16 -N8 "$png")"
  width=$(((header[2] << 8) | header[3]))
  height=$(((header[6] << 8) | header[7]))
  [ "$width" -eq "$size" ] && [ "$height" -eq "$size" ] || fail "${size}x${size} icon is ${width}x${height}"
done

desktop_file="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop_file" || fail "desktop-file-validate"
grep -qx "Exec=kestrix" "$desktop_file" || fail "the menu entry does not start kestrix"
grep -qx "Icon=$id" "$desktop_file" || fail "the menu entry's icon is not $id"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "no AppStream release entry for $version"
grep -q "Kestrix $version" "$prefix/share/man/man1/kestrix.1" || fail "the manual page does not name version $version"

# The command line answers before any window: no display is needed.
program() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/kestrix" "$@"; }
help=$(program --help) || fail "kestrix --help exited with $?"
[[ "$help" == "Usage: kestrix"* ]] || fail "kestrix --help printed: $help"
[ "$(program --version)" = "kestrix $version" ] || fail "kestrix --version printed something else"
status=0
program --no-such-option 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "an unknown option exited with $status, not 2"

# A script runs without a display and ends with its status; its settings
# go to a folder of the test's own.
echo 'print("script ran") exit(3)' >"$prefix/check.lua"
status=0
output=$(XDG_CONFIG_HOME="$prefix/config" program --script "$prefix/check.lua") || status=$?
[ "$status" -eq 3 ] || fail "kestrix --script exited with $status, not 3"
[ "$output" = "script ran" ] || fail "kestrix --script printed: $output"

[ "$failures" -eq 0 ] || exit 1
echo "Installed tree complete; desktop entry and AppStream description valid."
