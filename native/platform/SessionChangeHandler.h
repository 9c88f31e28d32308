#pragma once

#include "app/QmlSingleton.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// Tells when the user's session is locked and unlocked, so that the overlays
// can be torn down before the desktop changes behind the lock screen.
class SessionChangeHandler : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(SessionChangeHandler)

public:
    static SessionChangeHandler *instance();
    ~SessionChangeHandler() override;

    // Always false: the messages go on to their window.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Who reports a lock. Linux has two: logind (its Lock and Unlock signals
    // and its LockedHint) and the desktop's screen saver.
    enum class LockSource { System, ScreenSaver };

    bool isLocked() const { return m_lockedSources != 0; }

    // Entry point of the platform code. The session is locked while any
    // source says so: the screen saver going off is no unlock while logind
    // still reports the lock. Only a change of that state is signalled.
    void reportSessionLock(bool locked, LockSource source = LockSource::System);

Q_SIGNALS:
    void sessionUnlocked();
    void sessionLocked();

private:
    SessionChangeHandler();
    Q_DISABLE_COPY_MOVE(SessionChangeHandler)

    // Platform part.
    struct Backend;
    void createBackend();
    void destroyBackend();
    // Windows: asks for the notifications, again later while the system
    // is not ready for it.
    void registerNotification();

    unsigned m_lockedSources = 0;
    Backend *m_backend = nullptr;
};
