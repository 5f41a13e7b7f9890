#pragma once

#include <QString>

// What `umbrafen-capture --help` prints: every option with its default, the
// modes, two examples, what the tool needs and its exit statuses.
QString captureHelp();

// What `umbrafen-capture --version` prints: the project's version.
QString captureVersion();
