#include "AgeLabel.h"

#include <QLocale>

namespace {

constexpr double minute = 60;
constexpr double hour = 3600;
constexpr double day = 86400;
constexpr double week = 604800;

QString whole(double age, double unit, char suffix)
{
    return QString::number(qint64(age / unit)) + QLatin1Char(suffix);
}

} // namespace

QString ageLabel(const QDateTime& date, const QDateTime& now)
{
    const double age = date.isValid() && now.isValid() ? double(date.msecsTo(now)) / 1000 : 0;
    if (age < minute)
        return QStringLiteral("now");
    if (age < hour)
        return whole(age, minute, 'm');
    if (age < day)
        return whole(age, hour, 'h');
    if (age < week)
        return whole(age, day, 'd');
    // English month names whatever the user's language, as the rest of the panel.
    const QDate local = date.toLocalTime().date();
    return QLocale::c().monthName(local.month(), QLocale::ShortFormat) + QLatin1Char(' ') +
           QString::number(local.day());
}
