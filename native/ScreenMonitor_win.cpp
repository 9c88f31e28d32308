#include "ScreenMonitor.h"

#include <QDebug>
#include <QScreen>

#include <windows.h>
#include <shellscalingapi.h>

namespace {

using GetDpiForMonitorFn = HRESULT(WINAPI *)(HMONITOR, MONITOR_DPI_TYPE, UINT *, UINT *);

// Shcore is resolved at run time so that the program needs no import
// library for it and still starts where it is missing.
GetDpiForMonitorFn getDpiForMonitor()
{
    static const GetDpiForMonitorFn function = [] {
        HMODULE shcore = LoadLibraryW(L"Shcore.dll");
        if (!shcore)
            return GetDpiForMonitorFn(nullptr);
        return reinterpret_cast<GetDpiForMonitorFn>(
            reinterpret_cast<void *>(GetProcAddress(shcore, "GetDpiForMonitor")));
    }();
    return function;
}

BOOL CALLBACK collectMonitor(HMONITOR handle, HDC, LPRECT rect, LPARAM data)
{
    auto *monitors = reinterpret_cast<QList<ScreenOrdering::Monitor> *>(data);

    MONITORINFOEXW info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(MONITORINFOEXW);
    if (!GetMonitorInfoW(handle, &info))
        return TRUE;

    const QString deviceName = QString::fromWCharArray(info.szDevice);
    const QRect physical(int(rect->left), int(rect->top), int(rect->right - rect->left),
                         int(rect->bottom - rect->top));

    UINT dpiX = 96;
    UINT dpiY = 96;
    const GetDpiForMonitorFn function = getDpiForMonitor();
    if (!function || FAILED(function(handle, MDT_EFFECTIVE_DPI, &dpiX, &dpiY))) {
        qWarning().noquote() << "[ScreenMonitor] GetDpiForMonitor failed for monitor:" << deviceName;
        dpiX = 96;
        dpiY = 96;
    }

    monitors->append({deviceName, ScreenOrdering::logicalMonitorRect(physical, double(dpiX)),
                      (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

} // namespace

void ScreenMonitor::initPlatform() {}

void ScreenMonitor::releasePlatform() {}

bool ScreenMonitor::readMonitors(QList<ScreenOrdering::Monitor> *monitors) const
{
    monitors->clear();
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(monitors));
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

void ScreenMonitor::screenChangeNoticed() {}
