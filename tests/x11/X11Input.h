#pragma once

#include <QPoint>
#include <QStringList>

#include <functional>

class QWidget;

// Helpers of the X11 tests: input through XTest, as a person would give it, and waiting for
// the desktop to catch up.
namespace X11Input {

constexpr int timeoutMs = 5000;

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
