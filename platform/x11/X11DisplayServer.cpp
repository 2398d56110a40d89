#include "platform/DisplayServer.h"

#include <QStringList>
#include <QtGlobal>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <xcb/xcb.h>

namespace DisplayServer {

namespace {

// Why no X server answers, or nothing when one does. Connecting is the only sure test: DISPLAY
// may name a server that is gone.
std::optional<QString> x11Failure()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (reachable)
        return std::nullopt;
    const QString display = qEnvironmentVariable("DISPLAY");
    return display.isEmpty() ? QStringLiteral("DISPLAY is not set")
                             : QStringLiteral("cannot connect to DISPLAY ") + display;
}

// Why no Wayland compositor answers, or nothing when one does (or was handed over already).
std::optional<QString> waylandFailure()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return std::nullopt;
    QString path = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    if (!path.startsWith(QLatin1Char('/'))) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            return QStringLiteral("no Wayland compositor: XDG_RUNTIME_DIR is not set");
        path = runtime + QLatin1Char('/') + path;
    }
    const QByteArray encoded = path.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    bool reachable = false;
    if (std::size_t(encoded.size()) < sizeof(address.sun_path)) {
        std::memcpy(address.sun_path, encoded.constData(), std::size_t(encoded.size()));
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        reachable = socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr*>(&address),
                                             sizeof(address)) == 0;
        if (socket >= 0)
            ::close(socket);
    }
    if (reachable)
        return std::nullopt;
    return QStringLiteral("no Wayland compositor at ") + path;
}

// The platforms the user named are tried in turn, as Qt does. Only those that need a display
// server are judged here; any other, like offscreen, is left to Qt.
std::optional<QString> namedPlatformFailure(const QString& platforms)
{
    QStringList failures;
    for (const QString& entry : platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0);
        std::optional<QString> failure;
        if (name == QLatin1String("xcb"))
            failure = x11Failure();
        else if (name.startsWith(QLatin1String("wayland")))
            failure = waylandFailure();
        else
            return std::nullopt;
        if (!failure)
            return std::nullopt;
        failures.append(*failure);
    }
    if (failures.isEmpty())
        return std::nullopt;
    return QStringLiteral("Quillory found no display for QT_QPA_PLATFORM=%1: %2")
        .arg(platforms, failures.join(QStringLiteral("; ")));
}

} // namespace

std::optional<QString> chooseX11()
{
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platforms.isEmpty())
        return namedPlatformFailure(platforms);
    if (const auto failure = x11Failure())
        return QStringLiteral("Quillory needs an X11 display (or XWayland) and found none: ") +
               *failure;
    qputenv("QT_QPA_PLATFORM", "xcb");
    return std::nullopt;
}

} // namespace DisplayServer
