#include "app/TrayIcon.h"

#include "app/LogCategories.h"

#include <QGuiApplication>
#include <QIcon>
#include <QStyleHints>

TrayIcon *TrayIcon::instance()
{
    static TrayIcon *const s_instance = new TrayIcon;
    return s_instance;
}

TrayIcon::TrayIcon()
{
    m_singleClickTimer.setSingleShot(true);
    connect(&m_singleClickTimer, &QTimer::timeout, this, &TrayIcon::onSingleClickTimeout);
}

void TrayIcon::initialize(const QString &toolTip)
{
    if (m_trayIcon)
        return;
    // At log-in the panel often starts after the programs started with the
    // session: the icon is made all the same and docks once a tray appears.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        qCWarning(lcTray, "System tray is not available on this system");

    m_trayIcon = new QSystemTrayIcon(this);
    m_trayIcon->setIcon(QIcon(QStringLiteral(":/resources/app/app-tray.ico")));
    m_trayIcon->setToolTip(toolTip);
    m_trayIcon->setVisible(true);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
}

void TrayIcon::show()
{
    if (m_trayIcon)
        m_trayIcon->show();
}

void TrayIcon::hide()
{
    if (m_trayIcon)
        m_trayIcon->hide();
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        Q_EMIT menuOpenRequested();
        break;
    case QSystemTrayIcon::DoubleClick:
        Q_EMIT openRequested();
        m_singleClickTimer.stop();
        break;
    case QSystemTrayIcon::Trigger:
        // Some trays report a double click as two triggers; the second one
        // arrives while the first still waits.
        if (m_singleClickTimer.isActive() && m_singleClickTimer.remainingTime() > 0) {
            m_singleClickTimer.stop();
            Q_EMIT openRequested();
        } else {
            m_singleClickTimer.start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
        }
        break;
    default:
        break;
    }
}

void TrayIcon::onSingleClickTimeout()
{
    Q_EMIT menuOpenRequested();
}
