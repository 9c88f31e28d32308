#pragma once

#include <QList>
#include <QObject>

#include <csignal>
#include <utility>
#include <vector>

class QSocketNotifier;

// Turns POSIX signals into a Qt signal on the GUI thread. The handler only
// writes the signal number into a pipe (all it may safely do); a socket
// notifier reads it back in the event loop. One watcher at a time.
class UnixSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit UnixSignalWatcher(const QList<int> &signalNumbers, QObject *parent = nullptr);
    ~UnixSignalWatcher() override;

    // False when the pipe or a handler could not be set up.
    bool isWatching() const;

signals:
    void signalReceived(int signalNumber);

private:
    Q_DISABLE_COPY_MOVE(UnixSignalWatcher)

    static void handleSignal(int signalNumber);
    void readPipe();
    void restoreHandlers();

    // Each watched signal with the disposition it had before.
    std::vector<std::pair<int, struct sigaction>> m_previous;
    QSocketNotifier *m_notifier = nullptr;
    int m_readFd = -1;
};
