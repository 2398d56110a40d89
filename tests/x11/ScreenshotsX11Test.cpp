#include "RunningQuillory.h"
#include "XTestClient.h"
#include "support/TestFiles.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

constexpr int runTimeoutMs = 30000;
constexpr int lightGray = 200;
// A point of the note's body beside its text: the body starts 40 points in from the picture's
// left edge.
constexpr int besideText = 46;

unsigned permissions(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A screenshot run beside a running copy in the same home: every state announced with the
// panel's window, the running copy's notes, settings and hot key and the clipboard left alone,
// the samples kept in a private folder that goes at the end.
TEST(ScreenshotsRoad, RunsBesideARunningCopyAndLeavesEverythingOfTheUserAsItWas)
{
    XTestClient keyboard;
    RunningQuillory running(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(keyboard.isConnected() && running.isHomeValid());
    ASSERT_TRUE(running.writeSettings({{QStringLiteral("quillory.hasLaunchedBefore"),
                                        QJsonObject{{QStringLiteral("bool"), true}}}}));
    ASSERT_TRUE(running.start() && running.openPanelWhenReady(keyboard));
    keyboard.type(XTestClient::lKey);
    keyboard.type(XTestClient::escapeKey);
    ASSERT_TRUE(waitFor([&] { return running.savedTexts() == QStringList{QStringLiteral("l")}; }));
    const QString settingsFile = running.configFolder() + QStringLiteral("/Quillory/settings.json");
    const QByteArray notes = TestFiles::read(running.notesFile());
    const QByteArray settings = TestFiles::read(settingsFile);
    const QString marker = QStringLiteral("the user's own clipboard");
    QGuiApplication::clipboard()->setText(marker);

    QTemporaryDir temporary;
    QProcessEnvironment environment = running.environment();
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    // Its panel is light all the same.
    environment.insert(QStringLiteral("QUILLORY_APPEARANCE"), QStringLiteral("dark"));
    QTemporaryDir pictures;
    QProcess run;
    run.setProcessEnvironment(environment);
    QStringList lines;
    bool windowMapped = false;
    QFileInfoList sampleFolders;
    unsigned sampleFolderMode = 0;
    QObject::connect(&run, &QProcess::readyReadStandardOutput, [&] {
        while (run.canReadLine()) {
            lines.append(QString::fromUtf8(run.readLine()).trimmed());
            if (lines.size() > 1)
                continue;
            // The panel is up and the samples are in use.
            const QString pid = QString::number(run.processId());
            windowMapped = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--pid"), pid})
                               .split(u'\n')
                               .contains(lines.first().section(u' ', 2));
            sampleFolders =
                QDir(temporary.path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
            // The run's own settings are in there too, none in the user's folder.
            if (sampleFolders.size() == 1 &&
                QFile::exists(sampleFolders.first().filePath() + QStringLiteral("/settings.json")))
                sampleFolderMode = permissions(sampleFolders.first().filePath());
        }
    });
    run.start(QStringLiteral(QUILLORY_BINARY), {QStringLiteral("--screenshots"), pictures.path()});
    // A second run while the first one runs: a demonstration of its own, not a second launch.
    ASSERT_TRUE(waitFor([&] { return !lines.isEmpty(); }, runTimeoutMs))
        << "the first run's first state";
    QTemporaryDir secondPictures;
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(QUILLORY_BINARY),
                 {QStringLiteral("--screenshots"), secondPictures.path()});
    ASSERT_TRUE(waitFor(
        [&] {
            return run.state() == QProcess::NotRunning && second.state() == QProcess::NotRunning;
        },
        runTimeoutMs))
        << "both runs to end";

    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0);
    ASSERT_FALSE(lines.isEmpty());
    const QString window = lines.first().section(u' ', 2);
    const char* const stages[] = {"hero",   "pages", "rename", "picker",  "list",
                                  "copied", "toast", "new",    "settings"};
    // What a run prints: each stage with the panel's window, then DONE.
    const auto output = [&stages](const QString& panel) {
        QStringList expected;
        for (const char* stage : stages)
            expected.append(QStringLiteral("SHOT %1 %2").arg(QLatin1String(stage), panel));
        expected.append(QStringLiteral("DONE"));
        return expected.join(u'\n').toStdString();
    };
    for (const char* stage : stages) {
        // The margin transparent, the note light.
        const QImage picture(pictures.filePath(QLatin1String(stage) + QStringLiteral(".png")));
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << stage;
        EXPECT_GT(qGray(picture.pixel(besideText, picture.height() / 2)), lightGray) << stage;
    }
    EXPECT_EQ(lines.join(u'\n').toStdString(), output(window));
    const QString secondOutput = QString::fromUtf8(second.readAllStandardOutput()).trimmed();
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(secondOutput.toStdString(),
              output(secondOutput.section(u'\n', 0, 0).section(u' ', 2)));
    EXPECT_TRUE(windowMapped);
    ASSERT_EQ(sampleFolders.size(), 1);
    EXPECT_EQ(sampleFolderMode, 0700u);
    EXPECT_FALSE(QFileInfo::exists(sampleFolders.first().filePath()));
    EXPECT_FALSE(run.readAllStandardError().contains("hotkey"));

    EXPECT_EQ(TestFiles::read(running.notesFile()), notes);
    EXPECT_EQ(TestFiles::read(settingsFile), settings);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), marker);
    EXPECT_TRUE(running.terminate());
}

} // namespace
