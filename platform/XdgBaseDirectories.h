#pragma once

#include <QString>
#include <QStringList>

// The user's base folders as the XDG base-directory rules define them. A variable holding a
// relative path is invalid and must be ignored as if it were unset; Qt would take it against
// the working folder, so the notes would seem to vanish whenever the program was started from
// another folder.
namespace XdgBaseDirectories {

// Removes every base-directory variable that holds a relative path from the environment, so
// that Qt and every library in the process fall back to the defaults. Call once at start,
// before any other thread runs. Returns the names it removed.
QStringList ignoreRelativePaths();

// $XDG_STATE_HOME, else ~/.local/state (Qt names this folder only from 6.7 on). Like Qt's
// locations, it relies on ignoreRelativePaths() having run.
QString stateHome();

} // namespace XdgBaseDirectories
