#include "Interruption.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <initializer_list>

namespace {

// What a signal leaves to finish the output: ffmpeg's last frames, its trailer
// and the check of the file. Ending a helper that overruns takes up to 0.2 s
// more (ChildProcess), which leaves 0.2 s of the 2 s promised for a busy machine.
constexpr std::int64_t kFinishAllowanceNs = 1'600'000'000;

volatile std::sig_atomic_t signals = 0;
std::atomic<std::int64_t> firstSignalNs{0};
static_assert(std::atomic<std::int64_t>::is_always_lock_free, "the signal handler stores the time");

std::int64_t monotonicNs()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);  // async-signal-safe
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

extern "C" void noteInterrupt(int)
{
    if (signals == 0)
        firstSignalNs.store(monotonicNs());
    signals = signals + 1;
}

} // namespace

namespace Interruption {

void install()
{
    struct sigaction action = {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);  // one handler at a time: the first time stays the first
    action.sa_flags = SA_RESTART;
    // Being told to end by the system, or losing the terminal, is handled
    // alike: the output is finished, not left half-written. A signal ignored
    // when the tool started stays ignored: under nohup, logging out must not
    // stop a long capture.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before = {};
        sigaction(signal, nullptr, &before);
        if (before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

bool requested()
{
    return signals != 0;
}

bool timeIsUp()
{
    if (signals == 0)
        return false;
    return signals > 1 || monotonicNs() - firstSignalNs.load() >= kFinishAllowanceNs;
}

} // namespace Interruption
