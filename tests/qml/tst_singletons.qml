import QtQuick
import QtTest
import Zem.Inkly

// Every native service must reach QML as the very instance the program
// publishes; a shadowed declaration would read as null here.
TestCase {
    id: root
    name: "Singletons"

    function test_nativeServicesAreReachable() {
        const services = {
            "SettingsStore": SettingsStore, "DrawingStore": DrawingStore,
            "RawInputHandler": RawInputHandler, "SessionChangeHandler": SessionChangeHandler,
            "FileUtils": FileUtils, "ScreenMonitor": ScreenMonitor, "WindowHelper": WindowHelper,
            "MouseHelper": MouseHelper, "AutoStartHelper": AutoStartHelper, "TrayIcon": TrayIcon,
            "CliConstants": CliConstants, "Grabbit": Grabbit, "TallyWrapper": TallyWrapper
        }
        for (const name in services)
            verify(services[name] !== null && services[name] !== undefined, name + " is missing")

        compare(CliConstants.autostartToken, "--autostart")
        compare(CliConstants.silentToken, "/silent")
        compare(typeof SettingsStore.getValue, "function")
        compare(typeof DrawingStore.getDrawings, "function")
        compare(typeof FileUtils.readFile, "function")
        compare(typeof RawInputHandler.mouseEnabled, "boolean")
        verify(Array.isArray(DrawingStore.getDrawings()))
    }
}
