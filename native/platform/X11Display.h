#pragma once

#include <xcb/xcb.h>

// The X server Qt talks to, for the X11 backends: its connection and the
// root window of the screen DISPLAY names (":display[.screen]"), which is
// the one Qt uses.
namespace X11Display {

// Null when the program does not run on X11.
xcb_connection_t *connection();
int screenNumber();
// XCB_WINDOW_NONE without a connection or such a screen.
xcb_window_t root(xcb_connection_t *connection);

} // namespace X11Display
