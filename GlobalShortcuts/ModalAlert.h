#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace GlobalShortcuts {

// Shows a warning without an icon, as a sheet modal to the window of `origin` when there is one
// (else to the whole application), edged by a line of its own rather than a window manager's
// frame, in the colours of `origin` as long as it is open, with the buttons in the order given
// (the module's "OK" alone when none are), and waits for the answer: the position of the
// button pressed. The first button is the default and also answers Escape and a closed window.
int runModalAlert(QWidget* origin, const QString& message, const QString& informativeText = {},
                  const QStringList& buttons = {});

} // namespace GlobalShortcuts
