#!/usr/bin/env bash
# Installs the build into a scratch prefix and validates the desktop entry and
# AppStream metadata; then builds the Debian package, installs it with dpkg,
# runs the installed `vokabino` through the start-up cancel check, and removes
# the package again. usage: package_test.sh BUILD_DIR
set -u
build=$1
here=$(cd "$(dirname "$0")" && pwd)
e2e="$here/../e2e"
. "$e2e/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
app=org.vokabino.Vokabino
check "desktop entry is valid" desktop-file-validate "$work/prefix/share/applications/$app.desktop"
check "AppStream metadata is valid" appstreamcli validate --no-net --pedantic \
  "$work/prefix/share/metainfo/$app.metainfo.xml"
check "icons in every size" test "$(find "$work/prefix/share/icons/hicolor" -name "$app.*" | wc -l)" -eq 8
check "the player sits behind the launcher" test -x "$work/prefix/libexec/vokabino/vokabino"

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/vokabino_*.deb 2>/dev/null | head -n1)
check "the Debian package is built" test -n "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libmpv2 libpng16-16 fonts-liberation2 apertium apertium-eng-spa apertium-fr-es; do
  check "the package depends on $needed" grep -q "\b$needed\b" <<<"$depends"
done

if [ "$(id -u)" -ne 0 ]; then
  echo "not root: the package is not installed here"
  finish
  exit $?
fi
check "the package installs with dpkg" dpkg -i "$deb"
export HOME="$work/home" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME"
SCENARIOS=cancel VOKABINO=/usr/bin/vokabino "$e2e/startup_e2e.sh"
check "the installed vokabino passes the cancel check" test $? -eq 0
check "it made its cache folder" test -d "$XDG_CACHE_HOME/vokabino"
check "the package removes cleanly" dpkg -r vokabino
finish
