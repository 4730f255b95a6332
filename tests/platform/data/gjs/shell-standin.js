// Runs a GNOME Shell 45+ extension module outside the shell: owns org.gnome.Shell on the session
// bus, gives the module a fake `global.display` and follows commands on stdin, one per line:
//   focus <title>|<app id>|<pid>    a new window takes the focus
//   title <title>                   the focused window changes its title
//   none                            nothing has the focus
//   disable                         the extension is disabled
// Usage: gjs -m shell-standin.js <extension.js with its shell import pointed at the stand-in>
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import System from 'system';

class FakeSignals {
    constructor() {
        this._handlers = new Map();
        this._next = 1;
    }

    connect(signal, callback) {
        const id = this._next++;
        this._handlers.set(id, {signal, callback});
        return id;
    }

    disconnect(id) {
        if (!this._handlers.delete(id))
            throw new Error(`no handler ${id}`);
    }

    emit(signal) {
        for (const {signal: name, callback} of [...this._handlers.values()]) {
            if (name === signal)
                callback(this);
        }
    }

    get handlerCount() {
        return this._handlers.size;
    }
}

class FakeWindow extends FakeSignals {
    constructor(title, appId, pid) {
        super();
        this._title = title;
        this._appId = appId;
        this._pid = pid;
    }

    get_title() {
        return this._title;
    }

    get_wm_class() {
        return this._appId;
    }

    get_sandboxed_app_id() {
        return null;
    }

    get_pid() {
        return this._pid;
    }

    setTitle(title) {
        this._title = title;
        this.emit('notify::title');
    }
}

class FakeDisplay extends FakeSignals {
    constructor() {
        super();
        this.focus_window = null;
    }

    focus(window) {
        this.focus_window = window;
        this.emit('notify::focus-window');
    }
}

const display = new FakeDisplay();
globalThis.global = {display};

const loop = new GLib.MainLoop(null, false);
const modulePath = System.programArgs[0];
if (!modulePath) {
    printerr('usage: shell-standin.js EXTENSION_MODULE');
    System.exit(2);
}

Gio.bus_own_name_on_connection(Gio.DBus.session, 'org.gnome.Shell', Gio.BusNameOwnerFlags.NONE, async () => {
    const module = await import(`file://${modulePath}`);
    const extension = new module.default({uuid: 'focused-window@tavrodesk.tavro.example'});
    extension.enable();
    print('enabled');
    const input = new Gio.DataInputStream({base_stream: new Gio.UnixInputStream({fd: 0})});
    const next = () => input.read_line_async(GLib.PRIORITY_DEFAULT, null, (stream, result) => {
        const [bytes] = stream.read_line_finish_utf8(result);
        if (bytes === null) {
            loop.quit();
            return;
        }
        const [command, ...rest] = bytes.split(' ');
        const argument = rest.join(' ');
        if (command === 'focus') {
            const [title, appId, pid] = argument.split('|');
            display.focus(new FakeWindow(title, appId, Number(pid)));
        } else if (command === 'title') {
            display.focus_window.setTitle(argument);
        } else if (command === 'none') {
            display.focus(null);
        } else if (command === 'disable') {
            const watched = display.focus_window;
            extension.disable();
            // disable() must leave no handler behind on the display or the window.
            print(`handlers ${display.handlerCount + (watched ? watched.handlerCount : 0)}`);
        }
        print(`done ${command}`);
        next();
    });
    next();
}, null);

loop.run();
