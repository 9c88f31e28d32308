#include "WindowHelper.h"

#include <QIcon>
#include <QQuickWindow>

WindowHelper *WindowHelper::instance()
{
    static WindowHelper *helper = new WindowHelper;
    return helper;
}

bool WindowHelper::setWindowBelow(QQuickWindow *aboveWindow, QQuickWindow *belowWindow)
{
    if (!aboveWindow || !belowWindow)
        return false;
    // winId() creates the native window when there is none yet.
    const quintptr aboveHandle = quintptr(aboveWindow->winId());
    const quintptr belowHandle = quintptr(belowWindow->winId());
    if (!aboveHandle || !belowHandle)
        return false;
    return restackBelow(aboveHandle, belowHandle);
}

void WindowHelper::setWindowIcon(QQuickWindow *window, const QString &iconPath)
{
    if (window)
        window->setIcon(QIcon(iconPath));
}
