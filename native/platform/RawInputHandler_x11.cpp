#include "platform/RawInputHandler.h"

#include "app/LogCategories.h"
#include "platform/X11Display.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>

#include <cstdlib>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

// XInput2 raw events on the root window arrive whichever client has the
// focus, even during another client's grab, and are copies: selecting them
// takes nothing away from anybody.
struct RawInputHandler::Backend
{
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_NONE;
    uint8_t xinputOpcode = 0;
    uint8_t xkbFirstEvent = 0;
    xcb_key_symbols_t *keySymbols = nullptr;
    bool filterInstalled = false;
    bool hasTime = false;
    xcb_timestamp_t lastTime = 0;
    qint64 time = 0;

    // The server's 32-bit millisecond clock, unwrapped. Timing by the
    // server's stamps keeps a click a click when we are slow to read it.
    qint64 extendTime(xcb_timestamp_t stamp)
    {
        if (hasTime)
            time += qint32(stamp - lastTime);
        hasTime = true;
        lastTime = stamp;
        return time;
    }
};

namespace {

constexpr uint8_t kXkbNewKeyboardNotify = 0;
constexpr uint8_t kXkbMapNotify = 1;

// Asking for less than 2.2 on the connection Qt already set up to 2.2 or
// later would be refused.
bool hasXInput22(xcb_connection_t *connection)
{
    const xcb_query_extension_reply_t *extension
            = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present)
        return false;
    xcb_input_xi_query_version_reply_t *reply = xcb_input_xi_query_version_reply(
            connection, xcb_input_xi_query_version(connection, 2, 2), nullptr);
    const bool ok = reply
            && (reply->major_version > 2
                    || (reply->major_version == 2 && reply->minor_version >= 2));
    std::free(reply);
    return ok;
}

uint8_t xkbFirstEvent(xcb_connection_t *connection)
{
    static const char name[] = "XKEYBOARD";
    xcb_query_extension_reply_t *reply = xcb_query_extension_reply(
            connection, xcb_query_extension(connection, sizeof(name) - 1, name), nullptr);
    const uint8_t first = reply && reply->present ? reply->first_event : 0;
    std::free(reply);
    return first;
}

bool selectRawEvents(xcb_connection_t *connection, xcb_window_t root, uint32_t mask)
{
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection;
    selection.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    selection.head.mask_len = 1;
    selection.mask = mask;
    xcb_generic_error_t *error = xcb_request_check(
            connection, xcb_input_xi_select_events_checked(connection, root, 1, &selection.head));
    const bool ok = error == nullptr;
    std::free(error);
    return ok;
}

} // namespace

void RawInputHandler::createBackend()
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection || X11Display::root(connection) == XCB_WINDOW_NONE) {
        qCWarning(lcRawInput,
                "[RawInputHandler] No X11 connection; global mouse and keyboard input is not "
                "observed");
        return;
    }
    if (!hasXInput22(connection)) {
        qCWarning(lcRawInput,
                "[RawInputHandler] XInput 2.2 is not available; global mouse and keyboard "
                "input is not observed");
        return;
    }
    m_backend = new Backend;
    m_backend->connection = connection;
    m_backend->root = X11Display::root(connection);
    m_backend->xinputOpcode = xcb_get_extension_data(connection, &xcb_input_id)->major_opcode;
    m_backend->xkbFirstEvent = xkbFirstEvent(connection);
    m_backend->keySymbols = xcb_key_symbols_alloc(connection);
}

void RawInputHandler::destroyBackend()
{
    if (!m_backend)
        return;
    selectRawEvents(m_backend->connection, m_backend->root, 0);
    if (m_backend->filterInstalled)
        QCoreApplication::instance()->removeNativeEventFilter(this);
    xcb_key_symbols_free(m_backend->keySymbols);
    delete m_backend;
    m_backend = nullptr;
}

void RawInputHandler::updateRegistration()
{
    if (!m_backend)
        return;
    if (m_backend->filterInstalled) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        m_backend->filterInstalled = false;
    }
    uint32_t mask = 0;
    if (m_mouseEnabled)
        mask |= XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS
                | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
    if (m_keyboardEnabled)
        mask |= XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
    if (!selectRawEvents(m_backend->connection, m_backend->root, mask))
        qCWarning(lcRawInput, "[RawInputHandler] Selecting XInput raw events failed");
    if (mask == 0)
        return;
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_backend->filterInstalled = true;
}

bool RawInputHandler::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!m_backend || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;

    if (m_backend->xkbFirstEvent != 0 && type == m_backend->xkbFirstEvent) {
        // The second byte of every XKB event is its kind.
        const uint8_t xkbType = reinterpret_cast<const uint8_t *>(event)[1];
        if (xkbType == kXkbNewKeyboardNotify || xkbType == kXkbMapNotify) {
            xcb_key_symbols_free(m_backend->keySymbols);
            m_backend->keySymbols = xcb_key_symbols_alloc(m_backend->connection);
        }
        return false;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        auto *mapping = reinterpret_cast<xcb_mapping_notify_event_t *>(
                const_cast<xcb_generic_event_t *>(event));
        xcb_refresh_keyboard_mapping(m_backend->keySymbols, mapping);
        return false;
    }
    if (type != XCB_GE_GENERIC)
        return false;
    const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
    if (generic->extension != m_backend->xinputOpcode)
        return false;

    switch (generic->event_type) {
    case XCB_INPUT_RAW_BUTTON_PRESS:
    case XCB_INPUT_RAW_BUTTON_RELEASE: {
        if (!m_mouseEnabled)
            break;
        const auto *raw = reinterpret_cast<const xcb_input_raw_button_press_event_t *>(event);
        const bool down = generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS;
        const qint64 now = m_backend->extendTime(raw->time);
        // 4 to 7 are the wheel, the rest side buttons.
        switch (raw->detail) {
        case 1:
            handleButtonEvent(Button::Left, down, !down, now);
            break;
        case 2:
            handleButtonEvent(Button::Middle, down, !down, now);
            break;
        case 3:
            handleButtonEvent(Button::Right, down, !down, now);
            break;
        default:
            break;
        }
        break;
    }
    case XCB_INPUT_RAW_KEY_PRESS:
    case XCB_INPUT_RAW_KEY_RELEASE: {
        if (!m_keyboardEnabled)
            break;
        const auto *raw = reinterpret_cast<const xcb_input_raw_key_press_event_t *>(event);
        const auto keycode = xcb_keycode_t(raw->detail);
        const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(m_backend->keySymbols, keycode, 0);
        bool isExtended = false;
        const int scanCode = scanCodeFromEvdev(int(keycode) - 8, &isExtended);
        handleKey(keycode, qtKeyFromKeysym(keysym), modifierFromKeysym(keysym), scanCode,
                isExtended, generic->event_type == XCB_INPUT_RAW_KEY_PRESS);
        break;
    }
    default:
        break;
    }
    return false;
}
