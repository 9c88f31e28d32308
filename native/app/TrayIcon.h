#pragma once

#include "app/QmlSingleton.h"

#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

// The icon in the notification area. A double click asks to open the
// application; a right click asks for the tray menu at once, a single left
// click once a double-click interval has passed without a second one.
class TrayIcon : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(TrayIcon)

public:
    static TrayIcon *instance();

    // Creates the icon once; without a system tray the program runs on
    // without one.
    void initialize(const QString &toolTip);

    Q_INVOKABLE void show();
    Q_INVOKABLE void hide();

Q_SIGNALS:
    void openRequested();
    void menuOpenRequested();

private Q_SLOTS:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onSingleClickTimeout();

private:
    TrayIcon();
    Q_DISABLE_COPY_MOVE(TrayIcon)

    QSystemTrayIcon *m_trayIcon = nullptr;
    QTimer m_singleClickTimer;
};
