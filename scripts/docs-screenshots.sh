#!/usr/bin/env bash
# Takes the screenshots in docs/ from the demo (scripts/run-demo.sh) on a private X server with a
# window manager and a tray: the main window after two terminal windows were recorded, the link
# dialog and the settings dialog at 1280x800; with SCREEN=WIDTHxHEIGHT, the main window alone at
# that size (main-window-WIDTHxHEIGHT.png).
#
#   [SCREEN=1920x1080] scripts/docs-screenshots.sh BUILD_DIR [OUTPUT_DIR (default docs)]
#
# Needs xvfb, openbox, trayer, xterm, xdotool and imagemagick (scripts/install-deps.sh).
set -euo pipefail

[[ $# -ge 1 ]] || { echo "usage: $0 BUILD_DIR [OUTPUT_DIR]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
out=${2:-$root/docs}
screen=${SCREEN:-1280x800}
screen_width=${screen%x*}
screen_height=${screen#*x}
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Saves the visible window named exactly $1, with its frame, as $2.
shoot() {
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" | head -1)
    [[ -n $id ]] || { echo "$0: no window named $1" >&2; return 1; }
    import -frame -window "$id" "$2"
}

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

TAVRO_DEMO_DIR="$work/demo" "$root/scripts/run-demo.sh" "$build" >"$work/demo.log" 2>&1 &
pids+=($!)
window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^TavroDesk$' 2>/dev/null | head -1 || true)
    [[ -n $window ]] && break
    sleep 0.2
done
[[ -n $window ]] || { echo "$0: TavroDesk did not start:" >&2; cat "$work/demo.log" >&2; exit 1; }
sleep 3

# Two terminals in front for a few seconds each: the recording the screenshot shows.
for title in "Build log - make" "Reading mail"; do
    xterm -T "$title" -geometry 60x10+0+0 -e sleep 600 &
    pids+=($!)
    sleep 1
    xdotool search --onlyvisible --name "^$title\$" windowactivate --sync
    sleep 6
done
xdotool windowactivate --sync "$window"
xdotool windowsize --sync "$window" $((screen_width - 80)) $((screen_height - 80)) windowmove --sync "$window" 40 20
sleep 2
if [[ $screen != 1280x800 ]]; then
    shoot TavroDesk "$out/main-window-$screen.png"
    echo "screenshot in $out"
    exit 0
fi
shoot TavroDesk "$out/main-window.png"

# The link dialog for the first title of the unlinked view: the row under the application's.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + 300)) click 1
sleep 0.5
xdotool key Home Down ctrl+l
sleep 2
shoot "Link Time With Task" "$out/link-dialog.png"
xdotool key Escape
sleep 1

xdotool key --window "$window" alt+f
sleep 0.5
xdotool key e
sleep 2
shoot Settings "$out/settings-dialog.png"
xdotool key Escape
echo "screenshots in $out"
