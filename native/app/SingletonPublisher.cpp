#include "SingletonPublisher.h"

#include "AppController.h"
#include "AppInfo.h"
#include "AppInstanceGuard.h"
#include "AutoStartHelper.h"
#include "CliConstants.h"
#include "DrawingStore.h"
#include "FileUtils.h"
#include "Grabbit.h"
#include "HotkeyHandler.h"
#include "MouseHelper.h"
#include "PictureHelper.h"
#include "RawInputHandler.h"
#include "RenovaWrapper.h"
#include "ScreenMonitor.h"
#include "SessionChangeHandler.h"
#include "SettingsStore.h"
#include "TallyWrapper.h"
#include "TrayIcon.h"
#include "WindowHelper.h"

namespace SingletonPublisher {

// The module declares each class as a singleton whose factory returns the
// class's own instance (QmlSingleton.h). Calling the accessors here, in
// start-up order, is what brings the services into being in that order.
void publishSingletons(AppInstanceGuard *guard)
{
    static bool published = false;
    if (published)
        return;
    published = true;

    // Owned by the entry point rather than by an accessor: its factory hands
    // out the pointer stored here.
    AppInstanceGuard::setPublishedInstance(guard);
    AppController::instance();
    SettingsStore::instance();
    DrawingStore::instance();
    RawInputHandler::instance();
    SessionChangeHandler::instance();
    FileUtils::instance();
    ScreenMonitor::instance();
    WindowHelper::instance();
    MouseHelper::instance();
    AutoStartHelper::instance();
    TrayIcon::instance();
    AppInfo::instance();
    CliConstants::instance();
    Grabbit::instance();
    RenovaWrapper::instance();
    TallyWrapper::instance();
    PictureHelper::instance();
    HotkeyHandler::instance();
}

} // namespace SingletonPublisher
