#include "platform/ScreenMonitor.h"

#include <QDebug>
#include <QScreen>

#include "app/LogCategories.h"
#include "platform/Win32Core.h"

void ScreenMonitor::initPlatform() { }

void ScreenMonitor::releasePlatform() { }

bool ScreenMonitor::readMonitors(QList<ScreenOrdering::Monitor> *monitors) const
{
    monitors->clear();
    const std::optional<std::vector<Win32Core::MonitorInfo>> found = Win32Core::enumerateMonitors();
    if (!found) {
        qCWarning(lcScreens).noquote()
                << "[ScreenMonitor] EnumDisplayMonitors failed, using Qt's screens";
        return false;
    }
    for (const Win32Core::MonitorInfo &monitor : *found) {
        const QString deviceName = QString::fromStdWString(monitor.deviceName);
        if (!monitor.dpiKnown)
            qCWarning(lcScreens).noquote()
                    << "[ScreenMonitor] GetDpiForMonitor failed for monitor:" << deviceName;
        const RECT &rect = monitor.rect;
        const QRect physical(int(rect.left), int(rect.top), int(rect.right - rect.left),
                int(rect.bottom - rect.top));
        monitors->append(
                { deviceName, ScreenOrdering::logicalMonitorRect(physical, double(monitor.dpiX)),
                        monitor.primary });
    }
    return true;
}

QRect ScreenMonitor::matchingRect(const QScreen *screen) const
{
    return screen->geometry();
}

bool ScreenMonitor::isDisplayChange(const QByteArray &eventType, void *message) const
{
    // Every native event of the Windows dispatchers is a MSG.
    Q_UNUSED(eventType);
    return static_cast<const MSG *>(message)->message == WM_DISPLAYCHANGE;
}

void ScreenMonitor::displayChangeNoticed()
{
    emit windowsDisplayChangeDetected();
}

void ScreenMonitor::screenChangeNoticed() { }
