#include "AppInstanceGuard.h"

#include <QJSEngine>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>

namespace {

constexpr int kSendTimeoutMs = 150;
constexpr int kConnectionLifetimeMs = 3000;

// Cleared by QPointer when the entry point destroys the guard at teardown.
QPointer<AppInstanceGuard> &publishedGuard()
{
    static QPointer<AppInstanceGuard> guard;
    return guard;
}

} // namespace

AppInstanceGuard::AppInstanceGuard(
        const QString &serverName, const QString &mutexName, QObject *parent)
    : QObject(parent)
    , m_serverName(serverName)
    , m_mutexName(mutexName)
{
}

AppInstanceGuard::~AppInstanceGuard()
{
    releaseMutex();
    if (m_server) {
        if (m_server->isListening())
            m_server->close();
        delete m_server;
        m_server = nullptr;
    }
}

QString AppInstanceGuard::defaultServerName(const QString &organization, const QString &application)
{
    return QStringLiteral("%1.%2.SingleInstance").arg(organization, application);
}

void AppInstanceGuard::setPublishedInstance(AppInstanceGuard *guard)
{
    publishedGuard() = guard;
}

AppInstanceGuard *AppInstanceGuard::publishedInstance()
{
    return publishedGuard().data();
}

AppInstanceGuard *AppInstanceGuard::create(QQmlEngine *, QJSEngine *)
{
    AppInstanceGuard *const guard = publishedInstance();
    if (guard)
        QJSEngine::setObjectOwnership(guard, QJSEngine::CppOwnership);
    return guard;
}

void AppInstanceGuard::setServerName(const QString &name)
{
    if (name == m_serverName)
        return;
    if (m_server && m_server->isListening()) {
        qWarning("AppInstanceGuard: Cannot change serverName after start()");
        return;
    }
    m_serverName = name;
    m_serverAddress.clear();
    Q_EMIT serverNameChanged();
}

bool AppInstanceGuard::start()
{
    // Starting again while listening keeps the server the clients know.
    if (m_primary && m_server && m_server->isListening())
        return finishStart(true);

    const MutexResult mutex = claimMutex();
    if (mutex == MutexResult::AlreadyExists)
        return finishStart(false);

    // Without the mutex nothing else tells us whether a first instance runs;
    // removing its server below would take its place, so ask it first.
    if (mutex == MutexResult::Failed && serverAnswers())
        return finishStart(false);

    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);

    // A server left behind by a crashed instance would make listen() fail.
    QLocalServer::removeServer(serverAddress());
    if (!m_server->listen(serverAddress()))
        return finishStart(false);

    connect(m_server, &QLocalServer::newConnection, this, &AppInstanceGuard::handleNewConnection);
    return finishStart(true);
}

bool AppInstanceGuard::finishStart(bool primary)
{
    m_primary = primary;
    Q_EMIT primaryChanged();
    return primary;
}

bool AppInstanceGuard::serverAnswers() const
{
    QLocalSocket socket;
    socket.connectToServer(serverAddress(), QIODevice::ReadWrite);
    const bool answered = socket.waitForConnected(kSendTimeoutMs);
    socket.abort();
    return answered;
}

void AppInstanceGuard::handleNewConnection()
{
    while (m_server->hasPendingConnections()) {
        QLocalSocket *const socket = m_server->nextPendingConnection();
        if (!socket)
            break;

        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            const QString message = QString::fromUtf8(socket->readAll());
            Q_EMIT activateRequested(message.isEmpty() ? QStringLiteral("show") : message);
            socket->disconnectFromServer();
        });

        // A client that never writes must not keep its connection forever.
        QTimer::singleShot(kConnectionLifetimeMs, socket, [socket] {
            if (socket->state() == QLocalSocket::ConnectedState)
                socket->disconnectFromServer();
            socket->deleteLater();
        });
    }
}

bool AppInstanceGuard::sendMessage(const QString &message)
{
    QLocalSocket socket;
    socket.connectToServer(serverAddress(), QIODevice::ReadWrite);
    if (!socket.waitForConnected(kSendTimeoutMs))
        return false;

    letServerActivate(socket);
    const QByteArray bytes = message.toUtf8();
    if (!bytes.isEmpty())
        socket.write(bytes);
    socket.flush();
    socket.waitForBytesWritten(kSendTimeoutMs);
    socket.disconnectFromServer();
    return true;
}
