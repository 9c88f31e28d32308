#!/usr/bin/env bash
# check-install.sh BUILD_DIR SOURCE_DIR DESKTOP_ID (run inside run-isolated)
set -euo pipefail
build=$1 source=$2 id=$3
prefix="$HOME/prefix with space"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
program="$prefix/libexec/inkly/inkly"
for file in bin/inkly libexec/inkly/License.txt "share/applications/$id.desktop" \
            "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg" \
            "share/icons/hicolor/16x16/apps/$id.png" "share/icons/hicolor/256x256/apps/$id.png"; do
  [ -e "$prefix/$file" ] || fail "$file not installed"
done

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
grep -qxF "Exec=\"$prefix/bin/inkly\"" "$prefix/share/applications/$id.desktop" \
  || fail "the launcher does not start the installed program"
[ "$("$prefix/bin/inkly" --version)" = "Inkly $(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
  "$prefix/share/metainfo/$id.metainfo.xml")" ] || fail "program and metadata versions differ"

# The installer's task registers the program itself, where its licence lies.
autostart="$XDG_CONFIG_HOME/autostart/Inkly.desktop"
"$prefix/bin/inkly" --install
grep -qxF "Exec=\"$program\" --autostart" "$autostart" || fail "autostart entry: $(cat "$autostart")"

"$source/scripts/uninstall" --prefix "$prefix" >/dev/null
[ ! -e "$autostart" ] || fail "autostart entry left behind"
left=$(cd "$prefix" && find . -mindepth 1 ! -name bin)
[ -z "$left" ] || fail "left behind: $left"
echo "install, validation and removal passed"
