#!/usr/bin/env bash
# Takes the screenshots in docs/ of the windows at twice the scale and in a dark palette, from the
# window gallery (a test program: the main window with a sample day, and the dialogs asked for) on a
# private X server with a window manager.
#
#   scripts/docs-screenshots-themes.sh BUILD_DIR [OUTPUT_DIR (default docs)]
#
# Needs xvfb, openbox, xdotool and imagemagick (scripts/install-deps.sh) and a build with tests.
set -euo pipefail

[[ $# -ge 1 ]] || { echo "usage: $0 BUILD_DIR [OUTPUT_DIR]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
out=${2:-$root/docs}
gallery=$build/tests/support/tavro_window_gallery
[[ -x $gallery ]] || { echo "$0: $gallery is missing (build with tests)" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 2600x1600x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# shoot OUTPUT WINDOW_TITLE [VAR=value...]: runs the gallery with the settings given, keeping only
# the dialogs named in TAVRO_GALLERY_ONLY, and saves the window of that title with its frame.
shoot() {
    local output=$1 title=$2 id=""
    shift 2
    rm -rf "$work/home"
    mkdir -p "$work/home/run" && chmod 700 "$work/home/run"
    env XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" XDG_STATE_HOME="$work/home/state" \
        XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$work/home/run" TAVRO_TEST_DATA="$root/tests/data" \
        QT_QPA_PLATFORM=xcb TAVRO_GALLERY_ONLY=none "$@" "$gallery" >"$work/gallery.log" 2>&1 &
    local pid=$!
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1 || true)
        [[ -n $id ]] && break
        sleep 0.2
    done
    [[ -n $id ]] || { echo "$0: no window named $title" >&2; cat "$work/gallery.log" >&2; return 1; }
    xdotool windowmove --sync "$id" 20 20 windowactivate --sync "$id"
    sleep 2
    import -frame -window "$id" "$output"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

shoot "$out/main-window-scale2.png" TavroDesk QT_SCALE_FACTOR=2
shoot "$out/main-window-dark.png" TavroDesk TAVRO_GALLERY_PALETTE=dark
shoot "$out/rule-editor-dark.png" "New Rule" TAVRO_GALLERY_PALETTE=dark TAVRO_GALLERY_ONLY=AddRuleDialog
