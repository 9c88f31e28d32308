#include "app/LogCategories.h"

Q_LOGGING_CATEGORY(lcStartUp, "inkly.app.startup")
Q_LOGGING_CATEGORY(lcInstanceGuard, "inkly.app.instance")
Q_LOGGING_CATEGORY(lcTray, "inkly.app.tray")
Q_LOGGING_CATEGORY(lcUiLanguage, "inkly.app.language")

Q_LOGGING_CATEGORY(lcHotkeys, "inkly.platform.hotkeys")
Q_LOGGING_CATEGORY(lcMirror, "inkly.platform.mirror")
Q_LOGGING_CATEGORY(lcPicture, "inkly.platform.picture")
Q_LOGGING_CATEGORY(lcRawInput, "inkly.platform.rawinput")
Q_LOGGING_CATEGORY(lcScreens, "inkly.platform.screens")
Q_LOGGING_CATEGORY(lcSession, "inkly.platform.session")
Q_LOGGING_CATEGORY(lcSignals, "inkly.platform.signals")
Q_LOGGING_CATEGORY(lcWindow, "inkly.platform.window")

Q_LOGGING_CATEGORY(lcDrawings, "inkly.storage.drawings")
Q_LOGGING_CATEGORY(lcFiles, "inkly.storage.files")
Q_LOGGING_CATEGORY(lcSettings, "inkly.storage.settings")

Q_LOGGING_CATEGORY(lcGrabbit, "inkly.suite.grabbit")
Q_LOGGING_CATEGORY(lcModules, "inkly.suite.modules")
Q_LOGGING_CATEGORY(lcRenova, "inkly.suite.renova")
Q_LOGGING_CATEGORY(lcTally, "inkly.suite.tally")
