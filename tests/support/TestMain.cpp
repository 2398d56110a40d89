// Entry point of every test program. Each case gets its own XDG folders in a temporary
// directory, so no test reads or writes the real ones, and a program run whole, by hand, gives
// every case fresh folders as CTest does, which runs each case in a process of its own.
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

// What CTest sets, for a program run by hand.
#ifndef QUILLORY_TEST_PLATFORM
#define QUILLORY_TEST_PLATFORM "offscreen"
#endif

namespace {

class FreshHome final : public testing::EmptyTestEventListener
{
public:
    // The application, made before the first case, finds a home too.
    FreshHome() { replace(); }

    void OnTestStart(const testing::TestInfo&) override { replace(); }

private:
    void replace()
    {
        m_home.reset();
        m_home.emplace();
        if (!m_home->isValid())
            qFatal("cannot create a temporary home folder");
        const QByteArray root = m_home->path().toLocal8Bit();
        qputenv("HOME", root);
        qputenv("XDG_CONFIG_HOME", root + "/config");
        qputenv("XDG_DATA_HOME", root + "/data");
        qputenv("XDG_CACHE_HOME", root + "/cache");
        qputenv("XDG_STATE_HOME", root + "/state");
        qputenv("XDG_RUNTIME_DIR", root + "/runtime");
        qputenv("QUILLORY_TEST_HOME", root);
    }

    std::optional<QTemporaryDir> m_home;
};

} // namespace

int main(int argc, char** argv)
{
    // The test framework owns it and ends it with the program, however a case ends that.
    auto* home = new FreshHome;
    // Log lines go to the error output, where CTest shows them and the tests read those of the
    // programs they start, never to the system journal.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
    // Listing the tests happens without CTest's environment; it needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QUILLORY_TEST_PLATFORM);

    TestApplication application(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(home);
    return RUN_ALL_TESTS();
}
