#pragma once

#include "QmlSingleton.h"

#include <QObject>
#include <QQuickWindow>
#include <QString>
#include <QtQml/qqmlregistration.h>

// What Qt Quick lacks for top-level windows: putting one directly below
// another in the desktop's stacking order, and an icon from a path.
class WindowHelper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(WindowHelper)

public:
    static WindowHelper *instance();

    Q_INVOKABLE bool setWindowBelow(QQuickWindow *aboveWindow, QQuickWindow *belowWindow);
    Q_INVOKABLE void setWindowIcon(QQuickWindow *window, const QString &iconPath);

private:
    WindowHelper() = default;
    Q_DISABLE_COPY_MOVE(WindowHelper)

    // Backend (WindowHelper_win.cpp, WindowHelper_x11.cpp); both handles are
    // non-zero.
    static bool restackBelow(quintptr aboveHandle, quintptr belowHandle);
};
