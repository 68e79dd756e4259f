// Requests to the window manager: the task bar and keeping a window above another.
#include "window_hints.h"

#include <QGuiApplication>
#include <QWidget>

#if LUMIVAR_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#endif

namespace lumivar {

#if LUMIVAR_HAVE_XCB

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (reply != nullptr) {
        atom = reply->atom;
    }
    std::free(reply); // NOLINT(cppcoreguidelines-no-malloc): xcb allocates replies with malloc
    return atom;
}

// Other platforms, the offscreen one among them, may answer for X11
// without a connection of their own.
xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return QGuiApplication::platformName() == QLatin1String("xcb") && x11 != nullptr ? x11->connection()
                                                                                     : nullptr;
}

} // namespace

void keepAbove(const QWidget& window, const QWidget& parent)
{
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr || !window.isWindow()) {
        return;
    }
    const auto parentId = static_cast<xcb_window_t>(parent.window()->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()),
                        XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &parentId);
    xcb_flush(connection);
}

void keepOutOfTaskbar(const QWidget& window, bool out)
{
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr || !window.isWindow()) {
        return;
    }
    // A mapped window's state is changed by asking the window manager, with
    // a message to the root window.
    constexpr std::uint32_t kRemove = 0;
    constexpr std::uint32_t kAdd = 1;
    constexpr std::uint32_t kFromApplication = 1;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window.winId());
    message.type = internAtom(connection, "_NET_WM_STATE");
    message.data.data32[0] = out ? kAdd : kRemove;
    message.data.data32[1] = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    message.data.data32[3] = kFromApplication;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

#else

void keepOutOfTaskbar(const QWidget& /*window*/, bool /*out*/) {}
void keepAbove(const QWidget& /*window*/, const QWidget& /*parent*/) {}

#endif

} // namespace lumivar
