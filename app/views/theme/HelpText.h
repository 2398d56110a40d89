#pragma once

#include <QKeySequence>
#include <QString>

// A control's tooltip with its keyboard shortcut in the desktop's words:
// "Delete note (Ctrl+Shift+Backspace)".
QString helpText(const QString& name, const QKeySequence& shortcut);
