#include "platform/SessionChangeHandler.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWindow>

#include "app/LogCategories.h"
#include "platform/Win32Core.h"

// The notifications of the current session arrive at a hidden window of ours.
struct SessionChangeHandler::Backend
{
    QWindow *notificationWindow = nullptr;
    bool registered = false;
    bool filterInstalled = false;
    int retriesLeft = 120;
};

namespace {
constexpr int kRegisterRetryMs = 1000;
}

void SessionChangeHandler::createBackend()
{
    m_backend = new Backend;
    m_backend->notificationWindow = new QWindow;
    m_backend->notificationWindow->setFlags(Qt::Tool | Qt::FramelessWindowHint);
    m_backend->notificationWindow->resize(1, 1);
    m_backend->notificationWindow->setOpacity(0.0);
    m_backend->notificationWindow->create();

    registerNotification();
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_backend->filterInstalled = true;
    }
}

void SessionChangeHandler::registerNotification()
{
    const auto handle = reinterpret_cast<HWND>(m_backend->notificationWindow->winId());
    if (!handle || m_backend->registered)
        return;
    switch (Win32Core::registerSessionNotification(handle)) {
    case Win32Core::Registration::Done:
        m_backend->registered = true;
        break;
    case Win32Core::Registration::NotYet:
        // Started with the log-on, before the terminal services are up.
        if (m_backend->retriesLeft-- > 0) {
            QTimer::singleShot(kRegisterRetryMs, this, [this] {
                if (m_backend)
                    registerNotification();
            });
            break;
        }
        [[fallthrough]];
    case Win32Core::Registration::Failed:
        qCWarning(lcSession, "[SessionChangeHandler] WTSRegisterSessionNotification failed %lu",
                GetLastError());
        break;
    }
}

void SessionChangeHandler::destroyBackend()
{
    if (!m_backend)
        return;
    if (m_backend->filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    const auto handle = reinterpret_cast<HWND>(m_backend->notificationWindow->winId());
    if (m_backend->registered && handle) {
        if (!Win32Core::unregisterSessionNotification(handle))
            qCWarning(lcSession,
                    "[SessionChangeHandler] WTSUnRegisterSessionNotification failed %lu",
                    GetLastError());
    }
    m_backend->registered = false;
    m_backend->notificationWindow->deleteLater();
    delete m_backend;
    m_backend = nullptr;
}

bool SessionChangeHandler::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "windows_generic_MSG" && eventType != "windows_dispatcher_MSG")
        return false;
    const MSG *msg = static_cast<const MSG *>(message);
    if (!msg)
        return false;
    switch (Win32Core::sessionChangeOf(*msg)) {
    case Win32Core::SessionChange::Locked:
        reportSessionLock(true);
        break;
    case Win32Core::SessionChange::Unlocked:
        reportSessionLock(false);
        break;
    case Win32Core::SessionChange::None:
        break;
    }
    return false;
}
