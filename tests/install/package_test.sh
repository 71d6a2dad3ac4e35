#!/usr/bin/env bash
# Builds the Debian package from the build tree with cpack, checks its control data and contents, runs
# lintian on it (no errors allowed), and runs the program unpacked from it.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log" >&2
  fail "cpack"
}
deb=$work/out/lumivex_${version}_amd64.deb
[[ -f $deb ]] || fail "no $(basename "$deb") in: $(ls "$work/out")"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

dpkg-deb --info "$deb" >"$work/info"
cat "$work/info"
depends=$(dpkg-deb --field "$deb" Depends)
# Computed by dpkg-shlibdeps from the binaries, plus what is only loaded at run time.
for dep in libqt6widgets6 libqt6svg6 libgstreamer1.0-0 libopencv-imgproc libjpeg62-turbo libavcodec libdxflib \
  libevdev2 libc6 gstreamer1.0-plugins-good gstreamer1.0-libav xdg-utils; do
  grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

dpkg-deb --contents "$deb" >"$work/contents"
for f in ./usr/bin/lumivex ./usr/bin/lumivex-image ./usr/lib/lumivex/libCadIO.so \
  ./usr/share/lumivex/lang/English1252.ini ./usr/share/lumivex/help/Lumivex-EN.html \
  ./usr/share/lumivex/skin/app-icon.svg ./usr/share/lumivex/sounds/180.wav \
  ./usr/share/applications/lumivex.desktop ./usr/share/metainfo/org.lumivex.Lumivex.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/lumivex.svg ./usr/share/icons/hicolor/48x48/apps/lumivex.png \
  ./usr/share/man/man1/lumivex.1.gz ./usr/lib/udev/rules.d/70-lumivex.rules \
  ./usr/share/doc/lumivex/copyright ./usr/share/doc/lumivex/changelog.gz; do
  grep -qE " $f\$" "$work/contents" || fail "the package lacks $f"
done
# Nothing of the build machine: no build or source paths, no test libraries, everything owned by root.
! grep -E "CadIOMissingSymbol|/work/|/build/|\.a$" "$work/contents" || fail "the package holds build leftovers"
! awk '{print $2}' "$work/contents" | grep -v '^root/root$' || fail "files not owned by root"

# Lintian: errors fail the test; warnings are shown.
lintian --no-tag-display-limit "$deb" >"$work/lintian" 2>&1 || true
cat "$work/lintian"
! grep -q '^E:' "$work/lintian" || fail "lintian reports errors"

# The packaged (stripped) program runs from where the package puts it.
dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/lumivex" --version | grep -qx "Lumivex $version" || fail "the packaged program's --version"
echo "package test passed"
