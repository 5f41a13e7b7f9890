#include "ChildProcess.h"

#include "ExitCleanup.h"
#include "Interruption.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

extern char** environ;

namespace {

// How often a wait looks at the helper and the interruption: a hundredth of
// a second costs nothing next to encoding and keeps the 2 s promise.
constexpr int kWaitStepMs = 10;
// What a helper gets to end on SIGTERM before SIGKILL.
constexpr std::chrono::milliseconds kTerminateGrace(200);

void drain(int from, QByteArray& said)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got > 0)
            said.append(buffer, static_cast<int>(got));
        else if (got < 0 && errno == EINTR)
            continue;
        else
            return;
    }
}

} // namespace

ChildProcess::~ChildProcess()
{
    end();
}

bool ChildProcess::start(const QString& program, const QStringList& arguments, int input, int output, int error)
{
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int ends[3] = {input, output, error};
    for (int target = 0; target < 3; ++target) {
        if (ends[target] < 0)
            posix_spawn_file_actions_addopen(&actions, target, "/dev/null", target == 0 ? O_RDONLY : O_WRONLY, 0);
        else
            posix_spawn_file_actions_adddup2(&actions, ends[target], target);
    }
    // Its own process group; the signals we ignore or catch go back to their
    // defaults, but for SIGXFSZ: a file-size limit stays an error it reports.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
        sigaddset(&defaults, signal);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid = -1;
        errno = spawned;
        return false;
    }
    group = pid;
    groupTicket = ExitCleanup::rememberGroup(group);
    endedHere = false;
    return true;
}

bool ChildProcess::run(const QString& program, const QStringList& arguments, QByteArray& said)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return false;
    const bool started = start(program, arguments, -1, ends[1], ends[1]);
    if (!started)
        said = QStringLiteral("cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(errno))).toLocal8Bit();
    ::close(ends[1]);
    const bool succeeded = started && wait(ends[0], &said);
    ::close(ends[0]);
    return succeeded;
}

bool ChildProcess::wait(int from, QByteArray* said)
{
    if (from >= 0)
        ::fcntl(from, F_SETFL, ::fcntl(from, F_GETFL) | O_NONBLOCK);
    while (pid > 0) {
        if (Interruption::timeIsUp()) {
            end();
            break;
        }
        pollfd readable = {from, POLLIN, 0};
        if (::poll(&readable, from >= 0 ? 1 : 0, kWaitStepMs) > 0) {
            const qsizetype before = said->size();
            drain(from, *said);
            // Closed by the helper: nothing more to read there.
            if (said->size() == before && (readable.revents & (POLLHUP | POLLERR)) != 0)
                from = -1;
        }
        reap(false);
    }
    if (from >= 0)
        drain(from, *said);
    return !endedHere && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ChildProcess::end()
{
    if (pid <= 0)
        return;
    endedHere = true;
    ::kill(-group, SIGTERM);
    const auto givenUp = std::chrono::steady_clock::now() + kTerminateGrace;
    while (!reap(false) && std::chrono::steady_clock::now() < givenUp)
        ::poll(nullptr, 0, kWaitStepMs);
    // Whatever is left of its group goes too, the helper itself if it ignored SIGTERM.
    ::kill(-group, SIGKILL);
    reap(true);
}

bool ChildProcess::reap(bool block)
{
    if (pid <= 0)
        return true;
    pid_t waited;
    do {
        waited = ::waitpid(pid, &status, block ? 0 : WNOHANG);
    } while (waited < 0 && errno == EINTR);
    if (waited == 0)
        return false;
    pid = -1;
    ExitCleanup::forgetGroup(groupTicket);
    groupTicket = -1;
    return true;
}

QString ChildProcess::howItEnded() const
{
    if (endedHere)
        return QStringLiteral("was stopped after the interruption");
    if (WIFSIGNALED(status))
        return QStringLiteral("was killed by signal %1 (%2)")
            .arg(WTERMSIG(status))
            .arg(QString::fromLocal8Bit(strsignal(WTERMSIG(status))));
    return QStringLiteral("exited with status %1").arg(WEXITSTATUS(status));
}
