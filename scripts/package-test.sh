#!/bin/sh
# Builds the Debian package from debian/ with dpkg-buildpackage, holds it to lintian (any error or
# warning fails), installs it on this machine and checks the installed program as a user meets it:
# the menu entry and its icon resolve, --version answers, and a headless start shows the window with
# its icon, signs in to the development service with the password going to the keyring (not the ini),
# writes the autostart entry when "Start TavroDesk when I log in" is ticked and quits on SIGTERM with
# its settings saved; started from that entry with a tray present, it shows no window. Needs root or
# sudo (apt-get install).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
id=example.tavro.TavroDesk
fail() {
    echo "package test: $*" >&2
    exit 1
}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# dpkg-buildpackage writes next to the source tree: build a copy of the working tree inside the
# build folder. The copy's path stays the same from run to run, so ccache serves unchanged files.
package_dir=$(realpath "$BUILD_DIR")/deb
rm -rf "$package_dir"
mkdir -p "$package_dir/tavrodesk"
git ls-files -z --cached --others --exclude-standard | tar --null -T - --ignore-failed-read -cf - 2>/dev/null |
    tar -xf - -C "$package_dir/tavrodesk"
# debhelper gives the build a HOME of its own: keep ccache's folder.
CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
export CCACHE_DIR
started=$(date +%s)
(cd "$package_dir/tavrodesk" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -b -us -uc) \
    >"$package_dir/build.log" 2>&1 || fail "dpkg-buildpackage failed: $(tail -n 40 "$package_dir/build.log")"
echo "package test: dpkg-buildpackage took $(($(date +%s) - started)) s"
changes=$(ls "$package_dir"/tavrodesk_*.changes)
lintian --fail-on error,warning --display-info "$changes" || fail "lintian found errors or warnings"
deb=$(ls "$package_dir"/tavrodesk_*.deb)

# A build repeats: the only date in the program is the changelog's, handed over as SOURCE_DATE_EPOCH.
changelog_day=$(date -u -d "@$(dpkg-parsechangelog -l debian/changelog -S Timestamp)" +%F)
# The build date is a UTF-16 literal that the compiler may lay out right after other text, so it is
# looked for inside the strings; and the date CMake uses without SOURCE_DATE_EPOCH must be absent.
default_day=$(sed -n 's/^set(TAVRO_BUILD_DATE \([0-9-]*\))$/\1/p' CMakeLists.txt)
program_texts=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/bin/tavrodesk | strings -e l)
printf '%s\n' "$program_texts" | grep -q -- "$changelog_day" ||
    fail "the program does not carry the changelog's date $changelog_day as its build date"
[ -n "$default_day" ] || fail "no default build date found in CMakeLists.txt"
[ "$default_day" = "$changelog_day" ] || ! printf '%s\n' "$program_texts" | grep -q -- "$default_day" ||
    fail "the program carries the default build date $default_day, not the changelog's $changelog_day"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no library dependencies found from the binary"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall -o DPkg::Lock::Timeout=300 "$deb" >/dev/null

# The menu data: a valid entry whose program and icon resolve.
entry=/usr/share/applications/$id.desktop
desktop-file-validate "$entry" || fail "$entry is not valid"
appstreamcli validate --no-net /usr/share/metainfo/$id.metainfo.xml >/dev/null || fail "the metainfo does not validate"
exec_name=$(sed -n 's/^Exec=//p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ "$(command -v "$exec_name")" = /usr/bin/tavrodesk ] || fail "Exec=$exec_name does not resolve to /usr/bin/tavrodesk"
[ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "icon $icon has no scalable image"
[ -f "/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "icon $icon has no 48x48 image"
version=$(dpkg-deb -f "$deb" Version)
[ "$(tavrodesk --version)" = "tavrodesk $version" ] || fail "tavrodesk --version does not say $version"

# A headless session: X server, private session bus with an unlocked keyring, development service.
work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/data/TavroDesk" "$work/run" "$work/config" "$work/state"
chmod 700 "$work/run" "$work/data/TavroDesk"
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

wait_for() { # seconds, command...
    tries=$(($1 * 10))
    shift
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

Xvfb -displayfd 3 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids="$pids $!"
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

cat >"$work/bus.conf" <<CONF
<busconfig><type>session</type><listen>unix:dir=$work/run</listen>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=1 >"$work/bus" &
pids="$pids $!"
wait_for 10 test -s "$work/bus" || fail "dbus-daemon did not start"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS
printf keyring >"$work/keyring-password"
gnome-keyring-daemon --foreground --unlock --components=secrets <"$work/keyring-password" >/dev/null 2>&1 &
pids="$pids $!"
keyring_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:org.freedesktop.secrets | grep -q 'boolean true'
}
wait_for 10 keyring_up || fail "gnome-keyring-daemon did not start"

"$BUILD_DIR/devservice/tavro-devservice" --port 0 --data "$work/devservice.sqlite" >"$work/devservice.log" 2>&1 &
pids="$pids $!"
service_url() { sed -n 's|^tavro-devservice listening on \(http://127\.0\.0\.1:[0-9]*/service/\)$|\1|p' "$work/devservice.log" | grep .; }
wait_for 10 service_url || fail "the development service did not start"
# Written where version 1.0.10 kept it: the installed program moves it to its XDG place.
earlier_ini="$work/data/TavroDesk/tavrodesk.ini"
ini="$XDG_CONFIG_HOME/TavroDesk/tavrodesk.ini"
cat >"$earlier_ini" <<INI
[API]
Url=$(service_url)
SslEnabled=false
Username=demo@tavro.test
Password=ZGVtbw==
INI

tavrodesk -debug >"$work/app.out" 2>&1 &
app=$!
pids="$pids $app"
log="$XDG_STATE_HOME/TavroDesk/debug.log"
window() { xdotool search --onlyvisible --class "$wm_class" | head -n 1 | grep .; }
wait_for 30 window || fail "the installed program showed no window of class $wm_class"
xprop -id "$(window)" WM_CLASS | grep -q "\"$wm_class\"" || fail "the window's class is not $wm_class"
xprop -id "$(window)" _NET_WM_ICON | grep -q 'Icon (' || fail "the window carries no icon for the task bar"
wait_for 30 grep -q 'auth user:  "demo"' "$log" || fail "the program did not sign in: $(cat "$log")"
token_in_keyring() { secret-tool lookup server TavroDesk user AuthToken | grep -q .; }
wait_for 10 token_in_keyring || fail "the session token did not reach the keyring on sign-in"

# Start at log-in, ticked in the settings dialog (File > Settings..., then its access key).
xdotool windowfocus --sync "$(window)"
xdotool key alt+f e
wait_for 10 sh -c '[ "$(xdotool getwindowfocus getwindowname)" = Settings ]' || fail "the settings dialog did not open"
xdotool key --delay 500 alt+l Return
autostart="$XDG_CONFIG_HOME/autostart/$id.desktop"
wait_for 10 test -f "$autostart" || fail "no autostart entry after ticking \"Start TavroDesk when I log in\""
desktop-file-validate "$autostart" || fail "the autostart entry is not valid"
grep -qx 'Exec=/usr/bin/tavrodesk --autostart' "$autostart" || fail "the autostart entry does not start /usr/bin/tavrodesk"
grep -qx 'TryExec=/usr/bin/tavrodesk' "$autostart" || fail "the autostart entry would outlive an uninstall: no TryExec"

kill -TERM "$app"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with $status on SIGTERM"
[ "$(readlink "$earlier_ini")" = "$ini" ] || fail "the settings file was not moved to $ini with a link left behind"
grep -q '^Username=demo@tavro.test' "$ini" || fail "the settings were not saved on SIGTERM"
grep -q '^Geometry=' "$XDG_STATE_HOME/TavroDesk/window.ini" || fail "the window layout was not saved on SIGTERM"
# Built without the update check: neither its code nor its settings are in the program.
! grep -q '^\[Updates\]' "$ini" || fail "a build without the update check saved update settings"
! strings /usr/bin/tavrodesk | grep -q FeedUpdateChecker || fail "a build without the update check carries the feed reader"
! grep -Eq '^(Password|AuthToken)=' "$ini" || fail "the ini file still holds a secret"
[ "$(secret-tool lookup server TavroDesk user Password)" = demo ] || fail "the password is not in the keyring"
# Started from the autostart entry with a tray present, the program signs in without showing its window.
trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids="$pids $!"
sleep 1
$(sed -n 's/^Exec=//p' "$autostart") -debug >>"$work/app.out" 2>&1 &
app=$!
pids="$pids $app"
signed_in_twice() { [ "$(grep -c 'auth user:' "$log")" -ge 2 ]; }
wait_for 30 signed_in_twice || fail "the autostarted program did not sign in"
! xdotool search --onlyvisible --name '^TavroDesk$' >/dev/null || fail "the autostarted program showed its window"
kill -TERM "$app"
wait "$app" || fail "the autostarted program did not quit cleanly on SIGTERM"

echo "package test: $(basename "$deb") installed and checked"
