#include "platform/HotkeyHandler.h"

#include "platform/Win32Core.h"

#include <QByteArray>
#include <QCoreApplication>

struct HotkeyHandler::Backend
{
};

HotkeyHandler::HotkeyHandler()
    : m_backend(std::make_unique<Backend>())
{
}

HotkeyHandler::~HotkeyHandler()
{
    releaseAll();
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool HotkeyHandler::backendAvailable() const
{
    return true;
}

bool HotkeyHandler::grabKey(Grab &grab, QString *problem)
{
    unsigned modifiers = 0;
    if (grab.hotkey.modifiers & Qt::ControlModifier)
        modifiers |= MOD_CONTROL;
    if (grab.hotkey.modifiers & Qt::AltModifier)
        modifiers |= MOD_ALT;
    if (grab.hotkey.modifiers & Qt::ShiftModifier)
        modifiers |= MOD_SHIFT;
    if (grab.hotkey.modifiers & Qt::MetaModifier)
        modifiers |= MOD_WIN;
    grab.native = virtualKeyForKey(grab.hotkey.key);
    switch (Win32Core::registerHotKey(grab.id, modifiers, grab.native)) {
    case Win32Core::HotKeyRegistration::Registered:
        return true;
    case Win32Core::HotKeyRegistration::Taken:
        *problem = QStringLiteral("taken");
        return false;
    case Win32Core::HotKeyRegistration::Failed:
        break;
    }
    *problem = QStringLiteral("failed");
    return false;
}

void HotkeyHandler::ungrabKey(const Grab &grab)
{
    Win32Core::unregisterHotKey(grab.id);
}

// The keys belong to the thread: WM_HOTKEY comes without a window, through
// the event dispatcher's own loop.
bool HotkeyHandler::handleNativeEvent(const QByteArray &eventType, void *message)
{
    if (eventType != "windows_dispatcher_MSG" && eventType != "windows_generic_MSG")
        return false;
    const int id = Win32Core::hotKeyOf(*static_cast<const MSG *>(message));
    if (id == 0)
        return false;
    trigger(id);
    return true;
}
