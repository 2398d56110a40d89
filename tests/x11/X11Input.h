#pragma once

#include <QColor>
#include <QPoint>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// Helpers of the X11 tests: input through XTest, as a person would give it, and waiting for
// the desktop to catch up.
namespace X11Input {

constexpr int timeoutMs = 5000;
// The tray host the tests start, at the top right: wide enough for the icon from the start, so
// the tray never moves it once it is in.
constexpr int trayWidth = 96;
constexpr int trayHeight = 24;

// The options of that tray host; with `bar`, its bar is drawn in that one colour. At the top of
// the screen, or along `edge`.
QStringList trayArguments(std::optional<QRgb> bar = std::nullopt, Qt::Edge edge = Qt::TopEdge);

// Types text with xdotool while the event loop keeps running. False when xdotool failed.
bool type(const QString& text);
// Moves the pointer and clicks a button there; returns once the X server has handled both and
// its clock has moved on. What the click does in this program happens as its events are
// processed: wait for that.
bool clickAt(const QPoint& position, int button = 1);
bool waitFor(const std::function<bool()>& condition);
// Where the X server shows a window of ours; Qt may learn of a window manager's move late.
QPoint screenPosition(const QWidget& window);
// Mapped with every window it sits in, so it can be clicked.
bool isViewable(const QWidget& window);

} // namespace X11Input
