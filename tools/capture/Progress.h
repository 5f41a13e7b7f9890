#pragma once

// Reports how a capture goes on standard error: frames done of the total,
// frames per second and the time left. On a terminal it is one line that
// updates itself; otherwise a plain line about once a second.

#include <chrono>
#include <cstdint>
#include <cstdio>

class Progress
{
public:
    Progress(std::int64_t total, std::FILE* stream);

    // Call after each frame; prints when a report is due.
    void update(std::int64_t done);
    // Prints the last report and ends its line.
    void finish(std::int64_t done);

private:
    using Clock = std::chrono::steady_clock;

    void report(std::int64_t done, bool last);

    std::int64_t total;
    std::FILE* stream;
    bool terminal;
    Clock::time_point started;
    Clock::time_point reported;
};
