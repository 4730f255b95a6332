// Stands in for GNOME Shell's resource:///org/gnome/shell/extensions/extension.js.
export class Extension {
    constructor(metadata) {
        this.metadata = metadata;
    }
}
