// Tells TavroDesk which window is active: caption, desktop file name, resource class and process
// id, on every activation and every caption change of the active window. Runs on KWin 5.27 and 6:
// Plasma 6 renamed clientActivated/activeClient to windowActivated/activeWindow.
// TavroDesk writes this file with its own bus name in place of the marker below.
var receiver = "%RECEIVER%";
var objectPath = "/@TAVRO_APP_PATH@/KWinFocus";
var interfaceName = "@TAVRO_APP_ID@.KWinFocus";
var watched = null;

function text(value) {
    return value === undefined || value === null ? "" : String(value);
}

function report(window) {
    if (!window) {
        callDBus(receiver, objectPath, interfaceName, "WindowActivated", "", "", "", 0);
        return;
    }
    callDBus(receiver, objectPath, interfaceName, "WindowActivated", text(window.caption), text(window.desktopFileName),
             text(window.resourceClass), window.pid > 0 ? window.pid : 0);
}

function captionChanged() {
    report(watched);
}

function follow(window) {
    if (watched) {
        watched.captionChanged.disconnect(captionChanged);
    }
    watched = window || null;
    if (watched) {
        watched.captionChanged.connect(captionChanged);
    }
    report(watched);
}

(workspace.windowActivated || workspace.clientActivated).connect(follow);
follow(workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient);
