// Entry point of every test program. Each process gets its own XDG folders in a temporary
// directory, so no test reads or writes the real ones.
#include <QTemporaryDir>
#include <QtGlobal>

#include <gmock/gmock.h>

#ifdef QUILLORY_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        qFatal("cannot create a temporary home folder");
    const QByteArray root = home.path().toLocal8Bit();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("XDG_STATE_HOME", root + "/state");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    qputenv("QUILLORY_TEST_HOME", root);
    // Log lines go to the error output, where CTest shows them and the tests read those of the
    // programs they start, never to the system journal.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
    // Listing the tests happens without CTest's environment; it needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    TestApplication application(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
