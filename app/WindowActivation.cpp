#include "app/WindowActivation.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {
template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Wrap(T *reply) { return Reply<T>(reply, &std::free); }

xcb_atom_t Atom(xcb_connection_t *c, const char *name)
{
    const auto reply = Wrap(xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The whole value of a property of the given type; empty when the window has none (or is gone).
QByteArray Property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    if (property == XCB_ATOM_NONE)
        return {};
    const auto reply = Wrap(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, 1u << 20), nullptr));
    if (!reply || reply->format == 0)
        return {};
    const int length = xcb_get_property_value_length(reply.get());
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
}

std::vector<xcb_window_t> Windows(const QByteArray &bytes)
{
    std::vector<xcb_window_t> ids(size_t(bytes.size()) / sizeof(xcb_window_t));
    if (!ids.empty())  // an empty vector's data() may be null, which memcpy must not get
        memcpy(ids.data(), bytes.constData(), ids.size() * sizeof(xcb_window_t));
    return ids;
}

std::vector<xcb_window_t> Children(xcb_connection_t *c, xcb_window_t window)
{
    const auto reply = Wrap(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!reply)
        return {};
    const xcb_window_t *first = xcb_query_tree_children(reply.get());
    return {first, first + xcb_query_tree_children_length(reply.get())};
}

// WM_CLASS holds the instance name and the class name, each ended by NUL.
bool HasClass(xcb_connection_t *c, xcb_window_t window, const QByteArray &className)
{
    const QList<QByteArray> parts = Property(c, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
    return parts.size() >= 2 && parts[1] == className;
}

bool Viewable(xcb_connection_t *c, xcb_window_t window)
{
    const auto attributes = Wrap(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

xcb_window_t FindByClass(xcb_connection_t *c, xcb_window_t root, const QByteArray &className)
{
    // A window manager lists the windows it manages (a hidden one it shows again when asked);
    // without one, the top-level windows are the root's children, a reparenting manager puts
    // them one level lower. Topmost first.
    const std::vector<xcb_window_t> managed =
        Windows(Property(c, root, Atom(c, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW));
    for (auto it = managed.rbegin(); it != managed.rend(); ++it)
        if (HasClass(c, *it, className))
            return *it;
    // Nobody maps an unmapped window for us: one on the screen wins over one above it that is
    // not (an application's hidden window), which is taken only when there is no other.
    xcb_window_t hidden = XCB_WINDOW_NONE;
    const auto consider = [&](xcb_window_t window, xcb_window_t frame) {
        if (!HasClass(c, window, className))
            return false;
        if (Viewable(c, frame) && (frame == window || Viewable(c, window)))
            return true;
        if (hidden == XCB_WINDOW_NONE)
            hidden = window;
        return false;
    };
    const std::vector<xcb_window_t> top = Children(c, root);
    for (auto it = top.rbegin(); it != top.rend(); ++it) {
        if (consider(*it, *it))
            return *it;
        for (xcb_window_t child : Children(c, *it))
            if (consider(child, *it))
                return child;
    }
    return hidden;
}

bool ManagerActivates(xcb_connection_t *c, xcb_window_t root, xcb_atom_t activeWindow)
{
    if (activeWindow == XCB_ATOM_NONE)
        return false;
    for (xcb_atom_t a : Windows(Property(c, root, Atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM)))
        if (a == activeWindow)
            return true;
    return false;
}
}  // namespace

bool ActivateWindowOfClass(const QByteArray &className)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return false;
    const xcb_window_t root = screen->root;
    const xcb_window_t window = FindByClass(c, root, className);
    if (window == XCB_WINDOW_NONE)
        return false;

    const xcb_atom_t activeWindow = Atom(c, "_NET_ACTIVE_WINDOW");
    if (ManagerActivates(c, root, activeWindow)) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = activeWindow;
        event.data.data32[0] = 2;  // a request on the user's behalf: the key was pressed for it
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char *>(&event));
    } else {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        // Checked requests: a window that closed meanwhile is no error worth a warning.
        free(xcb_request_check(c, xcb_configure_window_checked(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above)));
        // Only a window on the screen can take the focus.
        if (Viewable(c, window))
            free(xcb_request_check(
                c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME)));
    }
    xcb_flush(c);
    return true;
}

#else

bool ActivateWindowOfClass(const QByteArray &) { return false; }

#endif
