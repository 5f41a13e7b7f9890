#pragma once

// Ctrl-C (or SIGTERM, SIGHUP) during a capture: the handler only notes it and
// when, and the capture stops at the next frame and finishes what it has
// written, or abandons it if that cannot be done in time.

namespace Interruption {

// Installs the handler for SIGINT, SIGTERM and SIGHUP, but for those ignored
// on start (nohup); system calls they interrupt are restarted.
void install();
bool requested();
// Whether the output must be given up now: a second signal came, or the time
// allowed to finish the output after the first one has run out.
bool timeIsUp();

} // namespace Interruption
