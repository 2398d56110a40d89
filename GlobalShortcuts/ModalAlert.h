#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace GlobalShortcuts {

// Shows a warning without an icon, modal to `window` when there is one (else to the whole
// application), with the buttons in the order given (the module's "OK" alone when none are),
// and waits for the answer: the position of the button pressed. The first button is the
// default and also answers Escape and a closed window.
int runModalAlert(QWidget* window, const QString& message, const QString& informativeText = {},
                  const QStringList& buttons = {});

} // namespace GlobalShortcuts
