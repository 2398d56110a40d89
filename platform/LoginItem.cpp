#include "LoginItem.h"

#include "StoredFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

const auto desktopEntryGroup = QStringLiteral("[Desktop Entry]");

// The characters that force quoting of an Exec argument, and those that must then be
// escaped inside the quotes.
const auto reservedInExec = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
const auto escapedInQuotes = QStringLiteral("\"`$\\");

bool isHidden(const QByteArray& entry)
{
    bool inEntryGroup = false;
    for (const QByteArray& rawLine : entry.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntryGroup = line == desktopEntryGroup;
            continue;
        }
        if (!inEntryGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        if (line.left(equals).trimmed() == QLatin1String("Hidden"))
            return line.mid(equals + 1).trimmed() == QLatin1String("true");
    }
    return false;
}

} // namespace

LoginItem::LoginItem()
    : LoginItem(defaultEntryPath(), QCoreApplication::applicationFilePath())
{}

LoginItem::LoginItem(const QString& entryPath, const QString& program)
    : m_entryPath(entryPath)
    , m_program(program)
{}

QString LoginItem::defaultEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/quillory.desktop");
}

bool LoginItem::isEnabled() const
{
    const StoredFile::Contents entry = StoredFile::read(m_entryPath);
    return entry.error.isEmpty() && !isHidden(entry.bytes);
}

QString LoginItem::execValue(const QString& program)
{
    const bool needsQuotes = std::any_of(program.begin(), program.end(),
                                         [](QChar c) { return reservedInExec.contains(c); });
    QString value;
    if (needsQuotes) {
        value += QLatin1Char('"');
        for (const QChar c : program) {
            if (escapedInQuotes.contains(c))
                value += QLatin1Char('\\');
            value += c;
        }
        value += QLatin1Char('"');
    } else {
        value = program;
    }
    // The Exec value is itself a string value of the file, whose own escape is the backslash.
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return value;
}

bool LoginItem::registerItem()
{
    m_errorString.clear();
    if (!QDir().mkpath(QFileInfo(m_entryPath).absolutePath())) {
        m_errorString = QStringLiteral("cannot create the folder of ") + m_entryPath;
        return false;
    }
    const QString entry = desktopEntryGroup +
                          QStringLiteral("\n"
                                         "Type=Application\n"
                                         "Name=Quillory\n"
                                         "Comment=Short-lived notes in the system tray\n"
                                         "Exec=") +
                          execValue(m_program) +
                          QStringLiteral("\n"
                                         "Icon=quillory\n"
                                         "Terminal=false\n");
    m_errorString = StoredFile::write(m_entryPath, entry.toUtf8());
    return m_errorString.isEmpty();
}

bool LoginItem::unregisterItem()
{
    m_errorString.clear();
    QFile file(m_entryPath);
    if (!file.exists())
        return true;
    if (!file.remove()) {
        m_errorString = file.errorString();
        return false;
    }
    return true;
}
