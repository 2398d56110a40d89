#include "platform/DisplayServer.h"

#include <QtGlobal>

#include <xcb/xcb.h>

namespace DisplayServer {

std::optional<QString> chooseX11()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return std::nullopt;
    // Connecting is the only sure test: DISPLAY may name a server that is gone.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (!reachable) {
        const QString display = qEnvironmentVariable("DISPLAY");
        return QStringLiteral("Quillory needs an X11 display (or XWayland) and found none: %1")
            .arg(display.isEmpty() ? QStringLiteral("DISPLAY is not set")
                                   : QStringLiteral("cannot connect to DISPLAY ") + display);
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    return std::nullopt;
}

} // namespace DisplayServer
