#pragma once

// What the window program settles before Qt starts: --help and --version, and
// whether there is a display for its window. Qt would otherwise open its
// default platform and, with no display, abort in five lines with status 134.
// Returns the exit status when the program ends here (0 after help or version,
// 2 with one line on standard error when there is no display), else -1.
int settleBeforeQt(int argc, char** argv);
