#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int startTimeoutMs = 15000;
constexpr int stepTimeoutMs = 8000;

struct SavedNotes
{
    QStringList texts;
    QStringList ids;
    QString currentID;
};

// The real program in a temporary home on this test's own X server, under a window manager,
// driven the way a person would drive it: keys and clicks through XTest (xdotool). Its saved
// notes document is what the checks read; every step waits for the save that follows it.
class NotePageRoad : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                 "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
            const QString folder = m_home.path() + QLatin1Char('/') + QLatin1String(name);
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
            environment.insert(QLatin1String(name), folder);
        }
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("QUILLORY_APPEARANCE"));
        m_notesFile = environment.value(QStringLiteral("XDG_DATA_HOME")) +
                      QStringLiteral("/Quillory/notes.json");

        m_windowManager.setProcessEnvironment(environment);
        m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        ASSERT_TRUE(m_windowManager.waitForStarted());
        ASSERT_TRUE(waitFor([this] { return windowManagerRunning(); }, startTimeoutMs));

        m_app.setProcessEnvironment(environment);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(QUILLORY_BINARY), {});
        ASSERT_TRUE(m_app.waitForStarted());
    }

    void TearDown() override
    {
        for (QProcess* process : {&m_app, &m_windowManager}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(stepTimeoutMs))
                process->kill();
            process->waitForFinished();
        }
    }

    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = stepTimeoutMs)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    static QString xdotool(const QStringList& arguments)
    {
        QProcess tool;
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished();
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    static bool windowManagerRunning()
    {
        QProcess query;
        query.start(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        query.waitForFinished();
        return query.readAllStandardOutput().contains("window id");
    }

    bool panelHasFocus() const
    {
        return xdotool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowpid")}) ==
               QString::number(m_app.processId());
    }

    static void type(const QString& text)
    {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }

    static void key(const QString& keys) { xdotool({QStringLiteral("key"), keys}); }

    SavedNotes saved() const
    {
        QFile file(m_notesFile);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
        SavedNotes notes;
        for (const QJsonValue& note : document.value(QStringLiteral("notes")).toArray()) {
            notes.texts.append(note[QStringLiteral("text")].toString());
            notes.ids.append(note[QStringLiteral("id")].toString());
        }
        notes.currentID = document.value(QStringLiteral("currentNoteID")).toString();
        return notes;
    }

    bool savedTexts(const QStringList& texts) const
    {
        return waitFor([&] { return saved().texts == texts; });
    }

    bool savedCurrent(int index) const
    {
        return waitFor([&] {
            const SavedNotes notes = saved();
            return index < notes.ids.size() && notes.currentID == notes.ids[index];
        });
    }

    QTemporaryDir m_home;
    QString m_notesFile;
    QProcess m_windowManager;
    QProcess m_app;
};

TEST_F(NotePageRoad, TypePageMakeDeleteUndoAndCloseKeepsEveryNotesTextExactly)
{
    // The first launch opens the panel by itself, ready for typing.
    ASSERT_TRUE(waitFor([this] { return panelHasFocus(); }, startTimeoutMs));
    type(QStringLiteral("first"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first")})) << saved().texts.join(u'|').toStdString();

    key(QStringLiteral("ctrl+n"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first"), QString()}));
    ASSERT_TRUE(savedCurrent(1));
    type(QStringLiteral("second"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first"), QStringLiteral("second")}));

    // Back to the first note: the caret lands after its last character.
    key(QStringLiteral("alt+Left"));
    ASSERT_TRUE(savedCurrent(0));
    type(QStringLiteral(" more"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more"), QStringLiteral("second")}))
        << saved().texts.join(u'|').toStdString();

    key(QStringLiteral("alt+Right"));
    ASSERT_TRUE(savedCurrent(1));
    key(QStringLiteral("ctrl+BackSpace"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more")}));
    key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more"), QStringLiteral("second")}));
    ASSERT_TRUE(savedCurrent(1));
    type(QStringLiteral("!"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more"), QStringLiteral("second!")}))
        << saved().texts.join(u'|').toStdString();

    // A click outside the panel closes it.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("40"), QStringLiteral("700"),
             QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(waitFor([this] {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--pid"), QString::number(m_app.processId())})
            .isEmpty();
    }));
    m_app.terminate();
    ASSERT_TRUE(m_app.waitForFinished(stepTimeoutMs));

    const SavedNotes notes = saved();
    EXPECT_EQ(notes.texts, (QStringList{QStringLiteral("first more"), QStringLiteral("second!")}));
    EXPECT_EQ(notes.currentID, notes.ids.value(1));
}

} // namespace
