#include "SessionChangeHandler.h"

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

void SessionChangeHandler::reportSessionLock(bool locked)
{
    if (m_locked == locked)
        return;
    m_locked = locked;
    if (locked)
        Q_EMIT sessionLocked();
    else
        Q_EMIT sessionUnlocked();
}
