#pragma once

#include <QMap>
#include <QString>

// The parameters of a signal and the payload of its record: every value is text.
using SignalParameters = QMap<QString, QString>;
