#pragma once

#include <QString>

// "Version 1.2 (45)": the program's version and build number as the build gave them, each
// "—" when it gave none.
QString versionLine();
QString versionLine(const QString& shortVersion, const QString& buildNumber);
