#pragma once

#include <QString>

// The shortest text that reads back as the same double, with ".0" on whole numbers: how the
// service is sent numbers that are doubles, such as 2.5 or 1117.0.
QString doubleText(double value);
