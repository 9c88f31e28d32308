#pragma once

#include "app/QmlSingleton.h"

#include "platform/ScreenInfo.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QQuickWindow>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The rules behind ScreenMonitor, free of any screen or OS object so that
// they can be fed directly.
namespace ScreenOrdering {

// One monitor as the operating system lists it, in the coordinates the
// screens are matched in.
struct Monitor
{
    QString name;
    QRect rect;
    bool primary = false;

    friend bool operator==(const Monitor &a, const Monitor &b)
    {
        return a.name == b.name && a.rect == b.rect && a.primary == b.primary;
    }
    friend bool operator!=(const Monitor &a, const Monitor &b) { return !(a == b); }
};

// A screen as Qt lists it: its name and its area in the monitors' coordinates.
struct Screen
{
    QString name;
    QRect rect;
};

// A monitor's area in device-independent pixels: the origin is kept and the
// size divided by horizontalDpi / 96, rounding halves away from zero.
QRect logicalMonitorRect(const QRect &physical, double horizontalDpi);

// Indices into screens, in the monitors' order: each monitor takes the first
// screen not yet taken whose area is the monitor's own, else the first whose
// area contains the monitor's centre (edges included); a monitor without one
// is dropped, and the screens no monitor took follow in their own order, each
// with a warning.
QList<int> orderScreens(const QList<Screen> &screens, const QList<Monitor> &monitors);

// True when the two monitor lists describe different display configurations.
bool configurationChanged(const QList<Monitor> &before, const QList<Monitor> &after);

} // namespace ScreenOrdering

// Tells the declarative side which screens exist, in the operating system's
// monitor order, and when the display configuration changes.
class ScreenMonitor : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(ScreenMonitor)

public:
    static ScreenMonitor *instance();
    ~ScreenMonitor() override;

    Q_INVOKABLE QList<ScreenInfo> screens() const;
    Q_INVOKABLE ScreenInfo primaryScreen() const;
    Q_INVOKABLE ScreenInfo screenAt(QQuickWindow *window) const;
    Q_INVOKABLE ScreenInfo screenAt(int x, int y) const;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    void primaryScreenChanged(QScreen *screen);
    void screenAdded(QScreen *screen);
    void screenRemoved(QScreen *screen);
    void geometryChanged(QScreen *screen, QRect geometry);
    void devicePixelRatioChanged(QScreen *screen, qreal ratio);
    void virtualGeometryChanged(QScreen *screen, QRect geometry);
    void windowsDisplayChangeDetected();

private slots:
    void onPrimaryScreenChanged(QScreen *screen);
    void onScreenAdded(QScreen *screen);
    void onScreenRemoved(QScreen *screen);
    void onGeometryChanged(QRect geometry);
    void onDevicePixelRatioChanged();
    void onVirtualGeometryChanged(QRect geometry);

private:
    ScreenMonitor();
    Q_DISABLE_COPY_MOVE(ScreenMonitor)

    void monitorScreen(QScreen *screen);
    QList<QScreen *> orderedScreens() const;

    // Coalesces the notifications of one display change into one check on
    // the next turn of the event loop, after Qt has handled them too.
    void scheduleConfigurationCheck();
    void checkConfiguration();
    QList<ScreenOrdering::Monitor> currentConfiguration() const;

    // Backend (ScreenMonitor_win.cpp, ScreenMonitor_x11.cpp).
    void initPlatform();
    void releasePlatform();
    // False when the system cannot list its monitors at all.
    bool readMonitors(QList<ScreenOrdering::Monitor> *monitors) const;
    // The screen's area in the coordinates readMonitors() reports.
    QRect matchingRect(const QScreen *screen) const;
    bool isDisplayChange(const QByteArray &eventType, void *message) const;
    void displayChangeNoticed();
    void screenChangeNoticed();

    bool m_active = false;
    bool m_checkPending = false;
    QList<ScreenOrdering::Monitor> m_lastConfiguration;
    QHash<QScreen *, QList<QMetaObject::Connection>> m_screenConnections;
    int m_platformEventBase = -1;
};
