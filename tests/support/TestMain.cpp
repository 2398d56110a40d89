// Entry point of every test program. Each case gets its own XDG folders in a temporary
// directory, so no test reads or writes the real ones.
#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gmock/gmock.h>

#include <optional>

#ifdef QUILLORY_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

namespace {

void useHome(const QTemporaryDir& home)
{
    if (!home.isValid())
        qFatal("cannot create a temporary home folder");
    const QByteArray root = QFile::encodeName(home.path());
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("XDG_STATE_HOME", root + "/state");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    qputenv("QUILLORY_TEST_HOME", root);
}

// CTest runs each case in a process of its own; a program run whole by hand runs them all in
// one. So that a case passes either way, each starts in a new home and leaves the environment
// and the working folder as it found them.
class HomePerCase : public testing::EmptyTestEventListener
{
public:
    void OnTestStart(const testing::TestInfo&) override
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_workingFolder = QDir::currentPath();
        m_home.emplace();
        useHome(*m_home);
    }

    void OnTestEnd(const testing::TestInfo&) override
    {
        QDir::setCurrent(m_workingFolder);
        const QProcessEnvironment now = QProcessEnvironment::systemEnvironment();
        for (const QString& name : now.keys()) {
            if (!m_environment.contains(name))
                qunsetenv(name.toLocal8Bit().constData());
        }
        for (const QString& name : m_environment.keys())
            qputenv(name.toLocal8Bit().constData(), m_environment.value(name).toLocal8Bit());
        m_home.reset();
    }

private:
    QProcessEnvironment m_environment;
    QString m_workingFolder;
    std::optional<QTemporaryDir> m_home;
};

} // namespace

int main(int argc, char** argv)
{
    // Qt reads some of its settings from the home while it starts.
    QTemporaryDir home;
    useHome(home);
    // Log lines go to the error output, where CTest shows them and the tests read those of the
    // programs they start, never to the system journal.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
    // Listing the tests happens without CTest's environment; it needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    TestApplication application(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new HomePerCase);
    return RUN_ALL_TESTS();
}
