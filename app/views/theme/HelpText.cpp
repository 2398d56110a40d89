#include "HelpText.h"

#include "GlobalShortcuts/ShortcutDisplay.h"

QString helpText(const QString& name, const QKeySequence& shortcut)
{
    return name + QStringLiteral(" (") + GlobalShortcuts::displayString(shortcut) +
           QStringLiteral(")");
}
