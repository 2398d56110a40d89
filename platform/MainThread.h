#pragma once

#include <QCoreApplication>
#include <QThread>

// The application's own state lives on the main thread; entry points check it in debug builds.
inline bool isMainThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return !application || QThread::currentThread() == application->thread();
}

#define QUILLORY_ASSERT_MAIN_THREAD()                                                              \
    Q_ASSERT_X(isMainThread(), Q_FUNC_INFO, "not on the main thread")
