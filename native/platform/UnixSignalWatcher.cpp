#include "platform/UnixSignalWatcher.h"

#include "app/LogCategories.h"

#include <QDebug>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Read by the signal handler, so a plain int that is set before any
// handler is installed and cleared only after they are all removed.
volatile sig_atomic_t s_writeFd = -1;
} // namespace

UnixSignalWatcher::UnixSignalWatcher(const QList<int> &signalNumbers, QObject *parent)
    : QObject(parent)
{
    if (s_writeFd != -1) {
        qCWarning(lcSignals) << "[UnixSignalWatcher] Another watcher is already installed";
        return;
    }

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcSignals) << "[UnixSignalWatcher] Cannot create the signal pipe:"
                             << std::strerror(errno);
        return;
    }
    m_readFd = fds[0];
    s_writeFd = fds[1];

    m_notifier = new QSocketNotifier(m_readFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalWatcher::readPipe);

    for (const int signalNumber : signalNumbers) {
        struct sigaction action;
        std::memset(&action, 0, sizeof(action));
        action.sa_handler = &UnixSignalWatcher::handleSignal;
        sigemptyset(&action.sa_mask);
        // Restarted system calls keep a signal from breaking a blocking read
        // elsewhere in the program.
        action.sa_flags = SA_RESTART;

        struct sigaction previous;
        if (::sigaction(signalNumber, &action, &previous) != 0) {
            qCWarning(lcSignals) << "[UnixSignalWatcher] Cannot watch signal" << signalNumber << ":"
                                 << std::strerror(errno);
            continue;
        }
        m_previous.emplace_back(signalNumber, previous);
    }
}

UnixSignalWatcher::~UnixSignalWatcher()
{
    restoreHandlers();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_readFd != -1) {
        const int writeFd = s_writeFd;
        s_writeFd = -1;
        ::close(writeFd);
        ::close(m_readFd);
    }
}

bool UnixSignalWatcher::isWatching() const
{
    return m_readFd != -1 && !m_previous.empty();
}

void UnixSignalWatcher::handleSignal(int signalNumber)
{
    const int savedErrno = errno;
    const int fd = s_writeFd;
    if (fd != -1) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds enough wake-ups; dropping this one is fine.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void UnixSignalWatcher::readPipe()
{
    // Drain first: a receiver may end the program, or this watcher, at once.
    QList<int> received;
    unsigned char buffer[64];
    for (;;) {
        const ssize_t count = ::read(m_readFd, buffer, sizeof(buffer));
        if (count > 0) {
            for (ssize_t i = 0; i < count; ++i)
                received.append(buffer[i]);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        break;
    }

    const QPointer<UnixSignalWatcher> alive(this);
    for (const int signalNumber : std::as_const(received)) {
        if (!alive)
            return;
        emit signalReceived(signalNumber);
    }
}

void UnixSignalWatcher::restoreHandlers()
{
    for (const auto &[signalNumber, previous] : m_previous)
        ::sigaction(signalNumber, &previous, nullptr);
    m_previous.clear();
}
