#include "app/SingletonPublisher.h"

#include "app/AppController.h"
#include "app/AppInfo.h"
#include "app/AppInstanceGuard.h"
#include "app/AutoStartHelper.h"
#include "app/CliConstants.h"
#include "app/TrayIcon.h"
#include "platform/HotkeyHandler.h"
#include "platform/MouseHelper.h"
#include "platform/PictureHelper.h"
#include "platform/RawInputHandler.h"
#include "platform/ScreenMonitor.h"
#include "platform/SessionChangeHandler.h"
#include "platform/WindowHelper.h"
#include "storage/DrawingStore.h"
#include "storage/FileUtils.h"
#include "storage/SettingsStore.h"
#include "suite/Grabbit.h"
#include "suite/RenovaWrapper.h"
#include "suite/TallyWrapper.h"

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
