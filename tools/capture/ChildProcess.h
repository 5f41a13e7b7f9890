#pragma once

// A helper program (ffmpeg, ffprobe) run in a process group of its own: Ctrl-C
// in the terminal reaches only us, and ending the helper ends whatever it
// started too. Once the capture is interrupted, a helper runs no longer than
// the time left to finish (Interruption::timeIsUp); then it gets SIGTERM, and
// SIGKILL after a short grace.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program`; its standard input, output and error are the
    // descriptors given (-1: /dev/null). False, with errno set, if it cannot start.
    bool start(const QString& program, const QStringList& arguments, int input, int output, int error);
    // Runs `program` to its end with its standard output and error collected in `said`.
    bool run(const QString& program, const QStringList& arguments, QByteArray& said);
    // Waits for it to end, reading `from` (when not -1) into `said` meanwhile.
    // True if it exited by itself with status 0.
    bool wait(int from = -1, QByteArray* said = nullptr);
    // Ends it now: SIGTERM to its group, SIGKILL after the grace.
    void end();
    bool running() const { return pid > 0; }

    // How it ended, in words, to follow "ffmpeg ...".
    QString howItEnded() const;

private:
    bool reap(bool block);

    pid_t pid = -1;
    pid_t group = -1;
    int groupTicket = -1;
    int status = 0;
    bool endedHere = false;
};
