#pragma once

#include <QString>
#include <QtMessageHandler>

#include <optional>

// Watches the QApplication start the platform named in QT_QPA_PLATFORM. Where Qt would abort
// because the platform cannot start, the program ends there with one line saying why and exit
// code 1, as it does without a display; what Qt says meanwhile is held back, and told once
// the start succeeds. Only one may exist at a time, and only before the QApplication is made.
class PlatformStartGuard
{
public:
    PlatformStartGuard();
    ~PlatformStartGuard();
    PlatformStartGuard(const PlatformStartGuard&) = delete;
    PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;

    // Ends the watch; call it once the QApplication is made. A platform that gave it no screen to
    // show anything on (a framebuffer that did not open) cannot run the program either: then the
    // line to end with; else nothing, and what was held back is told now.
    std::optional<QString> finish();

private:
    // Gives the handler back and tells what was held back when `tellHeld`. Returns the warnings
    // held, in one line.
    QString stopWatching(bool tellHeld);
    static void hold(QtMsgType type, const QMessageLogContext& context, const QString& message);

    QtMessageHandler m_previous;
    bool m_watching = true;
};
