#include "app/Display.h"

#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "texts/Texts.h"

namespace hyt {

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Connects to a local stream socket; an abstract one when its name starts
// with '@'.
bool SocketAnswers(const std::string& name)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.empty() || name.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.data(), name.size());
    socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + name.size());
    if (name.front() == '@')
        address.sun_path[0] = '\0';
    else
        length += 1; // the terminating zero of a path
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    ::close(fd);
    return answered;
}

// DISPLAY names a local X server as ":N" or "unix:N" (with an optional
// ".screen"); a display on another host is left to Qt to reach.
bool XDisplayAnswers()
{
    const std::string display = Environment("DISPLAY");
    if (display.empty())
        return false;
    std::string_view rest = display;
    if (rest.starts_with("unix:"))
        rest.remove_prefix(4);
    if (!rest.starts_with(':'))
        return true;
    rest.remove_prefix(1);
    const std::string number(rest.substr(0, rest.find('.')));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const std::string socket = "/tmp/.X11-unix/X" + number;
    return SocketAnswers(socket) || SocketAnswers("@" + socket);
}

bool WaylandDisplayAnswers()
{
    std::string name = Environment("WAYLAND_DISPLAY");
    if (name.empty())
        name = "wayland-0";
    if (name.front() != '/') {
        const std::string runtime = Environment("XDG_RUNTIME_DIR");
        if (runtime.empty())
            return false;
        name = runtime + "/" + name;
    }
    return SocketAnswers(name);
}

bool PlatformUsable(std::string_view platform)
{
    // Plugin arguments follow the name after a colon.
    platform = platform.substr(0, platform.find(':'));
    if (platform == "xcb")
        return XDisplayAnswers();
    if (platform.starts_with("wayland"))
        return WaylandDisplayAnswers();
    return true; // offscreen, minimal, vnc, eglfs, ...: Qt will tell
}

// --- the guard ---------------------------------------------------------------

std::vector<QString> heldMessages;
QtMessageHandler previousHandler = nullptr;

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", NoDisplayMessage().c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    heldMessages.push_back(qFormatLogMessage(type, context, message));
}

} // namespace

bool DisplayAvailable()
{
    const std::string chosen = Environment("QT_QPA_PLATFORM");
    if (chosen.empty())
        return XDisplayAnswers() || WaylandDisplayAnswers();
    // A list of platforms is tried in order: one that works is enough.
    std::string_view rest = chosen;
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        if (PlatformUsable(rest.substr(0, end)))
            return true;
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return false;
}

PlatformStartGuard::PlatformStartGuard()
{
    previousHandler = qInstallMessageHandler(HoldOrEnd);
}

PlatformStartGuard::~PlatformStartGuard()
{
    Release();
}

void PlatformStartGuard::Release()
{
    if (!active)
        return;
    active = false;
    qInstallMessageHandler(previousHandler);
    for (const QString& message : heldMessages)
        std::fprintf(stderr, "%s\n", qPrintable(message));
    heldMessages.clear();
}

} // namespace hyt
