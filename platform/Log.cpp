#include "Log.h"

#include <QDebug>

Log::Log(const char* category)
    : m_category(category, QtInfoMsg)
{}

void Log::debug(const QString& message) const
{
    qCDebug(m_category).noquote() << message;
}

void Log::info(const QString& message) const
{
    qCInfo(m_category).noquote() << message;
}

// Qt has no level named error; critical is the one above warnings.
void Log::error(const QString& message) const
{
    qCCritical(m_category).noquote() << message;
}
