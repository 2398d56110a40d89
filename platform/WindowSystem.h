#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRegion>
#include <qwindowdefs.h>

#include <optional>

// What the desktop's window system does for our windows beyond Qt's reach. Where the session
// lacks a facility, its call does nothing.
namespace WindowSystem {

// Where the window system has put a window of ours that another client took in (an icon in a
// tray), in device-independent screen coordinates.
std::optional<QPoint> screenPosition(WId window);

// Sends the requests queued for the display server now rather than when the current event is
// done.
void flush();

// Asks taskbars and pagers to leave the window out. Before the window is mapped, the state is
// written so that the toolkit's own state hints are merged into it when it maps the window.
void skipTaskbar(WId window);

// Shows the window only inside `drawn` and lets the pointer reach it only where `input` lies
// inside that too (the window's device pixels); elsewhere clicks go to whatever lies below.
void setShape(WId window, const QRegion& input, const QRegion& drawn);

// Asks compositing managers to treat the window as a pop-up that draws its own shadow. Some
// read the hint from the frame a window manager puts around the window, which exists only once
// the window is on screen: called again then.
void setPopupHints(WId window);

// Asks window managers to frame the window as an alert, which can be moved and closed but not
// resized, minimised or maximised. Before the window is mapped: they read it then.
void setAlertHints(WId window);

// Whether the window system gives `window` the keyboard focus at this moment, as the display
// server itself knows it, ahead of the events Qt has still to read; nothing where it cannot be
// asked.
std::optional<bool> hasFocus(WId window);

// Whether `message`, an event of the window system as Qt hands it to native event filters,
// gives `window` the keyboard focus.
bool givesFocus(WId window, const QByteArray& eventType, const void* message);

} // namespace WindowSystem
