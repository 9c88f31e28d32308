#include "platform/WindowHelper.h"

#include "app/LogCategories.h"
#include "platform/X11Display.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Source indication of a pager: window managers obey it rather than treat
// it as an application's request they may refuse.
constexpr uint32_t kSourcePager = 2;

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t *connection, const QByteArray &name)
{
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection,
            xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t windowProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property)
{
    xcb_window_t value = XCB_WINDOW_NONE;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection,
            xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (reply && reply->type == XCB_ATOM_WINDOW && reply->format == 32
            && xcb_get_property_value_length(reply.get()) >= 4)
        value = *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
    return value;
}

// The check window of a running manager points at itself; a leftover
// property of a manager that quit does not.
bool windowManagerRunning(xcb_connection_t *connection, xcb_window_t root)
{
    const xcb_atom_t checkAtom = internAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    if (checkAtom == XCB_ATOM_NONE)
        return false;
    const xcb_window_t check = windowProperty(connection, root, checkAtom);
    return check != XCB_WINDOW_NONE && windowProperty(connection, check, checkAtom) == check;
}

bool windowManagerSupports(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t atom)
{
    if (atom == XCB_ATOM_NONE || !windowManagerRunning(connection, root))
        return false;
    const xcb_atom_t supportedAtom = internAtom(connection, "_NET_SUPPORTED");
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection,
            xcb_get_property(connection, 0, root, supportedAtom, XCB_ATOM_ATOM, 0, 4096), nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return false;
    const auto *list = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(list, list + count, atom) != list + count;
}

struct Tree
{
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_window_t parent = XCB_WINDOW_NONE;
    std::vector<xcb_window_t> children; // bottom to top
};

Tree queryTree(xcb_connection_t *connection, xcb_window_t window)
{
    Tree tree;
    Reply<xcb_query_tree_reply_t> reply(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!reply)
        return tree;
    tree.root = reply->root;
    tree.parent = reply->parent;
    const xcb_window_t *children = xcb_query_tree_children(reply.get());
    tree.children.assign(children, children + xcb_query_tree_children_length(reply.get()));
    return tree;
}

// The child of the root that holds the window: the window itself, or the
// frame a window manager put around it.
xcb_window_t topLevelOf(xcb_connection_t *connection, xcb_window_t window)
{
    for (int depth = 0; depth < 16 && window != XCB_WINDOW_NONE; ++depth) {
        const Tree tree = queryTree(connection, window);
        if (tree.root == XCB_WINDOW_NONE)
            return XCB_WINDOW_NONE;
        if (tree.parent == tree.root)
            return window;
        window = tree.parent;
    }
    return XCB_WINDOW_NONE;
}

bool overrideRedirect(xcb_connection_t *connection, xcb_window_t window)
{
    Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply && reply->override_redirect;
}

bool viewable(xcb_connection_t *connection, xcb_window_t window)
{
    Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool configureStacking(
        xcb_connection_t *connection, xcb_window_t window, xcb_window_t sibling, uint32_t mode)
{
    const uint32_t values[] = { sibling, mode };
    const uint16_t mask = sibling == XCB_WINDOW_NONE
            ? uint16_t(XCB_CONFIG_WINDOW_STACK_MODE)
            : uint16_t(XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE);
    const xcb_void_cookie_t cookie = xcb_configure_window_checked(
            connection, window, mask, sibling == XCB_WINDOW_NONE ? values + 1 : values);
    Reply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
    return !error;
}

// Asks the window manager to put the window at the top of its layer.
bool requestRaise(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t restackAtom,
        xcb_window_t window)
{
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof(event));
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = restackAtom;
    event.data.data32[0] = kSourcePager;
    event.data.data32[1] = XCB_WINDOW_NONE;
    event.data.data32[2] = XCB_STACK_MODE_ABOVE;
    const xcb_void_cookie_t cookie = xcb_send_event_checked(connection, 0, root,
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char *>(&event));
    Reply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
    return !error;
}

// Puts one client window directly below another's top-level window.
bool placeBelow(xcb_connection_t *connection, xcb_window_t root, xcb_window_t aboveClient,
        xcb_window_t belowClient)
{
    const xcb_window_t aboveTop = topLevelOf(connection, aboveClient);
    const xcb_window_t belowTop = topLevelOf(connection, belowClient);
    if (aboveTop == XCB_WINDOW_NONE || belowTop == XCB_WINDOW_NONE)
        return false;

    // A window the manager does not manage (override-redirect, or no manager
    // at all) is ours to move, and the manager keeps its hands off it.
    if (belowTop == belowClient
            && (overrideRedirect(connection, belowClient)
                    || !windowManagerRunning(connection, root)))
        return configureStacking(connection, belowClient, aboveTop, XCB_STACK_MODE_BELOW);

    // A managed window sits in a frame that only the manager may restack.
    // Some managers (openbox) ignore the sibling of a restack request and
    // lower a window beneath every other one of its layer, so the lower
    // window is raised to the top of its layer and the upper one raised over
    // it again: both requests mean the same thing to every manager.
    const xcb_atom_t restackAtom = internAtom(connection, "_NET_RESTACK_WINDOW");
    if (!windowManagerSupports(connection, root, restackAtom))
        return false;
    return requestRaise(connection, root, restackAtom, belowClient)
            && requestRaise(connection, root, restackAtom, aboveClient);
}

// A compositing manager owns the _NET_WM_CM_S<screen> selection; XFixes
// reports every change of its owner.
class CompositorWatch : public QAbstractNativeEventFilter
{
public:
    CompositorWatch(xcb_connection_t *connection, std::function<void(bool)> report)
        : m_connection(connection)
        , m_report(std::move(report))
    {
        m_selection = internAtom(
                connection, "_NET_WM_CM_S" + QByteArray::number(X11Display::screenNumber()));
        const xcb_query_extension_reply_t *extension
                = xcb_get_extension_data(connection, &xcb_xfixes_id);
        const xcb_window_t root = X11Display::root(connection);
        if (extension && extension->present && m_selection != XCB_ATOM_NONE
                && root != XCB_WINDOW_NONE) {
            Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
                    connection, xcb_xfixes_query_version(connection, 5, 0), nullptr));
            m_selectionNotify = uint8_t(extension->first_event + XCB_XFIXES_SELECTION_NOTIFY);
            xcb_xfixes_select_selection_input(connection, root, m_selection,
                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
            xcb_flush(connection);
            m_watching = true;
        }
    }

    bool active() const
    {
        if (m_selection == XCB_ATOM_NONE)
            return false;
        Reply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
                m_connection, xcb_get_selection_owner(m_connection, m_selection), nullptr));
        return reply && reply->owner != XCB_WINDOW_NONE;
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (!m_watching || eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != m_selectionNotify)
            return false;
        const auto *notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(event);
        if (notify->selection == m_selection)
            m_report(notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER
                    && notify->owner != XCB_WINDOW_NONE);
        return false;
    }

private:
    xcb_connection_t *m_connection;
    std::function<void(bool)> m_report;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    uint8_t m_selectionNotify = 0;
    bool m_watching = false;
};

// Left-button presses anywhere and the drags that follow, taken by the
// passive grab on the root window. The grab reports them all to the root,
// from the press on, with no race against the pointer.
class RootClickFilter : public QAbstractNativeEventFilter
{
public:
    explicit RootClickFilter(xcb_window_t root)
        : m_root(root)
    {
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type != XCB_BUTTON_PRESS && type != XCB_BUTTON_RELEASE && type != XCB_MOTION_NOTIFY)
            return false;
        // Press, release and motion events share their layout.
        const auto *pointer = reinterpret_cast<const xcb_button_press_event_t *>(event);
        if (pointer->event != m_root)
            return false;
        if (type != XCB_MOTION_NOTIFY && pointer->detail != XCB_BUTTON_INDEX_1)
            return false;

        QEvent::Type qtType = QEvent::MouseMove;
        Qt::MouseButtons buttons
                = (pointer->state & XCB_BUTTON_MASK_1) ? Qt::LeftButton : Qt::NoButton;
        if (type == XCB_BUTTON_PRESS) {
            qtType = QEvent::MouseButtonPress;
            buttons = Qt::LeftButton;
        } else if (type == XCB_BUTTON_RELEASE) {
            qtType = QEvent::MouseButtonRelease;
            buttons = Qt::NoButton;
        }
        Qt::KeyboardModifiers modifiers;
        if (pointer->state & XCB_MOD_MASK_SHIFT)
            modifiers |= Qt::ShiftModifier;
        if (pointer->state & XCB_MOD_MASK_CONTROL)
            modifiers |= Qt::ControlModifier;
        if (pointer->state & XCB_MOD_MASK_1)
            modifiers |= Qt::AltModifier;
        WindowHelper::instance()->deliverRoutedMouse(qtType,
                QPoint(pointer->root_x, pointer->root_y), buttons, modifiers, pointer->time);
        return true;
    }

private:
    xcb_window_t m_root;
};

// Under XWayland a press goes to the X window the X stacking puts under the
// pointer, whatever the compositor shows on top: the compositor's window
// manager raises a program's window when it is activated, and ours must be
// raised again at once, before the next press on the toolbar.
class ForeignStackingWatch : public QAbstractNativeEventFilter
{
public:
    ForeignStackingWatch(xcb_connection_t *connection, std::function<void()> report)
        : m_root(X11Display::root(connection))
        , m_report(std::move(report))
    {
        if (m_root == XCB_WINDOW_NONE)
            return;
        // Qt's own events on the root stay selected.
        Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, m_root), nullptr));
        const uint32_t mask = (attributes ? attributes->your_event_mask : 0)
                | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const uint8_t type = event->response_type & 0x7f;
        xcb_window_t window = XCB_WINDOW_NONE;
        if (type == XCB_CONFIGURE_NOTIFY) {
            const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
            if (configure->event == m_root)
                window = configure->window;
        } else if (type == XCB_MAP_NOTIFY) {
            const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
            if (map->event == m_root)
                window = map->window;
        }
        if (window != XCB_WINDOW_NONE && !isOurs(window))
            m_report();
        return false;
    }

private:
    static bool isOurs(xcb_window_t window)
    {
        const QWindowList windows = QGuiApplication::allWindows();
        return std::any_of(windows.begin(), windows.end(), [window](QWindow *ours) {
            return ours->handle() && xcb_window_t(ours->winId()) == window;
        });
    }

    xcb_window_t m_root;
    std::function<void()> m_report;
};

} // namespace

bool WindowHelper::grabLeftButton(bool grab)
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection)
        return false;
    const xcb_window_t root = X11Display::root(connection);
    static RootClickFilter *filter = nullptr;
    if (!filter) {
        filter = new RootClickFilter(root);
        qGuiApp->installNativeEventFilter(filter);
    }
    if (!grab) {
        xcb_ungrab_button(connection, XCB_BUTTON_INDEX_1, root, XCB_MOD_MASK_ANY);
        xcb_flush(connection);
        return true;
    }
    const uint16_t mask = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE
            | XCB_EVENT_MASK_BUTTON_1_MOTION;
    const xcb_void_cookie_t cookie = xcb_grab_button_checked(connection, 0, root, mask,
            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_WINDOW_NONE, XCB_CURSOR_NONE,
            XCB_BUTTON_INDEX_1, XCB_MOD_MASK_ANY);
    Reply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
    return !error;
}

void WindowHelper::setInputPassThrough(quintptr handle, bool passThrough)
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection)
        return;
    if (passThrough)
        xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                XCB_CLIP_ORDERING_UNSORTED, xcb_window_t(handle), 0, 0, 0, nullptr);
    else
        xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, xcb_window_t(handle), 0, 0,
                XCB_PIXMAP_NONE);
    xcb_flush(connection);
}

bool WindowHelper::restackBelow(quintptr aboveHandle, quintptr belowHandle)
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection)
        return false;
    const xcb_window_t root = queryTree(connection, xcb_window_t(belowHandle)).root;
    if (root == XCB_WINDOW_NONE)
        return false;
    return placeBelow(connection, root, xcb_window_t(aboveHandle), xcb_window_t(belowHandle));
}

bool WindowHelper::remapWindow(quintptr handle)
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection)
        return false;
    xcb_unmap_window(connection, xcb_window_t(handle));
    xcb_map_window(connection, xcb_window_t(handle));
    xcb_flush(connection);
    return true;
}

bool WindowHelper::keepBelow(const QList<quintptr> &anchors, const QList<quintptr> &below)
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection || anchors.isEmpty())
        return false;
    const xcb_window_t root
            = queryTree(connection, xcb_window_t(below.isEmpty() ? anchors.first() : below.first()))
                      .root;
    if (root == XCB_WINDOW_NONE)
        return false;

    // Managed windows are ordered by the manager's layers; all it is asked
    // is to keep them right under the caller's window.
    const bool managed = !below.isEmpty()
            && !overrideRedirect(connection, xcb_window_t(below.first()))
            && windowManagerRunning(connection, root);
    std::vector<xcb_window_t> anchorTops;
    std::vector<xcb_window_t> anchorClients;
    // Our unmanaged floating windows are the ones that stay above everything;
    // managed ones of ours (titled dialogs) are left to the manager then.
    const bool unmanagedAnchors = std::any_of(anchors.begin(), anchors.end(),
            [&](quintptr anchor) { return overrideRedirect(connection, xcb_window_t(anchor)); });
    for (const quintptr anchor : managed ? anchors.mid(0, 1) : anchors) {
        if (!managed && unmanagedAnchors && !overrideRedirect(connection, xcb_window_t(anchor)))
            continue;
        const xcb_window_t top = topLevelOf(connection, xcb_window_t(anchor));
        if (top != XCB_WINDOW_NONE) {
            anchorTops.push_back(top);
            anchorClients.push_back(xcb_window_t(anchor));
        }
    }
    std::vector<xcb_window_t> belowTops;
    for (const quintptr window : below)
        belowTops.push_back(topLevelOf(connection, xcb_window_t(window)));
    if (anchorTops.empty() || std::count(belowTops.begin(), belowTops.end(), XCB_WINDOW_NONE))
        return false;

    auto isOurs = [&](xcb_window_t window) {
        return std::count(anchorTops.begin(), anchorTops.end(), window)
                || std::count(belowTops.begin(), belowTops.end(), window);
    };
    // Index of the lowest of our stay-on-top windows in the stack, or -1.
    auto lowestAnchor = [&](const std::vector<xcb_window_t> &order) {
        std::ptrdiff_t lowest = -1;
        for (const xcb_window_t top : anchorTops) {
            const auto it = std::find(order.begin(), order.end(), top);
            const std::ptrdiff_t index = it - order.begin();
            if (it != order.end() && (lowest < 0 || index < lowest))
                lowest = index;
        }
        return lowest;
    };

    std::vector<xcb_window_t> order = queryTree(connection, root).children;
    std::ptrdiff_t anchor = lowestAnchor(order);
    if (anchor < 0)
        return false;

    // Nothing else keeps unmanaged stay-on-top windows on top, nor any
    // without a manager; raising those activates nothing. A managed one is
    // left to the manager's layers: raising it would activate it under some.
    if (unmanagedAnchors || !windowManagerRunning(connection, root)) {
        const bool covered
                = std::any_of(order.begin() + anchor + 1, order.end(), [&](xcb_window_t window) {
                      return !isOurs(window) && viewable(connection, window);
                  });
        if (covered) {
            std::vector<xcb_window_t> raised(anchorTops);
            std::sort(raised.begin(), raised.end(), [&](xcb_window_t a, xcb_window_t b) {
                return std::find(order.begin(), order.end(), a)
                        < std::find(order.begin(), order.end(), b);
            });
            for (const xcb_window_t top : raised)
                configureStacking(connection, top, XCB_WINDOW_NONE, XCB_STACK_MODE_ABOVE);
            order = queryTree(connection, root).children;
            anchor = lowestAnchor(order);
            if (anchor < 0)
                return false;
        }
    }

    if (below.isEmpty())
        return true;
    // In order when the windows right under the lowest anchor are exactly
    // the ones to keep below, in any order among themselves.
    const auto count = std::ptrdiff_t(belowTops.size());
    if (anchor >= count
            && std::is_permutation(
                    order.begin() + anchor - count, order.begin() + anchor, belowTops.begin()))
        return true;

    const auto anchorTop = std::find(anchorTops.begin(), anchorTops.end(), order[size_t(anchor)]);
    const xcb_window_t anchorClient = anchorClients[size_t(anchorTop - anchorTops.begin())];
    bool placed = true;
    for (const quintptr window : below)
        placed = placeBelow(connection, root, anchorClient, xcb_window_t(window)) && placed;
    xcb_flush(connection);
    return placed;
}

bool WindowHelper::setShape(quintptr handle, const QList<QRect> &rects)
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection)
        return false;
    std::vector<xcb_rectangle_t> xrects;
    xrects.reserve(size_t(rects.size()));
    for (const QRect &rect : rects)
        xrects.push_back({ int16_t(rect.x()), int16_t(rect.y()), uint16_t(rect.width()),
                uint16_t(rect.height()) });
    const xcb_void_cookie_t cookie = xcb_shape_rectangles_checked(connection, XCB_SHAPE_SO_SET,
            XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED, xcb_window_t(handle), 0, 0,
            uint32_t(xrects.size()), xrects.data());
    Reply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
    return !error;
}

void WindowHelper::removeShape(quintptr handle)
{
    if (xcb_connection_t *connection = X11Display::connection()) {
        xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, xcb_window_t(handle), 0,
                0, XCB_PIXMAP_NONE);
        xcb_flush(connection);
    }
}

bool WindowHelper::backendKeepsWindowsUnmanaged()
{
    return X11Display::connection() != nullptr;
}

void WindowHelper::watchCompositing()
{
    xcb_connection_t *connection = X11Display::connection();
    if (!connection)
        return;
    auto *watch = new CompositorWatch(
            connection, [this](bool active) { setCompositingActive(active); });
    m_compositingActive = watch->active();
    qGuiApp->installNativeEventFilter(watch);
    qGuiApp->installEventFilter(this);
    if (isWaylandSession())
        qGuiApp->installNativeEventFilter(
                new ForeignStackingWatch(connection, [this] { scheduleKeepOnTop(); }));
    qCInfo(lcWindow).noquote() << "[WindowHelper] compositing"
                               << (m_compositingActive ? "active" : "inactive");
}
