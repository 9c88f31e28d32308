#include "platform/ScreenMonitor.h"

#include "app/LogCategories.h"
#include "platform/X11Display.h"

#include <QByteArray>
#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

void ScreenMonitor::initPlatform()
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection) {
        qCWarning(lcScreens, "[ScreenMonitor] No X11 connection: screens keep Qt's order");
        return;
    }
    const xcb_query_extension_reply_t *extension
            = xcb_get_extension_data(connection, &xcb_randr_id);
    if (!extension || !extension->present) {
        qCWarning(lcScreens, "[ScreenMonitor] RandR is not available: screens keep Qt's order");
        return;
    }
    xcb_randr_query_version_reply_t *version = xcb_randr_query_version_reply(
            connection, xcb_randr_query_version(connection, 1, 5), nullptr);
    const bool hasMonitors = version
            && (version->major_version > 1
                    || (version->major_version == 1 && version->minor_version >= 5));
    std::free(version);
    if (!hasMonitors) {
        qCWarning(lcScreens, "[ScreenMonitor] RandR 1.5 is not available: screens keep Qt's order");
        return;
    }

    // A selection replaces this client's earlier one on the window, and the
    // connection is Qt's: ask for at least everything Qt itself selects.
    const xcb_window_t root = X11Display::root(connection);
    xcb_randr_select_input(connection, root,
            XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE
                    | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    xcb_flush(connection);
    m_platformEventBase = extension->first_event;
}

void ScreenMonitor::releasePlatform() { }

bool ScreenMonitor::readMonitors(QList<ScreenOrdering::Monitor> *monitors) const
{
    monitors->clear();
    if (m_platformEventBase < 0)
        return false;
    xcb_connection_t *connection = X11Display::connection();
    if (!connection)
        return false;

    xcb_randr_get_monitors_reply_t *reply = xcb_randr_get_monitors_reply(connection,
            xcb_randr_get_monitors(connection, X11Display::root(connection), 1), nullptr);
    if (!reply)
        return false;
    for (xcb_randr_monitor_info_iterator_t it = xcb_randr_get_monitors_monitors_iterator(reply);
            it.rem; xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t *info = it.data;
        monitors->append({ QString::number(info->name),
                QRect(info->x, info->y, info->width, info->height), info->primary != 0 });
    }
    std::free(reply);
    return true;
}

QRect ScreenMonitor::matchingRect(const QScreen *screen) const
{
    // Qt keeps a screen's native origin and scales only its size.
    const QRect geometry = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    return QRect(geometry.topLeft(),
            QSize(int(std::lround(geometry.width() * ratio)),
                    int(std::lround(geometry.height() * ratio))));
}

bool ScreenMonitor::isDisplayChange(const QByteArray &eventType, void *message) const
{
    if (m_platformEventBase < 0 || eventType != QByteArrayLiteral("xcb_generic_event_t"))
        return false;
    const int type = static_cast<const xcb_generic_event_t *>(message)->response_type & 0x7f;
    return type == m_platformEventBase + XCB_RANDR_SCREEN_CHANGE_NOTIFY
            || type == m_platformEventBase + XCB_RANDR_NOTIFY;
}

void ScreenMonitor::displayChangeNoticed()
{
    scheduleConfigurationCheck();
}

void ScreenMonitor::screenChangeNoticed()
{
    scheduleConfigurationCheck();
}
