#!/usr/bin/env bash
# Runs TavroDesk against a local development service with a demo account, signed in at once.
#
#   scripts/run-demo.sh BUILD_DIR [tavrodesk arguments, e.g. -debug]
#
# Everything lives in a demo folder (BUILD_DIR/demo, or TAVRO_DEMO_DIR): the service's data, the app's
# settings and database. The user's own TavroDesk data is never read or written. The settings file is
# written on the first run only; later runs just point it at the service's new port.
set -euo pipefail

usage() {
    echo "usage: $0 BUILD_DIR [tavrodesk arguments]" >&2
    exit 2
}

[[ $# -ge 1 ]] || usage
build_dir=$(cd "$1" && pwd) || usage
shift

app="$build_dir/src/tavrodesk"
service="$build_dir/devservice/tavro-devservice"
for binary in "$app" "$service"; do
    if [[ ! -x $binary ]]; then
        echo "$0: $binary not found; build the project first (ninja -C $build_dir)" >&2
        exit 1
    fi
done

demo_dir=${TAVRO_DEMO_DIR:-$build_dir/demo}
mkdir -p "$demo_dir"
demo_dir=$(cd "$demo_dir" && pwd)
real_data_home=${XDG_DATA_HOME:-$HOME/.local/share}
if [[ $demo_dir == "$HOME" || $demo_dir == "$(realpath -m "$real_data_home")" || $demo_dir == / ]]; then
    echo "$0: refusing to use $demo_dir as the demo folder" >&2
    exit 1
fi

# One demo a folder: a second would start a second service on the same data and point the settings
# at a port that goes away with it.
exec 9>"$demo_dir/demo.lock"
if ! flock -n 9; then
    echo "$0: a demo is already running in $demo_dir; quit it first, or give this one another folder with" \
        "TAVRO_DEMO_DIR" >&2
    exit 1
fi

data_home="$demo_dir/data"
runtime_dir="$demo_dir/run"
mkdir -p "$data_home/TavroDesk" "$runtime_dir" "$demo_dir/config/TavroDesk" "$demo_dir/state" "$demo_dir/cache"
chmod 700 "$runtime_dir" "$data_home/TavroDesk" "$demo_dir/config/TavroDesk"

service_log="$demo_dir/devservice.log"
"$service" --port 0 --data "$demo_dir/devservice.sqlite" >"$service_log" 2>&1 9>&- &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null || true; wait "$service_pid" 2>/dev/null || true' EXIT

url=""
for _ in $(seq 1 100); do
    url=$(sed -n 's|^tavro-devservice listening on \(http://127\.0\.0\.1:[0-9]*/service/\)$|\1|p' "$service_log" 2>/dev/null)
    [[ -n $url ]] && break
    if ! kill -0 "$service_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
if [[ -z $url ]]; then
    echo "$0: the development service did not start:" >&2
    cat "$service_log" >&2
    exit 1
fi
echo "development service: $url (log: $service_log)"

# The development service also serves the update feed and the help page.
origin=${url%/service/}
feed="$origin/downloads/tavrodesk/tavrodesk-linux.xml"
help="$origin/tavro-get-help.html"

ini="$demo_dir/config/TavroDesk/tavrodesk.ini"
if [[ ! -e $ini ]]; then
    # The password is stored Base64-encoded: "ZGVtbw==" is "demo".
    cat >"$ini" <<INI
[API]
Url=$url
SslEnabled=false
Username=demo@tavro.test
Password=ZGVtbw==

[Updates]
FeedUrl=$feed

[Help]
Url=$help
INI
    chmod 600 "$ini"
else
    # Keep the demo's own settings; only the service's port changes from run to run.
    tmp="$ini.tmp"
    awk -v url="$url" -v feed="$feed" -v help="$help" '
        function finish(s) {
            if (s == "[API]" && !api) { print "Url=" url; api = 1 }
            if (s == "[Updates]" && !upd) { print "FeedUrl=" feed; upd = 1 }
            if (s == "[Help]" && !hlp) { print "Url=" help; hlp = 1 }
        }
        /^\[/ { finish(section); section = $0 }
        section == "[API]" && /^Url=/ { print "Url=" url; api = 1; next }
        section == "[Updates]" && /^FeedUrl=/ { print "FeedUrl=" feed; upd = 1; next }
        section == "[Help]" && /^Url=/ { print "Url=" help; hlp = 1; next }
        { print }
        END {
            finish(section)
            if (!api) { print "[API]"; print "Url=" url }
            if (!upd) { print "[Updates]"; print "FeedUrl=" feed }
            if (!hlp) { print "[Help]"; print "Url=" help }
        }
    ' "$ini" >"$tmp"
    chmod 600 "$tmp"
    mv "$tmp" "$ini"
fi

# The demo gets a runtime folder of its own, but the compositor's socket stays where the session put
# it: a relative WAYLAND_DISPLAY is made absolute first.
if [[ -n ${WAYLAND_DISPLAY:-} && $WAYLAND_DISPLAY != /* ]]; then
    export WAYLAND_DISPLAY="${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/$WAYLAND_DISPLAY"
fi

status=0
# GNOME Shell reads extensions from the session's own data folder, not the demo's.
TAVRO_SESSION_DATA_HOME="$real_data_home" \
    XDG_DATA_HOME="$data_home" XDG_RUNTIME_DIR="$runtime_dir" XDG_CONFIG_HOME="$demo_dir/config" \
    XDG_STATE_HOME="$demo_dir/state" XDG_CACHE_HOME="$demo_dir/cache" "$app" "$@" 9>&- || status=$?
exit "$status"
