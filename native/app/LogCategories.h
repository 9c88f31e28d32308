#pragma once

#include <QLoggingCategory>

// One category per native component, all under "inkly.", so that the stored
// log level can switch the program's own messages off where they are written
// while Qt's categories keep theirs. The lines themselves still begin with
// the component's name in brackets: that text is what readers of the log see.

// Application shell
Q_DECLARE_LOGGING_CATEGORY(lcStartUp) // inkly.app.startup: entry point, installer tasks
Q_DECLARE_LOGGING_CATEGORY(lcInstanceGuard) // inkly.app.instance
Q_DECLARE_LOGGING_CATEGORY(lcTray) // inkly.app.tray
Q_DECLARE_LOGGING_CATEGORY(lcUiLanguage) // inkly.app.language

// Platform services
Q_DECLARE_LOGGING_CATEGORY(lcHotkeys) // inkly.platform.hotkeys
Q_DECLARE_LOGGING_CATEGORY(lcMirror) // inkly.platform.mirror
Q_DECLARE_LOGGING_CATEGORY(lcPicture) // inkly.platform.picture
Q_DECLARE_LOGGING_CATEGORY(lcRawInput) // inkly.platform.rawinput
Q_DECLARE_LOGGING_CATEGORY(lcScreens) // inkly.platform.screens
Q_DECLARE_LOGGING_CATEGORY(lcSession) // inkly.platform.session
Q_DECLARE_LOGGING_CATEGORY(lcSignals) // inkly.platform.signals
Q_DECLARE_LOGGING_CATEGORY(lcWindow) // inkly.platform.window

// Storage
Q_DECLARE_LOGGING_CATEGORY(lcDrawings) // inkly.storage.drawings
Q_DECLARE_LOGGING_CATEGORY(lcFiles) // inkly.storage.files
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // inkly.storage.settings

// Companion products
Q_DECLARE_LOGGING_CATEGORY(lcGrabbit) // inkly.suite.grabbit
Q_DECLARE_LOGGING_CATEGORY(lcModules) // inkly.suite.modules
Q_DECLARE_LOGGING_CATEGORY(lcRenova) // inkly.suite.renova
Q_DECLARE_LOGGING_CATEGORY(lcTally) // inkly.suite.tally
