// The head of the extension as earlier versions installed it (GNOME Shell 43 and 44): its bus
// names predate the app id. The replacement removes the whole folder, so the rest is left out.
'use strict';

const { Gio, GLib } = imports.gi;

const BUS_NAME = 'org.tavrodesk.FocusedWindow';
const OBJECT_PATH = '/org/tavrodesk/FocusedWindow';

function init() {
    return {enable() {}, disable() {}};
}
