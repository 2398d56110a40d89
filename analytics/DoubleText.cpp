#include "DoubleText.h"

#include <QLocale>

QString doubleText(double value)
{
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')))
        text += QStringLiteral(".0");
    return text;
}
