#pragma once

#include <atomic>

// The one instance of T in the process: made on first use, safe against a concurrent first
// use, and never destroyed, so no thread of the client outlives it at exit. Whoever must not
// make it (a notice, the termination) asks whether it exists.
template <typename T> class ProcessWide
{
public:
    static T& instance()
    {
        static T* const made = [] {
            T* instance = new T;
            s_made.store(instance);
            return instance;
        }();
        return *made;
    }

    static T* ifMade() { return s_made.load(); }

private:
    static inline std::atomic<T*> s_made = nullptr;
};
