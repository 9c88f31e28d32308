#include "platform/SessionChangeHandler.h"

#include "app/LogCategories.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>

namespace {
const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kLogindSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kLockedHint = QStringLiteral("LockedHint");
} // namespace

// Two sources stand for the Windows session notifications: logind's Lock and
// Unlock of our own session and its LockedHint property on the system bus (a
// desktop such as GNOME reports its lock only through the hint), and the
// desktop's screen saver on the session bus. Either may be missing.
class SessionChangeDBusReceiver : public QObject
{
    Q_OBJECT

public:
    explicit SessionChangeDBusReceiver(SessionChangeHandler *handler)
        : m_handler(handler)
    {
    }

public Q_SLOTS:
    void onLock() { m_handler->reportSessionLock(true); }
    void onUnlock() { m_handler->reportSessionLock(false); }
    void onLogindPropertiesChanged(
            const QString &interface, const QVariantMap &changed, const QStringList &)
    {
        const auto hint = changed.constFind(kLockedHint);
        if (interface == kLogindSession && hint != changed.cend())
            m_handler->reportSessionLock(hint->toBool());
    }
    void onScreenSaverActiveChanged(bool active)
    {
        m_handler->reportSessionLock(active, SessionChangeHandler::LockSource::ScreenSaver);
    }

private:
    SessionChangeHandler *m_handler;
};

struct SessionChangeHandler::Backend
{
    SessionChangeDBusReceiver *receiver = nullptr;
};

namespace {

void watchScreenSaver(SessionChangeDBusReceiver *receiver)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCWarning(lcSession).noquote()
                << "[SessionChangeHandler] Session bus not available; screen saver"
                   " lock notifications are off:"
                << bus.lastError().message();
        return;
    }
    // Desktops emit it from different object paths, so none is given.
    if (!bus.connect(QString(), QString(), kScreenSaver, QStringLiteral("ActiveChanged"), receiver,
                SLOT(onScreenSaverActiveChanged(bool))))
        qCWarning(lcSession, "[SessionChangeHandler] Could not watch the screen saver");
}

void connectLogindSession(SessionChangeDBusReceiver *receiver, const QString &path)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    const bool lock = bus.connect(
            kLogindService, path, kLogindSession, QStringLiteral("Lock"), receiver, SLOT(onLock()));
    const bool unlock = bus.connect(kLogindService, path, kLogindSession, QStringLiteral("Unlock"),
            receiver, SLOT(onUnlock()));
    const bool hint
            = bus.connect(kLogindService, path, kProperties, QStringLiteral("PropertiesChanged"),
                    receiver, SLOT(onLogindPropertiesChanged(QString, QVariantMap, QStringList)));
    if (!lock || !unlock || !hint)
        qCWarning(lcSession).noquote()
                << "[SessionChangeHandler] Could not watch the logind session" << path;
}

void watchLogind(SessionChangeDBusReceiver *receiver)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCWarning(lcSession).noquote()
                << "[SessionChangeHandler] System bus not available; logind lock"
                   " notifications are off:"
                << bus.lastError().message();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
            kLogindService, kLogindPath, kLogindManager, QStringLiteral("GetSessionByPID"));
    call << quint32(QCoreApplication::applicationPid());
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), receiver);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, receiver,
            [receiver](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                if (reply.isError()) {
                    qCWarning(lcSession).noquote()
                            << "[SessionChangeHandler] No logind session; logind lock"
                               " notifications are off:"
                            << reply.error().message();
                    return;
                }
                connectLogindSession(receiver, reply.value().path());
            });
}

} // namespace

void SessionChangeHandler::createBackend()
{
    m_backend = new Backend;
    m_backend->receiver = new SessionChangeDBusReceiver(this);
    watchLogind(m_backend->receiver);
    watchScreenSaver(m_backend->receiver);
}

void SessionChangeHandler::destroyBackend()
{
    if (!m_backend)
        return;
    // Deleting the receiver drops its bus connections.
    delete m_backend->receiver;
    delete m_backend;
    m_backend = nullptr;
}

bool SessionChangeHandler::nativeEventFilter(const QByteArray &, void *, qintptr *)
{
    return false;
}

#include "SessionChangeHandler_unix.moc"
