#pragma once

// Ctrl-C (or SIGTERM, SIGHUP) during a capture: the handler only notes it, and the
// render loop stops at the next frame and finishes what it has written.

namespace Interruption {

// Installs the handler for SIGINT, SIGTERM and SIGHUP (system calls they interrupt are restarted).
void install();
bool requested();

} // namespace Interruption
