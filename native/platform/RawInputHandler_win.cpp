#include "platform/RawInputHandler.h"

#include <QGuiApplication>

#include "app/LogCategories.h"
#include "platform/SessionChangeHandler.h"
#include "platform/Win32Core.h"

// Raw input goes to a message-only window of ours with its own window
// procedure: the system's move loop, title-bar drags and native menus
// dispatch WM_INPUT there while Qt's own loop waits. RIDEV_INPUTSINK makes
// Windows deliver it although that window never has the focus.
struct RawInputHandler::Backend
{
    HWND inputWindow = nullptr;
};

void RawInputHandler::createBackend()
{
    m_backend = new Backend;
    m_backend->inputWindow = Win32Core::createMessageWindow(
            [](void *context, const MSG &message) {
                MSG copy = message;
                static_cast<RawInputHandler *>(context)->nativeEventFilter(
                        QByteArrayLiteral("windows_generic_MSG"), &copy, nullptr);
            },
            this);
    if (!m_backend->inputWindow)
        qCWarning(lcRawInput, "[RawInputHandler] No window for raw input: %lu", GetLastError());

    // Keys released on the secure desktop (Ctrl+Alt+Del, UAC, Win+L) or
    // behind the lock screen would stay down for us: ask Windows again when
    // the user is back.
    const auto releaseKeysNotHeld = [this] {
        const QSet<quint32> keys = m_keysDown;
        for (const quint32 nativeCode : keys) {
            const int virtualKey = int(nativeCode >> 16);
            if (!Win32Core::keyHeld(unsigned(virtualKey)))
                handleKey(nativeCode, qtKeyFromVirtualKey(virtualKey),
                        modifierFromVirtualKey(virtualKey), int(nativeCode & 0x7fffu),
                        (nativeCode & 0x8000u) != 0, false);
        }
    };
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [releaseKeysNotHeld](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    releaseKeysNotHeld();
            });
    connect(SessionChangeHandler::instance(), &SessionChangeHandler::sessionUnlocked, this,
            releaseKeysNotHeld);
}

void RawInputHandler::destroyBackend()
{
    if (!m_backend)
        return;
    if (m_backend->inputWindow) {
        Win32Core::unregisterRawInput(true, true);
        Win32Core::destroyMessageWindow(m_backend->inputWindow);
    }
    delete m_backend;
    m_backend = nullptr;
}

void RawInputHandler::updateRegistration()
{
    if (!m_backend || !m_backend->inputWindow)
        return;
    Win32Core::unregisterRawInput(!m_mouseEnabled, !m_keyboardEnabled);
    if ((m_mouseEnabled || m_keyboardEnabled)
            && !Win32Core::registerRawInput(
                    m_backend->inputWindow, m_mouseEnabled, m_keyboardEnabled))
        qCWarning(lcRawInput, "[RawInputHandler] RegisterRawInputDevices failed: %lu",
                GetLastError());
}

// Called by the message window only; never installed on the application, so
// that a record is not read twice.
bool RawInputHandler::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "windows_generic_MSG" && eventType != "windows_dispatcher_MSG")
        return false;
    const MSG *msg = static_cast<const MSG *>(message);
    if (!msg || msg->message != WM_INPUT)
        return false;

    const std::optional<Win32Core::RawEvent> event
            = Win32Core::readRawInput(reinterpret_cast<HRAWINPUT>(msg->lParam));
    if (!event)
        return false;

    if (event->kind == Win32Core::RawEvent::Kind::Keyboard && m_keyboardEnabled) {
        const int virtualKey = int(event->virtualKey);
        // Injected keys may carry no make code, and a key and its E0 twin
        // share one; together with the virtual key they name one key.
        const quint32 nativeCode = (quint32(virtualKey) << 16) | (event->extended ? 0x8000u : 0u)
                | (quint32(event->makeCode) & 0x7fffu);
        handleKey(nativeCode, qtKeyFromVirtualKey(virtualKey), modifierFromVirtualKey(virtualKey),
                int(event->makeCode), event->extended, event->keyDown);
    } else if (event->kind == Win32Core::RawEvent::Kind::Mouse && m_mouseEnabled) {
        const qint64 now = m_clock.elapsed();
        static const Button buttons[] = { Button::Left, Button::Middle, Button::Right };
        for (int i = 0; i < Win32Core::RawButtonCount; ++i)
            handleButtonEvent(buttons[i], event->down[i], event->up[i], now);
    }
    return false;
}
