#include "platform/SessionChangeHandler.h"

SessionChangeHandler *SessionChangeHandler::instance()
{
    static SessionChangeHandler *const s_instance = new SessionChangeHandler;
    return s_instance;
}

SessionChangeHandler::SessionChangeHandler()
{
    createBackend();
}

SessionChangeHandler::~SessionChangeHandler()
{
    destroyBackend();
}

void SessionChangeHandler::reportSessionLock(bool locked, LockSource source)
{
    const bool wasLocked = isLocked();
    const unsigned bit = 1u << unsigned(source);
    m_lockedSources = locked ? (m_lockedSources | bit) : (m_lockedSources & ~bit);
    if (isLocked() == wasLocked)
        return;
    if (locked)
        Q_EMIT sessionLocked();
    else
        Q_EMIT sessionUnlocked();
}
