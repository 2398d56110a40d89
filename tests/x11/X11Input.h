#pragma once

#include <QPoint>
#include <QStringList>

#include <functional>

// Helpers of the X11 tests: input through XTest, as a person would give it, and waiting for
// the desktop to catch up.
namespace X11Input {

constexpr int timeoutMs = 5000;

// Runs xdotool with the event loop running, as it would in the program, so each press is seen
// while the pointer is still where it was. False when xdotool failed.
bool xdotool(const QStringList& arguments);
bool clickAt(const QPoint& position, int button = 1);
bool waitFor(const std::function<bool()>& condition);

} // namespace X11Input
