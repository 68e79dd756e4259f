// The display server chosen before Qt starts: Wayland, X11, or the program's own line.
#include "display_choice.h"

#include <QDir>
#include <QLibraryInfo>
#include <QString>
#include <QtGlobal>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#if LUMIVAR_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace lumivar {

namespace {

bool xServerAnswers()
{
#if LUMIVAR_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
#else
    return true; // Qt's own attempt then tells
#endif
}

// The compositor's socket, as the Wayland client library finds it: a path of
// its own, or a name in the user's runtime folder.
bool waylandCompositorAnswers()
{
    const std::string name = qEnvironmentVariable("WAYLAND_DISPLAY").toStdString();
    const std::string folder = qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString();
    if (name.front() != '/' && folder.empty()) {
        return false;
    }
    const std::string path = name.front() == '/' ? name : folder + '/' + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return false;
    }
    const bool answers = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(socket);
    return answers;
}

bool qtSpeaksWayland()
{
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
}

} // namespace

Display chooseDisplay()
{
    const bool x11Set = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool waylandSet = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!x11Set && !waylandSet) {
        return Display::NoneSet;
    }
    const bool waylandAnswers = waylandSet && waylandCompositorAnswers();
    if (waylandAnswers && qtSpeaksWayland()) {
        return Display::Wayland;
    }
    if (x11Set && xServerAnswers()) {
        return Display::X11;
    }
    return waylandAnswers ? Display::NoWaylandSupport : Display::NoneAnswers;
}

} // namespace lumivar
