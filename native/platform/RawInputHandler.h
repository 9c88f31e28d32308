#pragma once

#include "app/QmlSingleton.h"
#include "platform/ClickCounter.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QSet>
#include <QtGlobal>
#include <QtQml/qqmlregistration.h>

// Watches the mouse buttons and the keyboard of the whole desktop, whatever
// program has the focus, and reports them as signals. It only looks: the
// input always reaches its target unchanged.
//
// The rules (clicks, double clicks, modifiers, key tables) live here and in
// RawInputHandler.cpp; the platform files only turn OS events into calls of
// handleMouseButton() and handleKey().
class RawInputHandler : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(RawInputHandler)
    Q_PROPERTY(bool mouseEnabled READ mouseEnabled WRITE setMouseEnabled NOTIFY mouseEnabledChanged
                    FINAL)
    Q_PROPERTY(bool keyboardEnabled READ keyboardEnabled WRITE setKeyboardEnabled NOTIFY
                    keyboardEnabledChanged FINAL)

public:
    enum class Button { Left, Middle, Right };
    enum class Modifier { None, Shift, Control, Alt, Meta };

    using ButtonState = ClickCounter::State;
    using ButtonResult = ClickCounter::Step;

    struct ModifierState
    {
        bool ctrl = false;
        bool shift = false;
        bool alt = false;
        bool meta = false;

        void apply(Modifier modifier, bool down);
        int qtModifiers() const;
    };

    static RawInputHandler *instance();
    ~RawInputHandler() override;

    bool mouseEnabled() const { return m_mouseEnabled; }
    bool keyboardEnabled() const { return m_keyboardEnabled; }
    const ModifierState &modifiers() const { return m_modifiers; }

    // Always false: nothing is ever consumed.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // ClickCounter::advance at `pos`.
    static ButtonResult advanceButton(ButtonState &state, bool down, bool up, const QPoint &pos,
            qint64 now, int interval, int distance);

    // Windows virtual-key codes.
    static int qtKeyFromVirtualKey(int virtualKey);
    static Modifier modifierFromVirtualKey(int virtualKey);

    // X11 keysyms; keys we have no name for are Qt::Key_unknown.
    static int qtKeyFromKeysym(quint32 keysym);
    static Modifier modifierFromKeysym(quint32 keysym);
    // Linux input codes (X keycode - 8) as PC make codes and the E0 flag.
    static int scanCodeFromEvdev(int code, bool *isExtended);

    // Entry points of the platform code, fed directly by the tests.
    void handleMouseButton(Button button, bool down, bool up, const QPoint &pos, qint64 now,
            int interval, int distance);
    // `nativeCode` identifies the physical key; a release of a key that is
    // not down is dropped, so a doubled release reports once.
    void handleKey(quint32 nativeCode, int qtKey, Modifier modifier, int scanCode, bool isExtended,
            bool down);

public Q_SLOTS:
    void setMouseEnabled(bool enabled);
    void setKeyboardEnabled(bool enabled);

Q_SIGNALS:
    void mouseEnabledChanged();
    void keyboardEnabledChanged();
    void leftClicked(QPoint globalPos);
    void leftDoubleClicked(QPoint globalPos);
    void leftPressed(QPoint globalPos);
    void middleClicked(QPoint globalPos);
    void middleDoubleClicked(QPoint globalPos);
    void middlePressed(QPoint globalPos);
    void rightClicked(QPoint globalPos);
    void rightDoubleClicked(QPoint globalPos);
    void rightPressed(QPoint globalPos);
    void keyPressed(int key, int scanCode, bool isExtended, int modifiers);
    void keyReleased(int key, int scanCode, bool isExtended, int modifiers);

private:
    RawInputHandler();
    Q_DISABLE_COPY_MOVE(RawInputHandler)

    // Platform part.
    struct Backend;
    void createBackend();
    void destroyBackend();
    void updateRegistration();
    // Reads the cursor and the style hints, then handleMouseButton().
    void handleButtonEvent(Button button, bool down, bool up, qint64 now);

    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    ModifierState m_modifiers;
    ButtonState m_buttons[3];
    QSet<quint32> m_keysDown;
    QElapsedTimer m_clock;
    Backend *m_backend = nullptr;
};
