#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what landed there: the files,
# the desktop entry and metainfo (validated when the validators are present), the udev
# rule, and that the installed programs run from there with no library path set.
# Usage: scripts/check-install.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=${1:?build directory}
version=${2:?version}
id=${3:?desktop id}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/oxbow bin/oxbow-sim share/oxbow/Oxbow.html \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/oxbow.svg share/icons/hicolor/256x256/apps/oxbow.png \
         share/man/man1/oxbow.1 share/man/man1/oxbow-sim.1 lib/udev/rules.d/70-oxbow.rules \
         share/doc/oxbow/copyright; do
  [ -s "$prefix/$f" ] || fail "$f missing"
done
ls "$prefix"/lib/oxbow/libOxMsg.so* >/dev/null 2>&1 || fail "the shared libraries are missing"
[ -z "$(find "$prefix" -name '*_tests' -o -name '*.a')" ] || fail "tests or static libraries installed"

grep -q "^License: GPL-3.0-or-later" "$prefix/share/doc/oxbow/copyright" || fail "copyright lacks the licence"
grep -q "<project_license>GPL-3.0-or-later</project_license>" "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo lacks the licence"

desktop=$prefix/share/applications/$id.desktop
for key in "Name=Oxbow" "GenericName=Oscilloscope" "Categories=Science;Electronics;Engineering;" \
           "Exec=oxbow" "Icon=oxbow"; do
  grep -qxF "$key" "$desktop" || fail "desktop entry lacks $key"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"
fi
grep -q 'TAG+="uaccess"' "$prefix/lib/udev/rules.d/70-oxbow.rules" || fail "udev rule lacks uaccess"
grep -Eq 'idVendor}=="[0-9a-f]{4}".*idProduct}=="[0-9a-f]{4}"' "$prefix/lib/udev/rules.d/70-oxbow.rules" ||
  fail "udev rule lacks the USB ids"

# The installed programs, relocated: no build tree, no library path, no display.
run() { env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
[ "$(run "$prefix/bin/oxbow" --version)" = "oxbow $version" ] || fail "oxbow --version"
[ "$(run "$prefix/bin/oxbow-sim" --version)" = "oxbow-sim $version" ] || fail "oxbow-sim --version"
run "$prefix/bin/oxbow" --help | grep -q -- "--version" || fail "oxbow --help"
if run "$prefix/bin/oxbow" --frobnicate 2>/dev/null; then fail "oxbow accepted an unknown option"; fi
if ldd "$prefix/bin/oxbow" | grep -q "$build"; then fail "oxbow still links the build tree"; fi

[ "$failures" -eq 0 ] && echo "installed tree complete"
exit "$failures"
