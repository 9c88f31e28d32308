#pragma once

#include "app/QmlSingleton.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include <memory>

// Keys of the whole desktop that run one of our actions whichever program
// has the focus: passive key grabs on the X root window, RegisterHotKey on
// Windows. Each action has at most one key; a key another program holds is
// reported for that action, not lost without a word.
class HotkeyHandler : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(HotkeyHandler)
    Q_PROPERTY(bool available READ isAvailable CONSTANT FINAL)
    // Action name to "invalid", "duplicate" (another action's key), "taken"
    // (another program holds it) or "failed", for the actions whose key is
    // not in force.
    Q_PROPERTY(QVariantMap problems READ problems NOTIFY problemsChanged FINAL)

public:
    struct Hotkey
    {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        bool isNull() const { return key == 0; }
        bool operator==(const Hotkey &other) const
        {
            return key == other.key && modifiers == other.modifiers;
        }
    };

    static HotkeyHandler *instance();
    ~HotkeyHandler() override;

    // Reads a key in Qt's portable form ("Ctrl+Alt+Shift+P", "Meta+F9"). An
    // empty text is no key. False, with the reason in `error`, for anything
    // that cannot be a key of the whole desktop: more than one key, a key we
    // cannot name to the system, or no Ctrl, Alt or Meta (it would take the
    // key away from typing).
    static bool parse(const QString &text, Hotkey *hotkey, QString *error);
    // The portable text of a key, as parse() reads it.
    static QString toText(const Hotkey &hotkey);
    // X11 keysym and Windows virtual key of a Qt key; 0 for keys we cannot
    // grab.
    static quint32 keysymForKey(int key);
    static unsigned virtualKeyForKey(int key);

    // What a key press in the settings window would set: the portable text,
    // or empty while only modifiers are held or the key is not allowed.
    Q_INVOKABLE QString textForKeyEvent(int key, int modifiers) const;
    // Whether `text` is a key parse() accepts (an empty text is).
    Q_INVOKABLE bool isValid(const QString &text) const;

    // Grabs exactly these keys (action name to portable text; empty or
    // missing: none) and lets go of every other one of ours. Unreadable texts
    // are logged and left out.
    Q_INVOKABLE void setHotkeys(const QVariantMap &hotkeys);
    Q_INVOKABLE void releaseAll();
    // While the settings window listens for a new key, ours must not catch
    // it: suspended, every key goes back, and comes again once resumed.
    Q_INVOKABLE void setSuspended(bool suspended);

    bool isAvailable() const;
    QVariantMap problems() const { return m_problems; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    void activated(const QString &action);
    void problemsChanged();

private:
    HotkeyHandler();
    Q_DISABLE_COPY_MOVE(HotkeyHandler)

    struct Grab
    {
        QString action;
        Hotkey hotkey;
        int id = 0;
        // What the backend grabbed: the keycode on X11.
        quint32 native = 0;
    };

    // Called by the backend for a press of a grabbed key.
    void trigger(int id);

    // Backend (HotkeyHandler_x11.cpp, HotkeyHandler_win.cpp), which also
    // makes and ends the handler: the keys go back when it ends. grabKey fills
    // `grab.native` and says "taken" or "failed" in `problem` on failure.
    struct Backend;
    bool grabKey(Grab &grab, QString *problem);
    void ungrabKey(const Grab &grab);
    bool backendAvailable() const;
    bool handleNativeEvent(const QByteArray &eventType, void *message);

    void grabAll();

    QList<Grab> m_grabs;
    QVariantMap m_requested;
    bool m_suspended = false;
    QVariantMap m_problems;
    int m_nextId = 1;
    bool m_filterInstalled = false;
    std::unique_ptr<Backend> m_backend;
};
