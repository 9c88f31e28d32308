#include "platform/HotkeyHandler.h"

#include "app/LogCategories.h"

#include <QCoreApplication>
#include <QDebug>
#include <QKeySequence>

#include <algorithm>
#include <utility>

namespace {

struct KeyCodes
{
    int key;
    quint32 keysym;
    unsigned virtualKey;
};

// Keys beyond letters, digits and function keys that a global key may end in.
constexpr KeyCodes kNamedKeys[] = {
    { Qt::Key_Space, 0x0020, 0x20 },
    { Qt::Key_Return, 0xff0d, 0x0D },
    { Qt::Key_Tab, 0xff09, 0x09 },
    { Qt::Key_Escape, 0xff1b, 0x1B },
    { Qt::Key_Backspace, 0xff08, 0x08 },
    { Qt::Key_Insert, 0xff63, 0x2D },
    { Qt::Key_Delete, 0xffff, 0x2E },
    { Qt::Key_Home, 0xff50, 0x24 },
    { Qt::Key_End, 0xff57, 0x23 },
    { Qt::Key_PageUp, 0xff55, 0x21 },
    { Qt::Key_PageDown, 0xff56, 0x22 },
    { Qt::Key_Left, 0xff51, 0x25 },
    { Qt::Key_Up, 0xff52, 0x26 },
    { Qt::Key_Right, 0xff53, 0x27 },
    { Qt::Key_Down, 0xff54, 0x28 },
    { Qt::Key_Print, 0xff61, 0x2C },
    { Qt::Key_Pause, 0xff13, 0x13 },
};

constexpr Qt::KeyboardModifiers kAllowedModifiers
        = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;
constexpr Qt::KeyboardModifiers kNeededModifiers
        = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

HotkeyHandler *HotkeyHandler::instance()
{
    static HotkeyHandler *const s_instance = new HotkeyHandler;
    return s_instance;
}

quint32 HotkeyHandler::keysymForKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return quint32(key - Qt::Key_A + 'a');
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return quint32(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return quint32(0xffbe + key - Qt::Key_F1);
    for (const KeyCodes &codes : kNamedKeys) {
        if (codes.key == key)
            return codes.keysym;
    }
    return 0;
}

unsigned HotkeyHandler::virtualKeyForKey(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return unsigned(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return unsigned(0x70 + key - Qt::Key_F1);
    for (const KeyCodes &codes : kNamedKeys) {
        if (codes.key == key)
            return codes.virtualKey;
    }
    return 0;
}

bool HotkeyHandler::parse(const QString &text, Hotkey *hotkey, QString *error)
{
    *hotkey = {};
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return true;
    const QKeySequence sequence = QKeySequence::fromString(trimmed, QKeySequence::PortableText);
    if (sequence.count() != 1) {
        *error = sequence.isEmpty() ? QStringLiteral("not a key")
                                    : QStringLiteral("more than one key");
        return false;
    }
    const QKeyCombination combination = sequence[0];
    const int key = int(combination.key());
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (key == Qt::Key_unknown || keysymForKey(key) == 0) {
        *error = QStringLiteral("no such key");
        return false;
    }
    if (modifiers & ~kAllowedModifiers) {
        *error = QStringLiteral("not a modifier of the keyboard");
        return false;
    }
    if (!(modifiers & kNeededModifiers)) {
        *error = QStringLiteral("needs Ctrl, Alt or Meta");
        return false;
    }
    *hotkey = { key, modifiers };
    return true;
}

QString HotkeyHandler::toText(const Hotkey &hotkey)
{
    if (hotkey.isNull())
        return {};
    return QKeySequence(QKeyCombination(hotkey.modifiers, Qt::Key(hotkey.key)))
            .toString(QKeySequence::PortableText);
}

QString HotkeyHandler::textForKeyEvent(int key, int modifiers) const
{
    Hotkey hotkey { key, Qt::KeyboardModifiers(modifiers) & kAllowedModifiers };
    if (keysymForKey(key) == 0 || !(hotkey.modifiers & kNeededModifiers))
        return {};
    return toText(hotkey);
}

bool HotkeyHandler::isValid(const QString &text) const
{
    Hotkey hotkey;
    QString error;
    return parse(text, &hotkey, &error);
}

bool HotkeyHandler::isAvailable() const
{
    return backendAvailable();
}

void HotkeyHandler::setHotkeys(const QVariantMap &hotkeys)
{
    m_requested = hotkeys;
    if (!m_suspended)
        grabAll();
}

void HotkeyHandler::setSuspended(bool suspended)
{
    if (suspended == m_suspended)
        return;
    m_suspended = suspended;
    if (suspended)
        releaseAll();
    else
        grabAll();
}

void HotkeyHandler::grabAll()
{
    releaseAll();
    if (!backendAvailable()) {
        // The settings window says so; there is nothing to report per key.
        static bool told = false;
        if (!std::exchange(told, true))
            qCInfo(lcHotkeys) << "[HotkeyHandler] This platform has no keys of the whole desktop";
        return;
    }
    QVariantMap problems;
    for (auto it = m_requested.cbegin(); it != m_requested.cend(); ++it) {
        Grab grab;
        grab.action = it.key();
        QString error;
        if (!parse(it.value().toString(), &grab.hotkey, &error)) {
            qCWarning(lcHotkeys).noquote() << "[HotkeyHandler] Ignored the key of" << grab.action
                                           << "-" << it.value().toString() << ":" << error;
            problems.insert(grab.action, QStringLiteral("invalid"));
            continue;
        }
        if (grab.hotkey.isNull())
            continue;
        const auto same = std::find_if(m_grabs.cbegin(), m_grabs.cend(),
                [&grab](const Grab &other) { return other.hotkey == grab.hotkey; });
        if (same != m_grabs.cend()) {
            qCWarning(lcHotkeys).noquote() << "[HotkeyHandler]" << toText(grab.hotkey)
                                           << "is already the key of" << same->action;
            problems.insert(grab.action, QStringLiteral("duplicate"));
            continue;
        }
        grab.id = m_nextId++;
        QString problem;
        if (!grabKey(grab, &problem)) {
            qCWarning(lcHotkeys).noquote() << "[HotkeyHandler] Cannot take" << toText(grab.hotkey)
                                           << "for" << grab.action << ":" << problem;
            problems.insert(grab.action, problem);
            continue;
        }
        qCInfo(lcHotkeys).noquote()
                << "[HotkeyHandler]" << toText(grab.hotkey) << "runs" << grab.action;
        m_grabs.append(grab);
    }
    if (!m_grabs.isEmpty() && !m_filterInstalled && QCoreApplication::instance()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    if (problems != m_problems) {
        m_problems = problems;
        emit problemsChanged();
    }
}

void HotkeyHandler::releaseAll()
{
    for (const Grab &grab : std::as_const(m_grabs))
        ungrabKey(grab);
    m_grabs.clear();
}

bool HotkeyHandler::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    return !m_grabs.isEmpty() && handleNativeEvent(eventType, message);
}

void HotkeyHandler::trigger(int id)
{
    for (const Grab &grab : std::as_const(m_grabs)) {
        if (grab.id == id) {
            qCInfo(lcHotkeys).noquote()
                    << "[HotkeyHandler]" << toText(grab.hotkey) << "pressed:" << grab.action;
            emit activated(grab.action);
            return;
        }
    }
}
