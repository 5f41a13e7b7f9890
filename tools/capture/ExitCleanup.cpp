#include "ExitCleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {

// A video needs three files at once (the video, its sound, ffmpeg's log) and
// one helper at a time; the rest is room for outputs added later.
constexpr int kFiles = 16;
constexpr int kGroups = 4;

// Signals whose default ends the program; SIGINT, SIGTERM and SIGHUP are the
// capture's own (Interruption) and SIGPIPE is ignored.
constexpr int kFatalSignals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO,
                                 SIGPWR,  SIGSYS,  SIGTRAP, SIGSEGV, SIGBUS,    SIGFPE,  SIGILL,  SIGABRT};

enum SlotState : int
{
    kFree,
    kFilling,
    kHeld,
};

struct FileSlot
{
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

FileSlot files[kFiles];
std::atomic<pid_t> groups[kGroups];
struct sigaction previous[NSIG];

// Async-signal-safe: unlink() and kill() only.
void cleanUp()
{
    for (std::atomic<pid_t>& group : groups) {
        const pid_t id = group.exchange(0);
        if (id > 0)
            ::kill(-id, SIGKILL);
    }
    for (FileSlot& slot : files) {
        if (slot.state.exchange(kFree) == kHeld)
            ::unlink(slot.path);
    }
}

extern "C" void onExit()
{
    cleanUp();
}

extern "C" void onFatalSignal(int signal, siginfo_t* info, void*)
{
    cleanUp();
    sigaction(signal, &previous[signal], nullptr);
    // Sent by someone (kill, raise, abort): deliver it again to what was there
    // before, once this handler returns. A fault repeats by itself when the
    // faulting instruction runs again, with its own details for a sanitizer.
    if (info == nullptr || info->si_code <= 0)
        ::raise(signal);
}

void installOnce()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        std::atexit(onExit);
        struct sigaction action = {};
        action.sa_sigaction = onFatalSignal;
        sigfillset(&action.sa_mask);
        action.sa_flags = SA_SIGINFO;
        for (const int signal : kFatalSignals) {
            sigaction(signal, nullptr, &previous[signal]);
            // A signal the parent chose to ignore stays ignored.
            if (previous[signal].sa_handler != SIG_IGN)
                sigaction(signal, &action, nullptr);
        }
    });
}

} // namespace

namespace ExitCleanup {

int rememberFile(const char* path)
{
    installOnce();
    if (std::strlen(path) >= PATH_MAX)
        return -1;
    for (int i = 0; i < kFiles; ++i) {
        int free = kFree;
        if (!files[i].state.compare_exchange_strong(free, kFilling))
            continue;
        std::strcpy(files[i].path, path);
        files[i].state.store(kHeld);
        return i;
    }
    return -1;
}

void forgetFile(int ticket)
{
    if (ticket >= 0 && ticket < kFiles)
        files[ticket].state.store(kFree);
}

int rememberGroup(pid_t group)
{
    installOnce();
    for (int i = 0; i < kGroups; ++i) {
        pid_t none = 0;
        if (groups[i].compare_exchange_strong(none, group))
            return i;
    }
    return -1;
}

void forgetGroup(int ticket)
{
    if (ticket >= 0 && ticket < kGroups)
        groups[ticket].store(0);
}

} // namespace ExitCleanup
