#include "WindowHelper.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

// Source indication of a pager: window managers obey it rather than treat
// it as an application's request they may refuse.
constexpr uint32_t kSourcePager = 2;
constexpr uint32_t kStackModeBelow = XCB_STACK_MODE_BELOW;

xcb_connection_t *x11Connection()
{
    if (!qGuiApp)
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

struct Atoms
{
    xcb_atom_t supportingWmCheck = XCB_ATOM_NONE;
    xcb_atom_t supported = XCB_ATOM_NONE;
    xcb_atom_t restackWindow = XCB_ATOM_NONE;
};

Atoms internAtoms(xcb_connection_t *connection)
{
    static const char *const names[] = {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED",
                                        "_NET_RESTACK_WINDOW"};
    xcb_intern_atom_cookie_t cookies[3];
    for (int i = 0; i < 3; ++i)
        cookies[i] = xcb_intern_atom(connection, 0, uint16_t(std::strlen(names[i])), names[i]);
    xcb_atom_t atoms[3] = {XCB_ATOM_NONE, XCB_ATOM_NONE, XCB_ATOM_NONE};
    for (int i = 0; i < 3; ++i) {
        if (xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookies[i], nullptr)) {
            atoms[i] = reply->atom;
            std::free(reply);
        }
    }
    return {atoms[0], atoms[1], atoms[2]};
}

xcb_window_t windowProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property)
{
    xcb_window_t value = XCB_WINDOW_NONE;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr);
    if (reply && reply->type == XCB_ATOM_WINDOW && reply->format == 32
        && xcb_get_property_value_length(reply) >= 4)
        value = *static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

// A running window manager that takes _NET_RESTACK_WINDOW. The check window
// must point at itself, or the property is a leftover of a manager that quit.
bool windowManagerRestacks(xcb_connection_t *connection, xcb_window_t root, const Atoms &atoms)
{
    if (atoms.supportingWmCheck == XCB_ATOM_NONE || atoms.restackWindow == XCB_ATOM_NONE)
        return false;
    const xcb_window_t check = windowProperty(connection, root, atoms.supportingWmCheck);
    if (check == XCB_WINDOW_NONE || windowProperty(connection, check, atoms.supportingWmCheck) != check)
        return false;

    bool supported = false;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, root, atoms.supported, XCB_ATOM_ATOM, 0, 4096), nullptr);
    if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto *list = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count && !supported; ++i)
            supported = list[i] == atoms.restackWindow;
    }
    std::free(reply);
    return supported;
}

xcb_window_t rootOf(xcb_connection_t *connection, xcb_window_t window)
{
    xcb_window_t root = XCB_WINDOW_NONE;
    if (xcb_query_tree_reply_t *tree =
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr)) {
        root = tree->root;
        std::free(tree);
    }
    return root;
}

// Asks the window manager to put the window at the top of its layer.
bool requestRaise(xcb_connection_t *connection, xcb_window_t root, const Atoms &atoms,
                  xcb_window_t window)
{
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof(event));
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atoms.restackWindow;
    event.data.data32[0] = kSourcePager;
    event.data.data32[1] = XCB_WINDOW_NONE;
    event.data.data32[2] = XCB_STACK_MODE_ABOVE;
    const xcb_void_cookie_t cookie = xcb_send_event_checked(
        connection, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&event));
    xcb_generic_error_t *error = xcb_request_check(connection, cookie);
    const bool sent = !error;
    std::free(error);
    return sent;
}

} // namespace

bool WindowHelper::restackBelow(quintptr aboveHandle, quintptr belowHandle)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return false;
    const auto above = xcb_window_t(aboveHandle);
    const auto below = xcb_window_t(belowHandle);
    const xcb_window_t root = rootOf(connection, below);
    if (root == XCB_WINDOW_NONE)
        return false;

    // A window manager has reparented both windows into frames, which are
    // the real siblings; only it can restack them. Some managers (openbox)
    // ignore the sibling of a restack request and lower a window beneath
    // every other one of its layer, so the overlay is raised to the top of
    // its layer and the upper window raised over it again: both requests
    // mean the same thing to every manager.
    const Atoms atoms = internAtoms(connection);
    if (windowManagerRestacks(connection, root, atoms))
        return requestRaise(connection, root, atoms, below) && requestRaise(connection, root, atoms, above);

    const uint32_t values[] = {above, kStackModeBelow};
    const xcb_void_cookie_t cookie = xcb_configure_window_checked(
        connection, below, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    xcb_generic_error_t *error = xcb_request_check(connection, cookie);
    const bool restacked = !error;
    std::free(error);
    return restacked;
}
