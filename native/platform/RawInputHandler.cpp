#include "platform/RawInputHandler.h"

#include <QCursor>
#include <QGuiApplication>
#include <QStyleHints>

#include <cstdlib>

namespace {

struct KeyPair
{
    quint32 native;
    int qt;
};

// Virtual keys whose Qt code differs from their own.
constexpr KeyPair kVirtualKeys[] = {
    { 0x08, Qt::Key_Backspace },
    { 0x09, Qt::Key_Tab },
    { 0x0D, Qt::Key_Return },
    { 0x10, Qt::Key_Shift },
    { 0x11, Qt::Key_Control },
    { 0x12, Qt::Key_Alt },
    { 0x14, Qt::Key_CapsLock },
    { 0x1B, Qt::Key_Escape },
    { 0x20, Qt::Key_Space },
    { 0x21, Qt::Key_PageUp },
    { 0x22, Qt::Key_PageDown },
    { 0x23, Qt::Key_End },
    { 0x24, Qt::Key_Home },
    { 0x25, Qt::Key_Left },
    { 0x26, Qt::Key_Up },
    { 0x27, Qt::Key_Right },
    { 0x28, Qt::Key_Down },
    { 0x2D, Qt::Key_Insert },
    { 0x2E, Qt::Key_Delete },
    { 0x5B, Qt::Key_Meta },
    { 0x5C, Qt::Key_Meta },
    { 0x90, Qt::Key_NumLock },
    { 0x91, Qt::Key_ScrollLock },
};

// X11 keysyms outside Latin-1. The Windows keys of the virtual-key table
// come out the same, so both platforms report one set of codes.
constexpr KeyPair kKeysyms[] = {
    { 0xff08, Qt::Key_Backspace },
    { 0xff09, Qt::Key_Tab },
    { 0xfe20, Qt::Key_Backtab },
    { 0xff0d, Qt::Key_Return },
    { 0xff8d, Qt::Key_Enter },
    { 0xff13, Qt::Key_Pause },
    { 0xff14, Qt::Key_ScrollLock },
    { 0xff15, Qt::Key_SysReq },
    { 0xff1b, Qt::Key_Escape },
    { 0xffff, Qt::Key_Delete },
    { 0xff50, Qt::Key_Home },
    { 0xff51, Qt::Key_Left },
    { 0xff52, Qt::Key_Up },
    { 0xff53, Qt::Key_Right },
    { 0xff54, Qt::Key_Down },
    { 0xff55, Qt::Key_PageUp },
    { 0xff56, Qt::Key_PageDown },
    { 0xff57, Qt::Key_End },
    { 0xff61, Qt::Key_Print },
    { 0xff63, Qt::Key_Insert },
    { 0xff67, Qt::Key_Menu },
    { 0xff7f, Qt::Key_NumLock },
    { 0xff95, Qt::Key_Home },
    { 0xff96, Qt::Key_Left },
    { 0xff97, Qt::Key_Up },
    { 0xff98, Qt::Key_Right },
    { 0xff99, Qt::Key_Down },
    { 0xff9a, Qt::Key_PageUp },
    { 0xff9b, Qt::Key_PageDown },
    { 0xff9c, Qt::Key_End },
    { 0xff9d, Qt::Key_Clear },
    { 0xff9e, Qt::Key_Insert },
    { 0xff9f, Qt::Key_Delete },
    { 0xff80, Qt::Key_Space },
    { 0xff89, Qt::Key_Tab },
    { 0xffaa, Qt::Key_Asterisk },
    { 0xffab, Qt::Key_Plus },
    { 0xffac, Qt::Key_Comma },
    { 0xffad, Qt::Key_Minus },
    { 0xffae, Qt::Key_Period },
    { 0xffaf, Qt::Key_Slash },
    { 0xffbd, Qt::Key_Equal },
    { 0xffe1, Qt::Key_Shift },
    { 0xffe2, Qt::Key_Shift },
    { 0xffe3, Qt::Key_Control },
    { 0xffe4, Qt::Key_Control },
    { 0xffe5, Qt::Key_CapsLock },
    { 0xffe7, Qt::Key_Meta },
    { 0xffe8, Qt::Key_Meta },
    { 0xffe9, Qt::Key_Alt },
    { 0xffea, Qt::Key_Alt },
    { 0xffeb, Qt::Key_Meta },
    { 0xffec, Qt::Key_Meta },
    { 0xfe03, Qt::Key_AltGr },
};

// Linux input codes of the keys that carry the E0 prefix on a PC keyboard,
// with their make codes.
constexpr KeyPair kExtendedEvdev[] = {
    { 96, 0x1C },
    { 97, 0x1D },
    { 98, 0x35 },
    { 99, 0x37 },
    { 100, 0x38 },
    { 102, 0x47 },
    { 103, 0x48 },
    { 104, 0x49 },
    { 105, 0x4B },
    { 106, 0x4D },
    { 107, 0x4F },
    { 108, 0x50 },
    { 109, 0x51 },
    { 110, 0x52 },
    { 111, 0x53 },
    { 125, 0x5B },
    { 126, 0x5C },
    { 127, 0x5D },
};

template <size_t N> const KeyPair *findKey(const KeyPair (&table)[N], quint32 native)
{
    for (const KeyPair &pair : table) {
        if (pair.native == native)
            return &pair;
    }
    return nullptr;
}

} // namespace

void RawInputHandler::ModifierState::apply(Modifier modifier, bool down)
{
    switch (modifier) {
    case Modifier::Shift:
        shift = down;
        break;
    case Modifier::Control:
        ctrl = down;
        break;
    case Modifier::Alt:
        alt = down;
        break;
    case Modifier::Meta:
        meta = down;
        break;
    case Modifier::None:
        break;
    }
}

int RawInputHandler::ModifierState::qtModifiers() const
{
    int result = Qt::NoModifier;
    if (ctrl)
        result |= Qt::ControlModifier;
    if (shift)
        result |= Qt::ShiftModifier;
    if (alt)
        result |= Qt::AltModifier;
    if (meta)
        result |= Qt::MetaModifier;
    return result;
}

RawInputHandler *RawInputHandler::instance()
{
    static RawInputHandler *const s_instance = new RawInputHandler;
    return s_instance;
}

RawInputHandler::RawInputHandler()
{
    m_clock.start();
    createBackend();
    updateRegistration();
}

RawInputHandler::~RawInputHandler()
{
    destroyBackend();
}

void RawInputHandler::setMouseEnabled(bool enabled)
{
    if (m_mouseEnabled == enabled)
        return;
    m_mouseEnabled = enabled;
    if (!enabled) {
        // Releases go unseen from now on; a press kept from before would
        // pair with a much later release.
        for (ButtonState &state : m_buttons)
            state.pressed = false;
    }
    updateRegistration();
    Q_EMIT mouseEnabledChanged();
}

void RawInputHandler::setKeyboardEnabled(bool enabled)
{
    if (m_keyboardEnabled == enabled)
        return;
    m_keyboardEnabled = enabled;
    if (!enabled) {
        // Otherwise a modifier held while we look away stays down for good.
        m_modifiers = ModifierState();
        m_keysDown.clear();
    }
    updateRegistration();
    Q_EMIT keyboardEnabledChanged();
}

RawInputHandler::ButtonResult RawInputHandler::advanceButton(ButtonState &state, bool down, bool up,
        const QPoint &pos, qint64 now, int interval, int distance)
{
    return ClickCounter::advance(state, down, up, pos.x(), pos.y(), now, interval, distance);
}

void RawInputHandler::handleButtonEvent(Button button, bool down, bool up, qint64 now)
{
    if (!down && !up)
        return;
    const QStyleHints *hints = QGuiApplication::styleHints();
    handleMouseButton(button, down, up, QCursor::pos(), now, hints->mouseDoubleClickInterval(),
            hints->startDragDistance());
}

void RawInputHandler::handleMouseButton(Button button, bool down, bool up, const QPoint &pos,
        qint64 now, int interval, int distance)
{
    if (!m_mouseEnabled)
        return;
    const ButtonResult result
            = advanceButton(m_buttons[int(button)], down, up, pos, now, interval, distance);
    switch (button) {
    case Button::Left:
        if (result.pressed)
            Q_EMIT leftPressed(pos);
        if (result.clicked)
            Q_EMIT leftClicked(pos);
        if (result.doubleClicked)
            Q_EMIT leftDoubleClicked(pos);
        break;
    case Button::Middle:
        if (result.pressed)
            Q_EMIT middlePressed(pos);
        if (result.clicked)
            Q_EMIT middleClicked(pos);
        if (result.doubleClicked)
            Q_EMIT middleDoubleClicked(pos);
        break;
    case Button::Right:
        if (result.pressed)
            Q_EMIT rightPressed(pos);
        if (result.clicked)
            Q_EMIT rightClicked(pos);
        if (result.doubleClicked)
            Q_EMIT rightDoubleClicked(pos);
        break;
    }
}

void RawInputHandler::handleKey(
        quint32 nativeCode, int qtKey, Modifier modifier, int scanCode, bool isExtended, bool down)
{
    if (!m_keyboardEnabled)
        return;
    m_modifiers.apply(modifier, down);
    if (down) {
        m_keysDown.insert(nativeCode);
        Q_EMIT keyPressed(qtKey, scanCode, isExtended, m_modifiers.qtModifiers());
    } else if (m_keysDown.remove(nativeCode)) {
        Q_EMIT keyReleased(qtKey, scanCode, isExtended, m_modifiers.qtModifiers());
    }
}

int RawInputHandler::qtKeyFromVirtualKey(int virtualKey)
{
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return Qt::Key_F1 + (virtualKey - 0x70);
    if (const KeyPair *pair = findKey(kVirtualKeys, quint32(virtualKey)))
        return pair->qt;
    // Letters and digits are their own Qt codes; the rest passes unchanged.
    return virtualKey;
}

RawInputHandler::Modifier RawInputHandler::modifierFromVirtualKey(int virtualKey)
{
    switch (virtualKey) {
    case 0x10:
    case 0xA0:
    case 0xA1:
        return Modifier::Shift;
    case 0x11:
    case 0xA2:
    case 0xA3:
        return Modifier::Control;
    case 0x12:
    case 0xA4:
    case 0xA5:
        return Modifier::Alt;
    case 0x5B:
    case 0x5C:
        return Modifier::Meta;
    default:
        return Modifier::None;
    }
}

int RawInputHandler::qtKeyFromKeysym(quint32 keysym)
{
    if (keysym >= 'a' && keysym <= 'z')
        return int(keysym - 'a' + 'A');
    if (keysym >= 0x20 && keysym <= 0x7e)
        return int(keysym);
    // Latin-1: Qt only names the capitals.
    if (keysym >= 0xe0 && keysym <= 0xfe && keysym != 0xf7)
        return int(keysym - 0x20);
    if (keysym >= 0xa0 && keysym <= 0xff)
        return int(keysym);
    if (keysym >= 0xffbe && keysym <= 0xffd5)
        return Qt::Key_F1 + int(keysym - 0xffbe);
    if (keysym >= 0xffb0 && keysym <= 0xffb9)
        return Qt::Key_0 + int(keysym - 0xffb0);
    if (const KeyPair *pair = findKey(kKeysyms, keysym))
        return pair->qt;
    return Qt::Key_unknown;
}

RawInputHandler::Modifier RawInputHandler::modifierFromKeysym(quint32 keysym)
{
    switch (keysym) {
    case 0xffe1:
    case 0xffe2:
        return Modifier::Shift;
    case 0xffe3:
    case 0xffe4:
        return Modifier::Control;
    case 0xffe9:
    case 0xffea:
        return Modifier::Alt;
    case 0xffe7:
    case 0xffe8:
    case 0xffeb:
    case 0xffec:
        return Modifier::Meta;
    default:
        return Modifier::None;
    }
}

int RawInputHandler::scanCodeFromEvdev(int code, bool *isExtended)
{
    const KeyPair *pair = findKey(kExtendedEvdev, quint32(code));
    if (isExtended)
        *isExtended = pair != nullptr;
    // Below the extended block the Linux codes are the PC make codes.
    return pair ? pair->qt : code;
}
