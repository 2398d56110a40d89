#pragma once

#include "XTestClient.h"

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QTemporaryDir>

// The real program in a temporary home on the test's own X server, started and stopped the
// way the desktop would, as often as a test needs with the same home. The panel is looked at
// from the outside, through the window manager.
class RunningQuillory
{
public:
    static constexpr int startTimeoutMs = 15000;
    static constexpr int stepTimeoutMs = 8000;

    explicit RunningQuillory(const QString& program);
    ~RunningQuillory();
    RunningQuillory(const RunningQuillory&) = delete;
    RunningQuillory& operator=(const RunningQuillory&) = delete;

    bool isHomeValid() const { return m_home.isValid(); }
    QString configFolder() const;
    QString cacheFolder() const;
    QString notesFile() const;
    // Writes the settings file the program reads at start, in its stored form.
    bool writeSettings(const QJsonObject& settings) const;
    void setVariable(const QString& name, const QString& value);
    // What the program is started with: the temporary home's XDG folders, on the X11 platform.
    const QProcessEnvironment& environment() const { return m_environment; }

    bool start();
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // SIGTERM, as a session ending would send; true when the program quit cleanly.
    bool terminate();
    // Everything the program wrote to its error output so far.
    QString errorOutput();
    // Everything the program wrote to its standard output so far.
    QString standardOutput();

    // The program takes the hot key some time after it starts, once it has finished launching:
    // until then a press reaches nobody, so Ctrl+Alt+key is typed once the grab is taken.
    bool openPanelWhenReady(XTestClient& keyboard, quint8 key = XTestClient::nKey);
    bool panelOpen() const;
    bool panelClosed() const;
    // Where the program's visible windows are on the screen.
    QList<QRect> visibleWindows() const;
    // Where the panel is on screen: the program's widest visible window; empty when none.
    QRect panelGeometry() const;
    // The program's visible windows and the active window, for a failure's message.
    std::string windowState() const;
    // The texts of the notes the program has saved, in order.
    QStringList savedTexts() const;

private:
    QString folder(const char* variable) const;

    QTemporaryDir m_home;
    QString m_program;
    QProcessEnvironment m_environment;
    QProcess m_process;
    QByteArray m_errorOutput;
    QByteArray m_standardOutput;
};

bool waitFor(const std::function<bool()>& condition,
             int timeoutMs = RunningQuillory::stepTimeoutMs);
// Runs xdotool and gives back its output.
QString xdotool(const QStringList& arguments);
