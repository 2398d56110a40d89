#pragma once

#include <QString>

#include <optional>

// The display server the program runs on, decided before the QApplication is made.
namespace DisplayServer {

// Makes the program an X11 client, also on a Wayland session through XWayland, where the
// panel can be placed and the global shortcut and clicks elsewhere work; a platform the user
// chose in QT_QPA_PLATFORM stands. Without an X server to run on, or when none of the display
// servers the user chose answers, gives the one line to tell the user instead.
std::optional<QString> chooseX11();

} // namespace DisplayServer
