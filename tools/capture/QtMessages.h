#pragma once

// Qt's own diagnostics are for whoever works on the tool, not for its users:
// warnings such as "QStandardPaths: XDG_RUNTIME_DIR not set" are dropped, and
// a critical or fatal message comes out as one line like the tool's own. Call
// before the application object exists.
void routeQtMessages();
