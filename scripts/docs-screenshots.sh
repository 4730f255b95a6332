#!/usr/bin/env bash
# Takes the screenshots in docs/ from the demo (scripts/run-demo.sh) on a private X server with a
# window manager and a tray: the main window after two terminal windows were recorded, the week
# view, the link dialog, the settings dialog, the rule editor and the timeline zoomed in at 1280x800;
# with SCREEN=WIDTHxHEIGHT, the main window alone at that size (main-window-WIDTHxHEIGHT.png).
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

# The timeline zoomed in on the last minutes: Ctrl and the wheel over the time of the recording. The
# strip first shows the current hour across the window's width.
xdotool windowactivate --sync "$window"
eval "$(xdotool getwindowgeometry --shell "$window")"
now_x=$(( WIDTH * (10#$(date +%M) * 60 + 10#$(date +%S) - 15) / 3600 ))
xdotool mousemove --sync $((X + now_x)) $((Y + 30))
xdotool keydown Control_L click --repeat 11 --delay 50 4 keyup Control_L
sleep 1
import -frame -window "$window" "$work/zoomed.png"
convert "$work/zoomed.png" -crop "x$(( $(identify -format %h "$work/zoomed.png") / 6 ))+0+0" +repage \
    "$out/timeline-zoomed.png"
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2))

# The week view, on the week before the demo day: the script writes that week's entries into the
# demo's database (the demo itself records only a few seconds of today), linked, unlinked and away.
python3 - "$work/demo/data/TavroDesk/tavrodesk.sqlite" <<'PY'
import datetime, sqlite3, sys
db = sqlite3.connect(sys.argv[1])
def app(path, name):
    row = db.execute("SELECT id FROM applications WHERE path = ?", (path,)).fetchone()
    return row[0] if row else db.execute("INSERT INTO applications (path, name) VALUES (?, ?)", (path, name)).lastrowid
editor, mail, browser, away = (app("/usr/bin/xterm", "XTerm"), app("/usr/bin/mail-client", "Mail"),
                               app("/usr/bin/browser", "Browser"), app("tavro://idle", "Away Time"))
monday = datetime.date.today() - datetime.timedelta(days=datetime.date.today().weekday() + 7)
# (application, title, minutes, project or None, confirmed by the service)
plan = [(editor, "Build log - make", 150, 1, True), (browser, "Design review", 70, 2, True),
        (mail, "Reading mail", 45, None, False), (away, "at 12:30:00", 40, None, False),
        (editor, "Release notes", 60, 2, False), (browser, "News", 25, None, False)]
for day in range(5):
    start = datetime.datetime.combine(monday + datetime.timedelta(days=day), datetime.time(8, 30))
    for index, (application, title, minutes, project, confirmed) in enumerate(plan):
        minutes = max(10, minutes + (day * 17 + index * 11) % 50 - 20 if day != 4 or index < 4 else 0)
        end = start + datetime.timedelta(minutes=minutes)
        stamp = lambda t: t.strftime("%Y-%m-%d %H:%M:%S")
        db.execute("INSERT INTO entries (title, application_id, start_time, end_time, ext_task_id, ext_entry_id, "
                   "ext_project_id) VALUES (?, ?, ?, ?, ?, ?, ?)",
                   (title, application, stamp(start), stamp(end), project and 100 + project,
                    (1000 + day * 10 + index) if project and confirmed else None, project))
        start = end
db.commit()
PY
xdotool key --window "$window" alt+v
sleep 0.5
xdotool key w
sleep 1
week=$(xdotool search --onlyvisible --name '^Week$' | head -1)
xdotool windowactivate --sync "$week" windowsize --sync "$week" 760 420
# The arrow back, top left.
xdotool mousemove --window "$week" 22 22 click 1
sleep 1
shoot Week "$out/week-view.png"
xdotool windowactivate --sync "$window"
sleep 1

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
sleep 1

# The rule editor, as Rules > New Rule opens it, with a name typed.
xdotool windowactivate --sync "$window"
xdotool key --window "$window" alt+r
sleep 0.5
xdotool key n
sleep 2
xdotool type --delay 20 "Builds are development"
sleep 0.5
shoot "New Rule" "$out/rule-editor.png"
xdotool key Escape
sleep 1

echo "screenshots in $out"
