#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the installed program: the files land where a
# desktop looks for them, the launcher and metainfo validate, --help and --version answer without a
# display, and the program, started offscreen with a private home, finds its languages, help, skin,
# sounds and CAD library in the install, not in the source or build tree.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
work=$(mktemp -d)
app=
cleanup() {
  local status=$?
  if [[ -n $app ]]; then
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

DESTDIR=$work/stage cmake --install "$build" --prefix /usr >"$work/install.log"
root=$work/stage/usr
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
for f in bin/lumivex bin/lumivex-image "$libdir/lumivex/libCadIO.so" \
  share/lumivex/lang/English1252.ini share/lumivex/help/Lumivex-EN.html share/lumivex/skin/app-icon.svg \
  share/lumivex/sounds/180.wav share/applications/lumivex.desktop share/metainfo/org.lumivex.Lumivex.metainfo.xml \
  share/icons/hicolor/scalable/apps/lumivex.svg share/icons/hicolor/16x16/apps/lumivex.png \
  share/icons/hicolor/256x256/apps/lumivex.png share/man/man1/lumivex.1.gz share/man/man1/lumivex-image.1.gz \
  lib/udev/rules.d/70-lumivex.rules share/doc/lumivex/copyright; do
  [[ -f $root/$f ]] || fail "not installed: /usr/$f"
done
for kind in lang help skin sounds; do
  diff -r "$src/resources/$kind" "$root/share/lumivex/$kind" >/dev/null || fail "share/lumivex/$kind differs from the sources"
done

desktop-file-validate "$root/share/applications/lumivex.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/share/metainfo/org.lumivex.Lumivex.metainfo.xml" || fail "appstreamcli validate"
zcat "$root/share/man/man1/lumivex.1.gz" | grep -qF 'demo\-camera' || fail "man page lacks the options"

# --help and --version: no display, no platform, no home needed.
version=$(env -u DISPLAY -u QT_QPA_PLATFORM "$root/bin/lumivex" --version) || fail "--version status $?"
[[ $version =~ ^Lumivex\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
help=$(env -u DISPLAY -u QT_QPA_PLATFORM "$root/bin/lumivex" --help) || fail "--help status $?"
grep -q -- '--demo-camera' <<<"$help" || fail "--help lacks --demo-camera"
grep -q '^Usage: lumivex ' <<<"$help" || fail "--help lacks the usage line"
status=0
QT_QPA_PLATFORM=offscreen HOME=$work/home XDG_RUNTIME_DIR=$work "$root/bin/lumivex" --no-such-option \
  >/dev/null 2>"$work/err" || status=$?
[[ $status -eq 2 ]] || fail "an unknown option gave status $status"
grep -q "no-such-option" "$work/err" || fail "the unknown option is not named"

# The installed program with the simulated camera, a private home and nothing of the source tree.
home=$work/home
mkdir -p "$home"
chmod 700 "$home"  # it is the runtime folder too, which must be private
session=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
  XDG_RUNTIME_DIR="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen
  QT_LOGGING_RULES="lumivex.startup.debug=true;lumivex.open.debug=true")
(cd "$work" && exec "${session[@]}" "$root/bin/lumivex" --demo-camera >"$work/run.log" 2>&1) &
app=$!
# The report's last line comes once the main window is built; a loaded machine may take a while.
for ((i = 0; i < 600; i++)); do
  grep -q "CAD library:" "$work/run.log" && break
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
grep -q "CAD library:" "$work/run.log" || {
  cat "$work/run.log" >&2
  fail "the installed program did not report its files"
}
grep "^lumivex.startup:" "$work/run.log" || true
check() { # what, expected path
  grep -qF "$1: $2" "$work/run.log" || fail "$1 not found at $2"
}
real=$(cd "$root" && pwd -P)
check "language file" "$real/share/lumivex/lang/English1252.ini"
check "help page" "$real/share/lumivex/help/Lumivex-EN.html"
check "skin" "$real/share/lumivex/skin/app-icon.svg"
check "sounds" "$real/share/lumivex/sounds/180.wav"
check "CAD library" "$real/$libdir/lumivex/libCadIO.so"
[[ -f $home/.config/Lumivex/registry.reg || -d $home/.local/share/Lumivex ]] || fail "no settings made in the private home"

# Open with, as a file manager does it: a second start names a picture and a video, hands them to the
# program that runs and ends with status 0; the running program opens a workspace and the player.
mkdir -p "$work/files"
ffmpeg -v error -f lavfi -i color=c=gray:s=64x48 -frames:v 1 "$work/files/Still 1.jpg"
ffmpeg -v error -f lavfi -i testsrc=s=160x120:r=5 -t 1 -c:v mjpeg "$work/files/Video 1.avi"
status=0
(cd "$work/files" && timeout 60 "${session[@]}" "$root/bin/lumivex" "Still 1.jpg" "Video 1.avi" >"$work/second.log" 2>&1) ||
  status=$?
[[ $status -eq 0 ]] || fail "the second start ended with status $status: $(cat "$work/second.log")"
for line in "picture in a workspace: $work/files/Still 1.jpg" "video in the player: $work/files/Video 1.avi"; do
  for ((i = 0; i < 600; i++)); do
    grep -qF "$line" "$work/run.log" && break
    sleep 0.1
  done
  grep -qF "$line" "$work/run.log" || {
    cat "$work/run.log" >&2
    fail "the running program did not log '$line'"
  }
done
kill -0 "$app" 2>/dev/null || fail "the running program ended after the hand-over"
echo "install test passed"
