#pragma once
// A process-wide value read and written from several browser-window threads.
// Reads hand out a copy, so no caller ever holds a reference into a value that
// another thread is replacing.
#include "Win32.h"

#include <utility>

namespace marlin {

template <typename T>
class ProcessValue {
public:
    ProcessValue() = default;
    ProcessValue(const ProcessValue&) = delete;
    ProcessValue& operator=(const ProcessValue&) = delete;

    T get() const
    {
        ::AcquireSRWLockShared(&m_lock);
        T copy = m_value;
        ::ReleaseSRWLockShared(&m_lock);
        return copy;
    }

    void set(T value)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        std::swap(m_value, value);
        ::ReleaseSRWLockExclusive(&m_lock);
    }

    ProcessValue& operator=(T value)
    {
        set(std::move(value));
        return *this;
    }

private:
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    T m_value{};
};

} // namespace marlin
