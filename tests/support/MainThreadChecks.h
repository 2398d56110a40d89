#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>
#include <vector>

using NamedCall = std::pair<const char*, std::function<void()>>;

// Each call, made on a thread of its own, ends the program in its main-thread check. The checks
// are those of debug builds; a release build skips the case.
inline void expectEachCaughtOffTheMainThread(const std::vector<NamedCall>& calls)
{
#ifdef QT_NO_DEBUG
    GTEST_SKIP() << "the main-thread checks are left out of release builds";
#endif
    // A child that starts afresh rather than a copy of this process and its threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const auto& [what, call] : calls) {
        SCOPED_TRACE(what);
        EXPECT_DEATH(std::thread(call).join(), "not on the main thread");
    }
}
