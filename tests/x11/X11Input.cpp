#include "X11Input.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace X11Input {

bool xdotool(const QStringList& arguments)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral("xdotool"), arguments);
    if (!finished.wait(timeoutMs) || process.exitCode() != 0)
        return false;
    QCoreApplication::processEvents();
    return true;
}

bool clickAt(const QPoint& position, int button)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(position.x()),
                    QString::number(position.y()), QStringLiteral("click"),
                    QString::number(button)});
}

bool waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

} // namespace X11Input
