#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <QByteArray>
#include <QHash>
#include <QList>

#include <memory>

class QJSEngine;
class QLocalServer;
class QLocalSocket;
class QLockFile;
class QQmlEngine;
class QTimer;

// Keeps one instance of the program per user session. A named mutex decides
// who came first; the first instance listens on a local server, through which
// a later start hands it a short text message and then ends. Commands to the
// running instance take the same road and are answered with one line.
class AppInstanceGuard : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(
            QString serverName READ serverName WRITE setServerName NOTIFY serverNameChanged FINAL)
    Q_PROPERTY(QString mutexName READ mutexName NOTIFY mutexNameChanged FINAL)
    Q_PROPERTY(bool primary READ isPrimary NOTIFY primaryChanged FINAL)

public:
    AppInstanceGuard(
            const QString &serverName, const QString &mutexName, QObject *parent = nullptr);
    ~AppInstanceGuard() override;

    // "<organization>.<application>.SingleInstance"
    static QString defaultServerName(const QString &organization, const QString &application);

    // The guard the entry point owns, as the engine sees it. Stored by the
    // singleton publisher; the engine never owns or deletes it.
    static void setPublishedInstance(AppInstanceGuard *guard);
    static AppInstanceGuard *publishedInstance();
    static AppInstanceGuard *create(QQmlEngine *engine, QJSEngine *scriptEngine);

    QString serverName() const { return m_serverName; }
    void setServerName(const QString &name);
    QString mutexName() const { return m_mutexName; }
    bool isPrimary() const { return m_primary; }

    // One command of the channel: "show", "toggle", "on", "off", "undo",
    // "redo", "clear", "save-picture", "copy-picture", or "tool" with a
    // tool's stored name (or "Pointer").
    struct Command
    {
        QString name;
        QString argument;
        bool operator==(const Command &other) const
        {
            return name == other.name && argument == other.argument;
        }
    };
    enum class SendResult { Accepted, Refused, NotRunning, NoAnswer };

    // The stored name of a tool, matched without regard to case, or
    // "Pointer"; empty for anything else.
    static QString canonicalToolName(const QString &name);
    // Reads one line of the channel (without its newline). False, with the
    // reason in `error`, for anything that is not a known command.
    static bool parseCommand(const QByteArray &line, Command *command, QString *error);
    static QByteArray encodeCommand(const Command &command);

    // False both for a later instance and for a failure; errorString() is
    // empty only in the first case.
    Q_INVOKABLE bool start();
    Q_INVOKABLE bool sendMessage(const QString &message);
    // Sends a command and waits, within bounds, for the running instance's
    // answer; `reply` gets the reason of a refusal.
    SendResult sendCommand(const Command &command, QString *reply = nullptr);
    QString errorString() const { return m_errorString; }
    // Hands a command to the declarative side as if a client had sent it.
    void dispatch(const Command &command);

Q_SIGNALS:
    void serverNameChanged();
    void mutexNameChanged();
    void primaryChanged();
    void activateRequested(const QString &message);
    void commandReceived(const QString &command, const QString &argument);

private:
    enum class MutexResult { Created, AlreadyExists, Failed };

    Q_DISABLE_COPY_MOVE(AppInstanceGuard)

    bool finishStart(bool primary);
    bool listen();
    void keepListening();
    // What the server listens on and later starts connect to.
    QString serverAddress() const
    {
        return m_serverAddress.isEmpty() ? m_serverName : m_serverAddress;
    }
    void handleNewConnection();
    void readClient(QLocalSocket *socket, bool ended);
    void answerClient(QLocalSocket *socket, const QByteArray &line);
    void dropClient(QLocalSocket *socket);
    void requestShow();

    // Operating-system side, in AppInstanceGuard_win.cpp and
    // AppInstanceGuard_unix.cpp. resolveServerAddress gives the server a full
    // address of its own (m_serverAddress): the user's private runtime
    // directory on Linux; on Windows the pipe namespace spans every session,
    // so the session's id is appended there. False, with m_errorString, when
    // there is no address that only this user can reach.
    bool resolveServerAddress();
    MutexResult claimMutex();
    void releaseMutex();
    // Before a later start asks the first one to show itself.
    static void letServerActivate(QLocalSocket &socket);

    QString m_serverName;
    QString m_mutexName;
    // Empty: the server name itself.
    QString m_serverAddress;
    bool m_primary = false;
    bool m_showPending = false;
    bool m_listenFailureLogged = false;
    QString m_errorString;
    QLocalServer *m_server = nullptr;
    // Brings the server back when the system closed it.
    QTimer *m_listenCheck = nullptr;
    // Clients in the order they came, with what each has sent so far.
    QList<QLocalSocket *> m_clients;
    QHash<QLocalSocket *, QByteArray> m_received;
    // The handle of CreateMutexW on Windows.
    void *m_mutexHandle = nullptr;
    // Stands in for the mutex elsewhere.
    std::unique_ptr<QLockFile> m_lockFile;
};
