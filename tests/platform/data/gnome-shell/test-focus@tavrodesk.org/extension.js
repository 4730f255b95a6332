// Tests only. A headless shell gets no input, so nothing would ever take the focus: this focuses
// every new window and, on request, the window with a given title.
'use strict';

const { Gio, GLib } = imports.gi;

const INTERFACE = `
<node>
  <interface name="org.tavrodesk.TestFocus">
    <method name="Activate">
      <arg type="s" direction="in" name="title"/>
      <arg type="b" direction="out" name="found"/>
    </method>
  </interface>
</node>`;

class TestFocus {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
        this._object.export(Gio.DBus.session, '/org/tavrodesk/TestFocus');
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, 'org.tavrodesk.TestFocus',
            Gio.BusNameOwnerFlags.NONE, null, null);
        this._createdId = global.display.connect('window-created', (display, window) => {
            GLib.timeout_add(GLib.PRIORITY_DEFAULT, 100, () => {
                window.activate(global.get_current_time());
                return GLib.SOURCE_REMOVE;
            });
        });
    }

    disable() {
        global.display.disconnect(this._createdId);
        Gio.bus_unown_name(this._nameId);
        this._object.unexport();
    }

    Activate(title) {
        const actor = global.get_window_actors().find(a => a.meta_window.get_title() === title);
        if (actor) {
            actor.meta_window.activate(global.get_current_time());
        }
        return actor !== undefined;
    }
}

function init() {
    return new TestFocus();
}
