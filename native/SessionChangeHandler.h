#pragma once

#include "QmlSingleton.h"

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

    bool isLocked() const { return m_locked; }

    // Entry point of the platform code. Several sources can report one lock
    // (logind and the screen saver both do on Linux), so only a change of the
    // state is signalled.
    void reportSessionLock(bool locked);

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

    bool m_locked = false;
    Backend *m_backend = nullptr;
};
