#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace GlobalShortcuts {

// Shows a warning without an icon, modal to the window of `origin` when there is one (else to
// the whole application) and in the colours of `origin`, with the buttons in the order
// given (the module's "OK" alone when none are), and waits for the answer: the position of the
// button pressed. The first button is the default and also answers Escape and a closed window.
int runModalAlert(QWidget* origin, const QString& message, const QString& informativeText = {},
                  const QStringList& buttons = {});

} // namespace GlobalShortcuts
