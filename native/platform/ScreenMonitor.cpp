#include "platform/ScreenMonitor.h"

#include "app/LogCategories.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <cmath>

namespace ScreenOrdering {

QRect logicalMonitorRect(const QRect &physical, double horizontalDpi)
{
    const double scale = horizontalDpi / 96.0;
    if (!(scale > 0.0))
        return physical;
    return QRect(physical.left(), physical.top(), int(std::lround(physical.width() / scale)),
            int(std::lround(physical.height() / scale)));
}

QList<int> orderScreens(const QList<Screen> &screens, const QList<Monitor> &monitors)
{
    QList<int> order;
    order.reserve(screens.size());
    QList<bool> matched(screens.size(), false);

    for (const Monitor &monitor : monitors) {
        // Monitors may overlap (X11 lets them), and then the centre alone can
        // pick a larger screen that holds it; a screen of exactly the
        // monitor's area is the better match. Without overlaps both agree.
        int found = -1;
        for (int i = 0; i < screens.size() && found < 0; ++i) {
            if (!matched.at(i) && screens.at(i).rect == monitor.rect)
                found = i;
        }
        const QPoint centre = monitor.rect.center();
        for (int i = 0; i < screens.size() && found < 0; ++i) {
            if (!matched.at(i) && screens.at(i).rect.contains(centre))
                found = i;
        }
        if (found >= 0) {
            matched[found] = true;
            order.append(found);
        }
    }

    for (int i = 0; i < screens.size(); ++i) {
        if (matched.at(i))
            continue;
        qCWarning(lcScreens).noquote()
                << "[ScreenMonitor] Screen not matched by EnumDisplayMonitors:"
                << screens.at(i).name;
        order.append(i);
    }
    return order;
}

bool configurationChanged(const QList<Monitor> &before, const QList<Monitor> &after)
{
    return before != after;
}

} // namespace ScreenOrdering

ScreenMonitor *ScreenMonitor::instance()
{
    static ScreenMonitor *monitor = new ScreenMonitor;
    return monitor;
}

ScreenMonitor::ScreenMonitor()
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app) {
        qCWarning(lcScreens, "[ScreenMonitor] QGuiApplication instance not found");
        return;
    }
    m_active = true;

    connect(app, &QGuiApplication::primaryScreenChanged, this,
            &ScreenMonitor::onPrimaryScreenChanged);
    connect(app, &QGuiApplication::screenAdded, this, &ScreenMonitor::onScreenAdded);
    connect(app, &QGuiApplication::screenRemoved, this, &ScreenMonitor::onScreenRemoved);
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (screen)
            monitorScreen(screen);
    }

    initPlatform();
    m_lastConfiguration = currentConfiguration();

    if (auto *dispatcher = QAbstractEventDispatcher::instance(app->thread()))
        dispatcher->installNativeEventFilter(this);
}

ScreenMonitor::~ScreenMonitor()
{
    if (m_active) {
        if (auto *dispatcher = QAbstractEventDispatcher::instance(thread()))
            dispatcher->removeNativeEventFilter(this);
        releasePlatform();
    }
}

void ScreenMonitor::monitorScreen(QScreen *screen)
{
    if (!screen) {
        qCWarning(lcScreens, "[ScreenMonitor] Attempting to monitor null screen");
        return;
    }
    QList<QMetaObject::Connection> &connections = m_screenConnections[screen];
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        disconnect(connection);
    connections = {
        connect(screen, &QScreen::geometryChanged, this, &ScreenMonitor::onGeometryChanged),
        connect(screen, &QScreen::logicalDotsPerInchChanged, this,
                &ScreenMonitor::onDevicePixelRatioChanged),
        connect(screen, &QScreen::physicalDotsPerInchChanged, this,
                &ScreenMonitor::onDevicePixelRatioChanged),
        connect(screen, &QScreen::virtualGeometryChanged, this,
                &ScreenMonitor::onVirtualGeometryChanged),
    };
}

void ScreenMonitor::onPrimaryScreenChanged(QScreen *screen)
{
    emit primaryScreenChanged(screen);
    screenChangeNoticed();
}

void ScreenMonitor::onScreenAdded(QScreen *screen)
{
    if (!screen)
        return;
    monitorScreen(screen);
    emit screenAdded(screen);
    screenChangeNoticed();
}

void ScreenMonitor::onScreenRemoved(QScreen *screen)
{
    if (!screen)
        return;
    const QList<QMetaObject::Connection> connections = m_screenConnections.take(screen);
    for (const QMetaObject::Connection &connection : connections)
        disconnect(connection);
    emit screenRemoved(screen);
    screenChangeNoticed();
}

void ScreenMonitor::onGeometryChanged(QRect geometry)
{
    if (auto *screen = qobject_cast<QScreen *>(sender())) {
        emit geometryChanged(screen, geometry);
        screenChangeNoticed();
    }
}

void ScreenMonitor::onDevicePixelRatioChanged()
{
    if (auto *screen = qobject_cast<QScreen *>(sender()))
        emit devicePixelRatioChanged(screen, screen->devicePixelRatio());
}

void ScreenMonitor::onVirtualGeometryChanged(QRect geometry)
{
    if (auto *screen = qobject_cast<QScreen *>(sender()))
        emit virtualGeometryChanged(screen, geometry);
}

bool ScreenMonitor::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result)
{
    Q_UNUSED(result);
    if (message && isDisplayChange(eventType, message))
        displayChangeNoticed();
    return false;
}

QList<QScreen *> ScreenMonitor::orderedScreens() const
{
    const QList<QScreen *> qtScreens = QGuiApplication::screens();
    QList<ScreenOrdering::Monitor> monitors;
    if (!readMonitors(&monitors))
        return qtScreens;

    QList<ScreenOrdering::Screen> candidates;
    candidates.reserve(qtScreens.size());
    for (const QScreen *screen : qtScreens)
        candidates.append({ screen->name(), matchingRect(screen) });

    QList<QScreen *> ordered;
    const QList<int> order = ScreenOrdering::orderScreens(candidates, monitors);
    ordered.reserve(order.size());
    for (int index : order)
        ordered.append(qtScreens.at(index));
    return ordered;
}

QList<ScreenInfo> ScreenMonitor::screens() const
{
    QList<ScreenInfo> result;
    const QList<QScreen *> ordered = orderedScreens();
    result.reserve(ordered.size());
    for (const QScreen *screen : ordered)
        result.append(ScreenInfo(screen));
    return result;
}

ScreenInfo ScreenMonitor::primaryScreen() const
{
    return ScreenInfo(QGuiApplication::primaryScreen());
}

ScreenInfo ScreenMonitor::screenAt(QQuickWindow *window) const
{
    return ScreenInfo(window ? window->screen() : nullptr);
}

ScreenInfo ScreenMonitor::screenAt(int x, int y) const
{
    return ScreenInfo(QGuiApplication::screenAt(QPoint(x, y)));
}

void ScreenMonitor::scheduleConfigurationCheck()
{
    if (!m_active || m_checkPending)
        return;
    m_checkPending = true;
    QTimer::singleShot(0, this, &ScreenMonitor::checkConfiguration);
}

void ScreenMonitor::checkConfiguration()
{
    m_checkPending = false;
    QList<ScreenOrdering::Monitor> current = currentConfiguration();
    if (!ScreenOrdering::configurationChanged(m_lastConfiguration, current))
        return;
    m_lastConfiguration = std::move(current);
    emit windowsDisplayChangeDetected();
}

QList<ScreenOrdering::Monitor> ScreenMonitor::currentConfiguration() const
{
    QList<ScreenOrdering::Monitor> monitors;
    if (readMonitors(&monitors))
        return monitors;
    // Without the system's list, Qt's screens are the configuration.
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QList<QScreen *> qtScreens = QGuiApplication::screens();
    for (const QScreen *screen : qtScreens)
        monitors.append({ screen->name(), matchingRect(screen), screen == primary });
    return monitors;
}
