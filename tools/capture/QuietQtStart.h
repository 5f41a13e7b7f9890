#pragma once

// Qt's start-up warns when XDG_RUNTIME_DIR is unset, as it is in containers and
// CI jobs, where this tool most often runs, and then uses a directory of its
// own; the tool never uses that directory. Dropping this one warning keeps
// every failure one line and a success silent. Other messages pass as before.
// Call before the QGuiApplication is made.
void dropQtRuntimeDirWarning();
