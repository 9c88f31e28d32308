#include "RawInputHandler.h"

#include <QCoreApplication>
#include <QWindow>

#include <vector>

#include <windows.h>

// Raw input goes to a hidden window of ours; RIDEV_INPUTSINK makes Windows
// deliver it although that window never has the focus.
struct RawInputHandler::Backend
{
    QWindow *inputWindow = nullptr;
    bool filterInstalled = false;
};

namespace {

constexpr USHORT kUsagePageGeneric = 0x01;
constexpr USHORT kUsageMouse = 0x02;
constexpr USHORT kUsageKeyboard = 0x06;

void unregisterDevice(USHORT usage)
{
    RAWINPUTDEVICE device = {};
    device.usUsagePage = kUsagePageGeneric;
    device.usUsage = usage;
    device.dwFlags = RIDEV_REMOVE;
    device.hwndTarget = nullptr;
    RegisterRawInputDevices(&device, 1, sizeof(RAWINPUTDEVICE));
}

} // namespace

void RawInputHandler::createBackend()
{
    m_backend = new Backend;
    m_backend->inputWindow = new QWindow;
    m_backend->inputWindow->setFlags(Qt::Tool | Qt::FramelessWindowHint);
    m_backend->inputWindow->resize(1, 1);
    m_backend->inputWindow->setOpacity(0.0);
    m_backend->inputWindow->create();
}

void RawInputHandler::destroyBackend()
{
    if (!m_backend)
        return;
    if (m_backend->inputWindow) {
        unregisterDevice(kUsageMouse);
        unregisterDevice(kUsageKeyboard);
        if (m_backend->filterInstalled)
            QCoreApplication::instance()->removeNativeEventFilter(this);
        m_backend->inputWindow->deleteLater();
    }
    delete m_backend;
    m_backend = nullptr;
}

void RawInputHandler::updateRegistration()
{
    if (!m_backend || !m_backend->inputWindow)
        return;
    if (m_backend->filterInstalled) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        m_backend->filterInstalled = false;
    }
    if (!m_mouseEnabled)
        unregisterDevice(kUsageMouse);
    if (!m_keyboardEnabled)
        unregisterDevice(kUsageKeyboard);
    if (!m_mouseEnabled && !m_keyboardEnabled)
        return;

    const auto target = reinterpret_cast<HWND>(m_backend->inputWindow->winId());
    std::vector<RAWINPUTDEVICE> devices;
    if (m_mouseEnabled)
        devices.push_back({ kUsagePageGeneric, kUsageMouse, RIDEV_INPUTSINK, target });
    if (m_keyboardEnabled)
        devices.push_back({ kUsagePageGeneric, kUsageKeyboard, RIDEV_INPUTSINK, target });
    if (!RegisterRawInputDevices(devices.data(), UINT(devices.size()), sizeof(RAWINPUTDEVICE)))
        qWarning("RegisterRawInputDevices failed: %lu", GetLastError());
    // Installed even after a refusal; it then simply sees nothing.
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_backend->filterInstalled = true;
}

bool RawInputHandler::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "windows_generic_MSG" && eventType != "windows_dispatcher_MSG")
        return false;
    const MSG *msg = static_cast<const MSG *>(message);
    if (!msg || msg->message != WM_INPUT)
        return false;

    const auto handle = reinterpret_cast<HRAWINPUT>(msg->lParam);
    UINT size = 0;
    if (GetRawInputData(handle, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0
            || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    if (GetRawInputData(handle, RID_INPUT, buffer.data(), &size, sizeof(RAWINPUTHEADER)) != size)
        return false;
    const auto *input = reinterpret_cast<const RAWINPUT *>(buffer.data());

    if (input->header.dwType == RIM_TYPEKEYBOARD && m_keyboardEnabled) {
        const RAWKEYBOARD &keyboard = input->data.keyboard;
        const bool down = (keyboard.Flags & RI_KEY_BREAK) == 0;
        const bool isExtended = (keyboard.Flags & RI_KEY_E0) != 0;
        const int virtualKey = keyboard.VKey;
        // Injected keys may carry no make code, and a key and its E0 twin
        // share one; together with the virtual key they name one key.
        const quint32 nativeCode = (quint32(virtualKey) << 16) | (isExtended ? 0x8000u : 0u)
                | (quint32(keyboard.MakeCode) & 0x7fffu);
        handleKey(nativeCode, qtKeyFromVirtualKey(virtualKey), modifierFromVirtualKey(virtualKey),
                keyboard.MakeCode, isExtended, down);
    } else if (input->header.dwType == RIM_TYPEMOUSE && m_mouseEnabled) {
        const USHORT flags = input->data.mouse.usButtonFlags;
        if (flags != 0) {
            const qint64 now = m_clock.elapsed();
            handleButtonEvent(Button::Left, flags & RI_MOUSE_LEFT_BUTTON_DOWN,
                    flags & RI_MOUSE_LEFT_BUTTON_UP, now);
            handleButtonEvent(Button::Middle, flags & RI_MOUSE_MIDDLE_BUTTON_DOWN,
                    flags & RI_MOUSE_MIDDLE_BUTTON_UP, now);
            handleButtonEvent(Button::Right, flags & RI_MOUSE_RIGHT_BUTTON_DOWN,
                    flags & RI_MOUSE_RIGHT_BUTTON_UP, now);
        }
    }
    return false;
}
