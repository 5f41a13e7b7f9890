#pragma once

// Writes the flash report and the plots: each file is checked before the
// first frame is drawn, then written whole under a temporary name and renamed
// into place, or not at all.

#include <QByteArray>
#include <QString>

class ReportFile
{
public:
    // Empty if `path` can be written, or is empty (no file asked for);
    // otherwise a line naming what stands in the way.
    static QString check(const QString& path);
    // Writes `bytes` to `path`; false, with `error` set, if it could not.
    static bool save(const QString& path, const QByteArray& bytes, QString& error);
};
