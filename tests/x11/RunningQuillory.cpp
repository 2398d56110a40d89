#include "RunningQuillory.h"

#include "XTestClient.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr const char* homeVariables[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                         "XDG_STATE_HOME", "XDG_RUNTIME_DIR"};

} // namespace

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

QString xdotool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished();
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

RunningQuillory::RunningQuillory(const QString& program)
    : m_program(program)
    , m_environment(QProcessEnvironment::systemEnvironment())
{
    for (const char* name : homeVariables) {
        const QString path = m_home.path() + QLatin1Char('/') + QLatin1String(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
        m_environment.insert(QLatin1String(name), path);
    }
    m_environment.insert(QStringLiteral("HOME"), m_home.path());
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_environment.remove(QStringLiteral("QUILLORY_APPEARANCE"));
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                     [this] { m_errorOutput += m_process.readAllStandardError(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { m_standardOutput += m_process.readAllStandardOutput(); });
}

RunningQuillory::~RunningQuillory()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(stepTimeoutMs))
        m_process.kill();
    m_process.waitForFinished();
}

QString RunningQuillory::folder(const char* variable) const
{
    return m_environment.value(QLatin1String(variable));
}

QString RunningQuillory::configFolder() const
{
    return folder("XDG_CONFIG_HOME");
}

QString RunningQuillory::cacheFolder() const
{
    return folder("XDG_CACHE_HOME");
}

QString RunningQuillory::notesFile() const
{
    return folder("XDG_DATA_HOME") + QStringLiteral("/Quillory/notes.json");
}

bool RunningQuillory::writeSettings(const QJsonObject& settings) const
{
    const QString folder = configFolder() + QStringLiteral("/Quillory");
    QFile file(folder + QStringLiteral("/settings.json"));
    return QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(settings).toJson()) > 0;
}

void RunningQuillory::setVariable(const QString& name, const QString& value)
{
    m_environment.insert(name, value);
}

bool RunningQuillory::start()
{
    m_process.setProcessEnvironment(m_environment);
    m_process.start(m_program, {});
    return m_process.waitForStarted();
}

bool RunningQuillory::terminate()
{
    m_process.terminate();
    // The test's own servers go on answering while the program quits.
    if (!waitFor([this] { return m_process.state() == QProcess::NotRunning; }))
        return false;
    m_errorOutput += m_process.readAllStandardError();
    m_errorOutput += QByteArrayLiteral("(exit status ") +
                     QByteArray::number(m_process.exitStatus()) + QByteArrayLiteral(", code ") +
                     QByteArray::number(m_process.exitCode()) + QByteArrayLiteral(")\n");
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

QString RunningQuillory::errorOutput()
{
    m_errorOutput += m_process.readAllStandardError();
    return QString::fromUtf8(m_errorOutput);
}

QString RunningQuillory::standardOutput()
{
    m_standardOutput += m_process.readAllStandardOutput();
    return QString::fromUtf8(m_standardOutput);
}

bool RunningQuillory::openPanelWhenReady(XTestClient& keyboard, quint8 key)
{
    if (!waitFor([&] { return keyboard.isHeldByAnother(key, XTestClient::controlAltMask); },
                 startTimeoutMs)) {
        ADD_FAILURE() << "the program did not take its hot key";
        return false;
    }
    keyboard.typeControlAlt(key);
    if (!waitFor([this] { return panelOpen(); })) {
        ADD_FAILURE() << "the panel did not open on the hot key: " << windowState();
        return false;
    }
    return true;
}

bool RunningQuillory::panelOpen() const
{
    // Mapped, and the window the window manager has given the input focus to.
    const QString pid = QString::number(m_process.processId());
    return !xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--pid"), pid})
                .isEmpty() &&
           xdotool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowpid")}) == pid;
}

QRect RunningQuillory::panelGeometry() const
{
    QRect widest;
    for (const QRect& window : visibleWindows()) {
        if (window.width() > widest.width())
            widest = window;
    }
    return widest;
}

std::string RunningQuillory::windowState() const
{
    const QString visible =
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(m_process.processId())});
    const QString active = xdotool({QStringLiteral("getactivewindow")});
    const QString activePid =
        xdotool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowpid")});
    return QStringLiteral("visible windows [%1], active window %2 of pid %3, program pid %4")
        .arg(visible.simplified(), active, activePid, QString::number(m_process.processId()))
        .toStdString();
}

QList<QRect> RunningQuillory::visibleWindows() const
{
    QList<QRect> geometries;
    const QString windows =
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(m_process.processId())});
    for (const QString& window : windows.split(u'\n', Qt::SkipEmptyParts)) {
        QMap<QString, int> values;
        const QString shell = xdotool(
            {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window.trimmed()});
        for (const QString& line : shell.split(u'\n')) {
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0)
                values.insert(line.left(equals), line.mid(equals + 1).toInt());
        }
        geometries.append(
            QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
                  values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT"))));
    }
    return geometries;
}

bool RunningQuillory::panelClosed() const
{
    return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--pid"), QString::number(m_process.processId())})
        .isEmpty();
}

QStringList RunningQuillory::savedTexts() const
{
    QFile file(notesFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList texts;
    const QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
    for (const QJsonValue& note : document.value(QStringLiteral("notes")).toArray())
        texts.append(note[QStringLiteral("text")].toString());
    return texts;
}
