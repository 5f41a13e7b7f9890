#pragma once

#include "app/MainWidget.h"

#include <cstdint>

// A demo clock the test moves by hand, installed for the lifetime of the object.
class FakeClock
{
public:
    FakeClock()
    {
        nanos() = 1'000'000'000'000;
        reads() = 0;
        MainWidget::setClock(&FakeClock::now);
    }
    ~FakeClock() { MainWidget::setClock(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void advance(double seconds) { nanos() += static_cast<std::int64_t>(seconds * 1e9); }
    // How many times the surface has read the clock: once at start, once per frame.
    int readCount() const { return reads(); }

private:
    static std::int64_t& nanos()
    {
        static std::int64_t value = 0;
        return value;
    }
    static int& reads()
    {
        static int value = 0;
        return value;
    }
    static std::int64_t now()
    {
        ++reads();
        return nanos();
    }
};
