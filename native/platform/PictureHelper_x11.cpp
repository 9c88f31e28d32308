#include "platform/PictureHelper.h"

#include "platform/X11Display.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

// Our floating windows are unmanaged, so taking them off the screen behind
// Qt's back changes nothing else: Qt keeps them shown, and mapped again they
// come back in their place in the stack. A managed window would be withdrawn
// and placed anew by the window manager; it stays.
bool PictureHelper::hideForGrab(QWindow *window, HiddenWindow *hidden)
{
    xcb_connection_t *const c = X11Display::connection();
    if (!c || !window->handle() || !(window->flags() & Qt::BypassWindowManagerHint))
        return false;
    hidden->handle = window->winId();
    xcb_unmap_window(c, xcb_window_t(hidden->handle));
    return true;
}

void PictureHelper::showAfterGrab(const HiddenWindow &hidden)
{
    // One that was closed meanwhile stays closed.
    xcb_connection_t *const c = X11Display::connection();
    if (c && hidden.window->isVisible())
        xcb_map_window(c, xcb_window_t(hidden.handle));
}
