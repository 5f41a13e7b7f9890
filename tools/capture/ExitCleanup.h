#pragma once

// What must not outlive the program if it ends abruptly: hidden temporary
// files and the process groups of helpers such as ffmpeg. Normally their
// owners remove them; this list is the last resort for exit() and for fatal
// signals (a crash, abort(), SIGQUIT, SIGUSR1 ...). Only SIGKILL escapes it.
//
// The first registration installs the handlers. SIGXFSZ is ignored from then
// on, so that a file-size limit makes a write fail with EFBIG, which is
// reported like a full disk, instead of killing the program.

#include <sys/types.h>

namespace ExitCleanup {

// Remembers a file to remove; returns a ticket for forgetFile, or -1 if the list is full.
int rememberFile(const char* path);
void forgetFile(int ticket);
// Remembers a process group to kill; returns a ticket for forgetGroup, or -1.
int rememberGroup(pid_t group);
void forgetGroup(int ticket);

} // namespace ExitCleanup
