#pragma once

#include <QString>

namespace GlobalShortcuts {

// The module's own user-visible text for `key` ("space_key", "record_shortcut", …); the key
// itself when there is no text for it.
QString localizedString(const QString& key);

} // namespace GlobalShortcuts
