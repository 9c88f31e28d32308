#!/usr/bin/env bash
# check-package.sh BUILD_DIR VERSION DESKTOP_ID
set -euo pipefail
build=$1 version=$2 id=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/inkly-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb="$work/out/inkly_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"

echo "lintian:"
lintian --fail-on error "$deb" || fail "lintian reports errors"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6quick6 libxcb1 qml6-module-qtquick-controls; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

dpkg -x "$deb" "$work/root"
usr="$work/root/usr"
for file in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
            share/icons/hicolor/scalable/apps/$id.svg share/doc/inkly/copyright \
            libexec/inkly/License.txt; do
  [ -f "$usr/$file" ] || fail "missing /usr/$file"
done
[ ! -e "$usr/libexec/inkly/installed-files.txt" ] || fail "the user install's file list is packaged"
grep -qx 'Exec="/usr/bin/inkly"' "$usr/share/applications/$id.desktop" \
  || fail "launcher: $(grep Exec "$usr/share/applications/$id.desktop")"

out=$("$usr/bin/inkly" --version)
[ "$out" = "Inkly $version" ] || fail "inkly --version: $out"
echo "OK: $(basename "$deb") runs as $out"
