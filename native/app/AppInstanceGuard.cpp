#include "app/AppInstanceGuard.h"

#include "app/CliConstants.h"
#include "app/LogCategories.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QJSEngine>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMetaMethod>
#include <QPointer>
#include <QStringDecoder>
#include <QTimer>

namespace {

constexpr int kSendTimeoutMs = 150;
constexpr int kConnectionLifetimeMs = 3000;
// A command's start may find the first instance building its windows.
constexpr int kCommandConnectTimeoutMs = 1000;
constexpr int kCommandReplyTimeoutMs = 3000;
// Every real message is a few words; more is not ours.
constexpr qsizetype kMaxMessageBytes = 256;
// Clients connected at once; the oldest makes room for a new one.
constexpr int kMaxClients = 16;
constexpr int kListenCheckIntervalMs = 1000;

const QByteArray kReplyOk = QByteArrayLiteral("ok");
const QByteArray kReplyError = QByteArrayLiteral("error ");

const QStringList &commandsWithoutArgument()
{
    static const QStringList names { QStringLiteral("show"), QStringLiteral("toggle"),
        QStringLiteral("on"), QStringLiteral("off"), QStringLiteral("undo"), QStringLiteral("redo"),
        QStringLiteral("clear"), QStringLiteral("save-picture"), QStringLiteral("copy-picture") };
    return names;
}
const QString kToolCommand = QStringLiteral("tool");

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
        qCWarning(lcInstanceGuard, "AppInstanceGuard: Cannot change serverName after start()");
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

    m_errorString.clear();
    if (!resolveServerAddress()) {
        qCWarning(lcInstanceGuard).noquote() << "[AppInstanceGuard]" << m_errorString;
        return finishStart(false);
    }
    const MutexResult mutex = claimMutex();
    if (mutex == MutexResult::AlreadyExists)
        return finishStart(false);
    // Without the lock nothing tells whether another instance runs: going
    // on could take its place, ending would hide the failure.
    if (mutex == MutexResult::Failed) {
        if (m_errorString.isEmpty())
            m_errorString
                    = QStringLiteral("cannot create the single-instance lock %1").arg(m_mutexName);
        qCWarning(lcInstanceGuard).noquote() << "[AppInstanceGuard]" << m_errorString;
        releaseMutex();
        return finishStart(false);
    }

    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &AppInstanceGuard::handleNewConnection);
    if (!listen()) {
        m_errorString = QStringLiteral("cannot listen on %1: %2")
                                .arg(serverAddress(), m_server->errorString());
        qCWarning(lcInstanceGuard).noquote() << "[AppInstanceGuard]" << m_errorString;
        releaseMutex();
        return finishStart(false);
    }

    // Qt closes the server for good when an accept fails (at the limit of
    // open files, say); later starts would then find no one to tell.
    if (!m_listenCheck) {
        m_listenCheck = new QTimer(this);
        m_listenCheck->setInterval(kListenCheckIntervalMs);
        connect(m_listenCheck, &QTimer::timeout, this, &AppInstanceGuard::keepListening);
    }
    m_listenCheck->start();
    return finishStart(true);
}

bool AppInstanceGuard::listen()
{
    // A server left behind by a crashed instance would make listen() fail.
    // We hold the lock, so no live instance listens there.
    QLocalServer::removeServer(serverAddress());
    return m_server->listen(serverAddress());
}

void AppInstanceGuard::keepListening()
{
    if (!m_server || m_server->isListening())
        return;
    if (listen()) {
        qCWarning(lcInstanceGuard).noquote()
                << "[AppInstanceGuard] listening again on" << serverAddress();
        m_listenFailureLogged = false;
    } else if (!m_listenFailureLogged) {
        qCWarning(lcInstanceGuard).noquote()
                << "[AppInstanceGuard] the server was closed and cannot listen again yet:"
                << m_server->errorString();
        m_listenFailureLogged = true;
    }
}

bool AppInstanceGuard::finishStart(bool primary)
{
    m_primary = primary;
    Q_EMIT primaryChanged();
    return primary;
}

void AppInstanceGuard::handleNewConnection()
{
    while (m_server->hasPendingConnections()) {
        QLocalSocket *const socket = m_server->nextPendingConnection();
        if (!socket)
            break;
        // A pile of silent clients must not use up the open files.
        if (m_clients.size() >= kMaxClients)
            dropClient(m_clients.first());
        m_clients.append(socket);
        m_received.insert(socket, QByteArray());

        connect(socket, &QLocalSocket::readyRead, this,
                [this, socket] { readClient(socket, false); });
        // A sender that ends without a newline still meant its text.
        connect(socket, &QLocalSocket::readChannelFinished, this,
                [this, socket] { readClient(socket, true); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { dropClient(socket); });
        // A client that never writes must not keep its connection forever.
        QTimer::singleShot(kConnectionLifetimeMs, socket, [this, socket] { dropClient(socket); });
        // Data that came with the connection is not announced again.
        if (socket->bytesAvailable() > 0)
            readClient(socket, false);
    }
}

void AppInstanceGuard::readClient(QLocalSocket *socket, bool ended)
{
    const auto found = m_received.find(socket);
    if (found == m_received.end())
        return;
    QByteArray &received = *found;
    // Never more than one message's worth, whatever the client sends.
    received += socket->read(kMaxMessageBytes + 1 - received.size());
    const qsizetype end = received.indexOf('\n');
    if (end >= 0) {
        answerClient(socket, received.left(end));
    } else if (received.size() > kMaxMessageBytes || (ended && !received.isEmpty())) {
        answerClient(socket, received);
    } else if (ended) {
        dropClient(socket);
    }
}

void AppInstanceGuard::answerClient(QLocalSocket *socket, const QByteArray &line)
{
    m_received.remove(socket);
    m_clients.removeOne(socket);
    Command command;
    QString error;
    QByteArray reply = kReplyOk;
    if (!parseCommand(line, &command, &error)) {
        qCWarning(lcInstanceGuard).noquote() << "[AppInstanceGuard] refused a message:" << error;
        reply = kReplyError + error.toUtf8();
    } else if (command.name != QLatin1String("show")
            && !isSignalConnected(QMetaMethod::fromSignal(&AppInstanceGuard::commandReceived))) {
        reply = kReplyError + QByteArrayLiteral("not ready for commands");
    } else {
        qCInfo(lcInstanceGuard).noquote()
                << "[AppInstanceGuard] command:"
                << (command.name + QLatin1Char(' ') + command.argument).trimmed();
        dispatch(command);
    }
    if (socket->state() == QLocalSocket::ConnectedState) {
        socket->write(reply + '\n');
        // Leaves once the answer is out; the lifetime timer bounds the wait.
        socket->disconnectFromServer();
    }
    if (socket->state() == QLocalSocket::UnconnectedState)
        socket->deleteLater();
}

void AppInstanceGuard::dropClient(QLocalSocket *socket)
{
    m_received.remove(socket);
    m_clients.removeOne(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void AppInstanceGuard::dispatch(const Command &command)
{
    if (command.name == QLatin1String("show"))
        requestShow();
    else
        Q_EMIT commandReceived(command.name, command.argument);
}

// A flood of starts opens the toolbar once, not once per message.
void AppInstanceGuard::requestShow()
{
    if (m_showPending)
        return;
    m_showPending = true;
    QTimer::singleShot(0, this, [this] {
        m_showPending = false;
        Q_EMIT activateRequested(QStringLiteral("show"));
    });
}

QString AppInstanceGuard::canonicalToolName(const QString &name)
{
    for (const QString &tool : CliConstants::toolNames()) {
        if (tool.compare(name, Qt::CaseInsensitive) == 0)
            return tool;
    }
    return {};
}

bool AppInstanceGuard::parseCommand(const QByteArray &line, Command *command, QString *error)
{
    QByteArray bytes = line;
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(bytes);
    if (decode.hasError() || bytes.size() > kMaxMessageBytes) {
        *error = QStringLiteral("not a command");
        return false;
    }
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) {
            *error = QStringLiteral("not a command");
            return false;
        }
    }
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    const QString name = space < 0 ? text : text.left(space);
    const QString argument = space < 0 ? QString() : text.mid(space + 1);
    if (commandsWithoutArgument().contains(name)) {
        if (space >= 0) {
            *error = QStringLiteral("%1 takes no argument").arg(name);
            return false;
        }
        *command = { name, QString() };
        return true;
    }
    if (name == kToolCommand) {
        const QString tool = canonicalToolName(argument);
        if (tool.isEmpty()) {
            *error = QStringLiteral("unknown tool");
            return false;
        }
        *command = { name, tool };
        return true;
    }
    *error = QStringLiteral("unknown command");
    return false;
}

QByteArray AppInstanceGuard::encodeCommand(const Command &command)
{
    QString text = command.name;
    if (!command.argument.isEmpty())
        text += QLatin1Char(' ') + command.argument;
    return text.toUtf8() + '\n';
}

AppInstanceGuard::SendResult AppInstanceGuard::sendCommand(const Command &command, QString *reply)
{
    if (reply)
        reply->clear();
    if (m_serverAddress.isEmpty() && !resolveServerAddress())
        return SendResult::NotRunning;
    QLocalSocket socket;
    socket.connectToServer(serverAddress(), QIODevice::ReadWrite);
    if (!socket.waitForConnected(kCommandConnectTimeoutMs)) {
        const QLocalSocket::LocalSocketError error = socket.error();
        return error == QLocalSocket::ServerNotFoundError
                        || error == QLocalSocket::ConnectionRefusedError
                ? SendResult::NotRunning
                : SendResult::NoAnswer;
    }
    socket.write(encodeCommand(command));
    QByteArray answer;
    const QDeadlineTimer deadline(kCommandReplyTimeoutMs);
    while (!answer.contains('\n') && answer.size() <= kMaxMessageBytes && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        answer += socket.read(kMaxMessageBytes + 1 - answer.size());
    }
    answer += socket.read(kMaxMessageBytes + 1 - answer.size());
    socket.abort();
    const qsizetype end = answer.indexOf('\n');
    if (end < 0)
        return SendResult::NoAnswer;
    answer.truncate(end);
    if (answer == kReplyOk)
        return SendResult::Accepted;
    if (answer.startsWith(kReplyError)) {
        if (reply)
            *reply = QString::fromUtf8(answer.mid(kReplyError.size()));
        return SendResult::Refused;
    }
    return SendResult::NoAnswer;
}

bool AppInstanceGuard::sendMessage(const QString &message)
{
    if (m_serverAddress.isEmpty() && !resolveServerAddress())
        return false;
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
