#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>

class QJSEngine;
class QLocalServer;
class QLocalSocket;
class QLockFile;
class QQmlEngine;

// Keeps one instance of the program per user session. A named mutex decides
// who came first; the first instance listens on a local server, through which
// a later start hands it a short text message and then ends.
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

    Q_INVOKABLE bool start();
    Q_INVOKABLE bool sendMessage(const QString &message);

Q_SIGNALS:
    void serverNameChanged();
    void mutexNameChanged();
    void primaryChanged();
    void activateRequested(const QString &message);

private:
    enum class MutexResult { Created, AlreadyExists, Failed };

    Q_DISABLE_COPY_MOVE(AppInstanceGuard)

    bool finishStart(bool primary);
    // What the server listens on and later starts connect to.
    QString serverAddress() const
    {
        return m_serverAddress.isEmpty() ? m_serverName : m_serverAddress;
    }
    void handleNewConnection();
    // True when a server of our name accepts a connection.
    bool serverAnswers() const;

    // Operating-system side, in AppInstanceGuard_win.cpp and
    // AppInstanceGuard_unix.cpp. claimMutex may also give the server a full
    // address of its own (m_serverAddress): the user's runtime directory on
    // Linux; on Windows the pipe namespace spans every session, so the
    // session's id is appended there.
    MutexResult claimMutex();
    void releaseMutex();
    // Before a later start asks the first one to show itself.
    static void letServerActivate(QLocalSocket &socket);

    QString m_serverName;
    QString m_mutexName;
    // Empty: the server name itself.
    QString m_serverAddress;
    bool m_primary = false;
    QLocalServer *m_server = nullptr;
    // The handle of CreateMutexW on Windows.
    void *m_mutexHandle = nullptr;
    // Stands in for the mutex elsewhere.
    std::unique_ptr<QLockFile> m_lockFile;
};
