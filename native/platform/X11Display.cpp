#include "platform/X11Display.h"

#include <QByteArray>
#include <QGuiApplication>

namespace X11Display {

xcb_connection_t *connection()
{
    auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    auto *x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

int screenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon + 1);
    bool ok = false;
    const int screen = dot > 0 ? display.mid(dot + 1).toInt(&ok) : 0;
    return ok && screen >= 0 ? screen : 0;
}

xcb_window_t root(xcb_connection_t *connection)
{
    if (!connection)
        return XCB_WINDOW_NONE;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = screenNumber(); i > 0 && it.rem; --i)
        xcb_screen_next(&it);
    return it.rem ? it.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

} // namespace X11Display
