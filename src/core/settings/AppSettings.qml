import QtQuick
import Zem.Inkly

// The application's own settings, kept under "app" in settings.json. The
// properties hold their types' zero values until load() runs.
QtObject {
    id: root

    property bool autoStartEnabled
    property bool wheelDoubleEnabled
    property bool autoUsageTipsEnabled
    // ISO 8601 in UTC with milliseconds.
    property string lastRunAt
    property string lastExitAt
    // "left", "right", "top", "bottom", or empty.
    property string lastPlaceAtScreenEdge
    property int overviewShowCount
    // Keys of the whole desktop: whether they are taken at all, and each
    // action's key in Qt's portable form (empty: none).
    property bool hotkeysEnabled
    property var hotkeys: ({})
    readonly property var hotkeyActions: ["toggle", "pointer", "pen", "highlighter", "undo", "redo", "clear",
        "savePicture"]

    // Nested as in the file.
    readonly property var defaults: root.deepFreeze({
        general: {
            autoStartEnabled: true
        },
        input: {
            wheelDoubleEnabled: true
        },
        help: {
            autoUsageTipsEnabled: true
        },
        runtime: {
            lastRunAt: "",
            lastExitAt: "",
            lastPlaceAtScreenEdge: "",
            overviewShowCount: 0
        },
        // Ctrl+Alt+Shift with a letter: programs rarely bind all three, and
        // desktops keep Super (and Windows its Win key) for themselves.
        hotkeys: {
            enabled: true,
            toggle: "Ctrl+Alt+Shift+D",
            pointer: "Ctrl+Alt+Shift+M",
            pen: "Ctrl+Alt+Shift+P",
            highlighter: "Ctrl+Alt+Shift+H",
            undo: "Ctrl+Alt+Shift+Z",
            redo: "Ctrl+Alt+Shift+Y",
            clear: "Ctrl+Alt+Shift+C",
            savePicture: "Ctrl+Alt+Shift+S"
        }
    })

    function load() {
        const stored = SettingsStore.getValue("app", null);
        if (!root.isObject(stored)) {
            console.info("[AppSettings] No saved settings found, using defaults");
            root.resetToDefaults();
            return;
        }
        const general = root.groupOf(stored, "general");
        const input = root.groupOf(stored, "input");
        const help = root.groupOf(stored, "help");
        const runtime = root.groupOf(stored, "runtime");
        const hotkeys = root.groupOf(stored, "hotkeys");
        const defaults = root.defaults;

        root.autoStartEnabled = root.asBool(general.autoStartEnabled, defaults.general.autoStartEnabled);
        root.wheelDoubleEnabled = root.asBool(input.wheelDoubleEnabled, defaults.input.wheelDoubleEnabled);
        root.autoUsageTipsEnabled = root.asBool(help.autoUsageTipsEnabled, defaults.help.autoUsageTipsEnabled);
        root.lastRunAt = root.asString(runtime.lastRunAt, defaults.runtime.lastRunAt);
        root.lastExitAt = root.asString(runtime.lastExitAt, defaults.runtime.lastExitAt);
        root.lastPlaceAtScreenEdge = root.asString(runtime.lastPlaceAtScreenEdge,
                                                   defaults.runtime.lastPlaceAtScreenEdge);
        // Beyond the range of an int the count would be written back as garbage.
        const count = root.asNumber(runtime.overviewShowCount, defaults.runtime.overviewShowCount);
        root.overviewShowCount = Math.abs(count) <= 2147483647 ? count : defaults.runtime.overviewShowCount;
        root.hotkeysEnabled = root.asBool(hotkeys.enabled, defaults.hotkeys.enabled);
        root.hotkeys = root.hotkeysFrom(hotkeys);
        console.debug("[AppSettings] Settings loaded");
    }

    // Writes the file at once; with the side effects the start at log-on
    // follows autoStartEnabled as well.
    function save(applySideEffects = true) {
        SettingsStore.setObject("app", {
            general: {
                autoStartEnabled: root.autoStartEnabled
            },
            input: {
                wheelDoubleEnabled: root.wheelDoubleEnabled
            },
            help: {
                autoUsageTipsEnabled: root.autoUsageTipsEnabled
            },
            runtime: {
                lastRunAt: root.lastRunAt,
                lastExitAt: root.lastExitAt,
                lastPlaceAtScreenEdge: root.lastPlaceAtScreenEdge,
                overviewShowCount: root.overviewShowCount
            },
            hotkeys: Object.assign({
                enabled: root.hotkeysEnabled
            }, root.hotkeys)
        });
        if (applySideEffects)
            root.apply();
    }

    function apply() {
        const done = root.autoStartEnabled ? AutoStartHelper.enable(CliConstants.autostartToken)
                                           : AutoStartHelper.disable();
        if (!done)
            console.warn("[AppSettings] autostart registration not changed: " + AutoStartHelper.errorString());
    }

    function resetToDefaults() {
        const defaults = root.defaults;
        root.autoStartEnabled = defaults.general.autoStartEnabled;
        root.wheelDoubleEnabled = defaults.input.wheelDoubleEnabled;
        root.autoUsageTipsEnabled = defaults.help.autoUsageTipsEnabled;
        root.lastRunAt = defaults.runtime.lastRunAt;
        root.lastExitAt = defaults.runtime.lastExitAt;
        root.lastPlaceAtScreenEdge = defaults.runtime.lastPlaceAtScreenEdge;
        root.overviewShowCount = defaults.runtime.overviewShowCount;
        root.hotkeysEnabled = defaults.hotkeys.enabled;
        root.hotkeys = root.hotkeysFrom({});
    }

    // Every action's key from a stored group, the default where none is
    // stored. A text that is no key is kept as it is: the key handler says so
    // and leaves it out, and the user's text is not lost.
    function hotkeysFrom(group: var): var {
        const keys = {};
        for (const action of root.hotkeyActions)
            keys[action] = root.asString(group[action], root.defaults.hotkeys[action]);
        return keys;
    }

    function asBool(value, defaultValue): bool {
        if (value === undefined || value === null)
            return Boolean(defaultValue);
        if (typeof value === "string") {
            const text = value.toLowerCase();
            if (text === "true")
                return true;
            if (text === "false")
                return false;
        }
        return Boolean(value);
    }

    function asNumber(value, defaultValue): real {
        if (value === undefined || value === null)
            return Number(defaultValue);
        // Infinity and NaN count as failed conversions.
        if (typeof value === "number" && isFinite(value))
            return value;
        if (typeof value === "string") {
            const number = Number(value.trim());
            if (isFinite(number))
                return number;
        }
        return Number(defaultValue);
    }

    function asString(value, defaultValue): string {
        if (value === undefined || value === null)
            return defaultValue === undefined || defaultValue === null ? "" : String(defaultValue);
        if (typeof value === "string")
            return value;
        return String(value);
    }

    function groupOf(stored, name: string) {
        const group = stored[name];
        return root.isObject(group) ? group : {};
    }

    function isObject(value): bool {
        return value !== null && typeof value === "object" && !Array.isArray(value);
    }

    function deepFreeze(object) {
        for (const key of Object.keys(object)) {
            if (root.isObject(object[key]))
                root.deepFreeze(object[key]);
        }
        return Object.freeze(object);
    }
}
