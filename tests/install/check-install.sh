#!/bin/sh
# Installs the build into a temporary DESTDIR and checks the tree a package would carry: every file
# in its place and nothing else, valid desktop entry and metainfo, the icon the entry names in every
# size, the version the program reports in the metainfo and the man page.
#
#   check-install.sh BUILD_DIR APP_ID VERSION
set -eu
build=$1
id=$2
version=$3
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root=$dest/usr

entry=share/applications/$id.desktop
metainfo=share/metainfo/$id.metainfo.xml
expected="bin/tavrodesk $entry $metainfo share/man/man1/tavrodesk.1 share/icons/hicolor/scalable/apps/$id.svg"
expected="$expected share/tavrodesk/translations/tavrodesk_de.qm"
for size in 16 22 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/$id.png
    expected="$expected $png"
    file -b "$root/$png" | grep -q "^PNG image data, $size x $size," || fail "$png is not a ${size}x$size PNG"
done
(cd "$root" && find . -type f | sed 's|^\./||' | sort) >"$dest/installed"
printf '%s\n' $expected | sort >"$dest/wanted"
diff "$dest/wanted" "$dest/installed" >&2 || fail "installed files (>) differ from the expected ones (<)"

[ -x "$root/bin/tavrodesk" ] || fail "bin/tavrodesk is not executable"
desktop-file-validate "$root/$entry" || fail "$entry is not a valid desktop entry"
appstreamcli validate --no-net --no-color "$root/$metainfo" >"$dest/validate.log" 2>&1 ||
    fail "$metainfo does not validate: $(cat "$dest/validate.log")"
for line in "Exec=tavrodesk" "Icon=$id" "StartupWMClass=tavrodesk"; do
    grep -qx "$line" "$root/$entry" || fail "$entry lacks $line"
done
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/$metainfo" ||
    fail "$metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$root/$metainfo" || fail "$metainfo has no release $version"
grep -q "^\.TH TAVRODESK 1 .*\"TavroDesk $version\"" "$root/share/man/man1/tavrodesk.1" ||
    fail "the man page does not carry version $version"
! grep -rlI '@[A-Z_]*@' "$root/share" >/dev/null || fail "unsubstituted placeholders in $(grep -rlI '@[A-Z_]*@' "$root/share")"
[ "$("$root/bin/tavrodesk" --version)" = "tavrodesk $version" ] || fail "installed tavrodesk reports another version"
echo "installed tree complete: $(wc -l <"$dest/installed") files"
