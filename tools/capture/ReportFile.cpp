#include "ReportFile.h"

#include <QFileInfo>
#include <QSaveFile>

QString ReportFile::check(const QString& path)
{
    if (path.isEmpty())
        return QString();
    // A FIFO, a device or a directory is never replaced by a regular file.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("cannot write '%1': it is not a regular file").arg(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write '%1': %2").arg(path, file.errorString());
    file.cancelWriting();
    return QString();
}

bool ReportFile::save(const QString& path, const QByteArray& bytes, QString& error)
{
    error = check(path);
    if (!error.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("cannot write '%1': %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
