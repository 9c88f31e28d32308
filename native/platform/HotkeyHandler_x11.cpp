#include "platform/HotkeyHandler.h"

#include "platform/X11Display.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSet>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace {

constexpr quint32 kNumLockKeysym = 0xff7f;
constexpr uint16_t kModifierMask
        = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr uint8_t kBadAccess = 10;

uint16_t maskOf(Qt::KeyboardModifiers modifiers)
{
    uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    // Qt's Meta is the Super key, which the usual keymaps put on Mod4.
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

} // namespace

struct HotkeyHandler::Backend
{
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_NONE;
    xcb_key_symbols_t *symbols = nullptr;
    uint16_t numLock = XCB_MOD_MASK_2;
    // Pressed and not yet released: the server repeats a held key as presses.
    QSet<quint32> held;

    // The modifier the keymap puts Num Lock on.
    void findNumLock()
    {
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, kNumLockKeysym);
        if (!codes)
            return;
        xcb_get_modifier_mapping_reply_t *reply = xcb_get_modifier_mapping_reply(
                connection, xcb_get_modifier_mapping(connection), nullptr);
        if (reply) {
            const xcb_keycode_t *map = xcb_get_modifier_mapping_keycodes(reply);
            const int perModifier = reply->keycodes_per_modifier;
            for (int modifier = 0; modifier < 8; ++modifier) {
                for (int i = 0; i < perModifier; ++i) {
                    const xcb_keycode_t code = map[modifier * perModifier + i];
                    for (const xcb_keycode_t *c = codes; code && *c != XCB_NO_SYMBOL; ++c) {
                        if (*c == code)
                            numLock = uint16_t(1 << modifier);
                    }
                }
            }
            std::free(reply);
        }
        std::free(codes);
    }

    // A grab holds whatever Caps Lock and Num Lock are.
    QList<uint16_t> variants(uint16_t mask) const
    {
        return { mask, uint16_t(mask | XCB_MOD_MASK_LOCK), uint16_t(mask | numLock),
            uint16_t(mask | XCB_MOD_MASK_LOCK | numLock) };
    }
};

HotkeyHandler::HotkeyHandler()
    : m_backend(std::make_unique<Backend>())
{
    m_backend->connection = X11Display::connection();
    m_backend->root = X11Display::root(m_backend->connection);
    if (m_backend->root == XCB_WINDOW_NONE) {
        m_backend->connection = nullptr;
        return;
    }
    m_backend->symbols = xcb_key_symbols_alloc(m_backend->connection);
    m_backend->findNumLock();
}

HotkeyHandler::~HotkeyHandler()
{
    releaseAll();
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (m_backend->symbols)
        xcb_key_symbols_free(m_backend->symbols);
}

bool HotkeyHandler::backendAvailable() const
{
    return m_backend->connection != nullptr;
}

bool HotkeyHandler::grabKey(Grab &grab, QString *problem)
{
    Backend &b = *m_backend;
    if (!b.connection) {
        *problem = QStringLiteral("failed");
        return false;
    }
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(b.symbols, keysymForKey(grab.hotkey.key));
    const xcb_keycode_t keycode = codes ? codes[0] : xcb_keycode_t(XCB_NO_SYMBOL);
    std::free(codes);
    if (keycode == XCB_NO_SYMBOL) {
        // The keyboard's map has no such key.
        *problem = QStringLiteral("failed");
        return false;
    }
    const QList<uint16_t> variants = b.variants(maskOf(grab.hotkey.modifiers));
    QList<xcb_void_cookie_t> cookies;
    for (const uint16_t mask : variants) {
        // Not owner events: the press comes to us as a press on the root,
        // whichever of our windows has the focus.
        cookies.append(xcb_grab_key_checked(
                b.connection, 0, b.root, mask, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool taken = false;
    bool failed = false;
    for (const xcb_void_cookie_t &cookie : cookies) {
        if (xcb_generic_error_t *error = xcb_request_check(b.connection, cookie)) {
            (error->error_code == kBadAccess ? taken : failed) = true;
            std::free(error);
        }
    }
    grab.native = keycode;
    if (taken || failed) {
        ungrabKey(grab);
        *problem = taken ? QStringLiteral("taken") : QStringLiteral("failed");
        return false;
    }
    return true;
}

void HotkeyHandler::ungrabKey(const Grab &grab)
{
    Backend &b = *m_backend;
    if (!b.connection || !grab.native)
        return;
    // Ungrabbing a variant some other client holds leaves that grab alone.
    for (const uint16_t mask : b.variants(maskOf(grab.hotkey.modifiers)))
        xcb_ungrab_key(b.connection, xcb_keycode_t(grab.native), b.root, mask);
    b.held.remove(grab.native);
    xcb_flush(b.connection);
}

bool HotkeyHandler::handleNativeEvent(const QByteArray &eventType, void *message)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (key->event != m_backend->root)
        return false;
    const uint16_t state = key->state & kModifierMask;
    for (const Grab &grab : std::as_const(m_grabs)) {
        if (grab.native != key->detail)
            continue;
        if (type == XCB_KEY_RELEASE) {
            m_backend->held.remove(grab.native);
            return true;
        }
        if (maskOf(grab.hotkey.modifiers) != state)
            continue;
        if (!m_backend->held.contains(grab.native)) {
            m_backend->held.insert(grab.native);
            trigger(grab.id);
        }
        return true;
    }
    return false;
}
