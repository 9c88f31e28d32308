#include "app/AppController.h"

AppController *AppController::instance()
{
    static AppController *const s_instance = new AppController;
    return s_instance;
}

QObject *AppController::root() const
{
    return m_root.data();
}

void AppController::setRoot(QObject *root)
{
    if (m_root.data() == root)
        return;
    m_root = root;
    emit rootChanged();
}

void AppController::shutdownFromQml()
{
    emit shutdownRequested();
}
