// Publishes the focused window on the session bus for TavroDesk (GNOME Shell 45 and later).
// Read-only: one query, one signal, nothing that changes the desktop.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

const BUS_NAME = '@TAVRO_APP_ID@.FocusedWindow';
const OBJECT_PATH = '/@TAVRO_APP_PATH@/FocusedWindow';
const VERSION = 1;
const INTERFACE = `
<node>
  <interface name="@TAVRO_APP_ID@.FocusedWindow">
    <method name="GetFocus">
      <arg type="s" direction="out" name="title"/>
      <arg type="s" direction="out" name="appId"/>
      <arg type="u" direction="out" name="pid"/>
    </method>
    <signal name="FocusChanged">
      <arg type="s" name="title"/>
      <arg type="s" name="appId"/>
      <arg type="u" name="pid"/>
    </signal>
    <property name="Version" type="u" access="read"/>
  </interface>
</node>`;

// Title, application id (the sandbox's id for sandboxed programs, else the Wayland app id or WM
// class) and process id of `window`; empty values when nothing has the focus.
function describe(window) {
    if (!window) {
        return ['', '', 0];
    }
    const appId = window.get_sandboxed_app_id() || window.get_wm_class() || '';
    const pid = window.get_pid();
    return [window.get_title() || '', appId, pid > 0 ? pid : 0];
}

export default class FocusedWindowExtension extends Extension {
    enable() {
        this._window = null;
        this._titleId = 0;
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
        this._object.export(Gio.DBus.session, OBJECT_PATH);
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME, Gio.BusNameOwnerFlags.NONE,
            null, null);
        this._focusId = global.display.connect('notify::focus-window', () => this._follow());
        this._follow();
    }

    disable() {
        global.display.disconnect(this._focusId);
        this._watch(null);
        Gio.bus_unown_name(this._nameId);
        this._object.unexport();
        this._object = null;
    }

    get Version() {
        return VERSION;
    }

    GetFocus() {
        return describe(this._window);
    }

    _follow() {
        this._watch(global.display.focus_window);
        this._object.emit_signal('FocusChanged', new GLib.Variant('(ssu)', describe(this._window)));
    }

    _watch(window) {
        if (this._window && this._titleId) {
            this._window.disconnect(this._titleId);
        }
        this._window = window;
        this._titleId = window ? window.connect('notify::title', () => this._titleChanged(window)) : 0;
    }

    _titleChanged(window) {
        if (window === this._window) {
            this._object.emit_signal('FocusChanged', new GLib.Variant('(ssu)', describe(window)));
        }
    }
}
