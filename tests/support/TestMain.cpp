// Entry point of every test program. Each case gets its own XDG folders in a temporary
// directory, so no test reads or writes the real ones, and a program run whole, by hand, gives
// every case fresh folders as CTest does, which runs each case in a process of its own.
#include "TestHome.h"

#include <QtGlobal>

#include <gmock/gmock.h>

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

int main(int argc, char** argv)
{
    const TestHome home;
    if (!home.isValid())
        qFatal("cannot create a temporary home folder");
    // Log lines go to the error output, where CTest shows them and the tests read those of the
    // programs they start, never to the system journal.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
    // Listing the tests happens without CTest's environment; it needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QUILLORY_TEST_PLATFORM);

    TestApplication application(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    TestHome::givePerCaseHomes();
    return RUN_ALL_TESTS();
}
