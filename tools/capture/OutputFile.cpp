#include "OutputFile.h"

#include "ExitCleanup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinks = 40;  // as many as the kernel follows in one path
// The hidden name is "." + the target's name + ".XXXXXX" + a suffix: a longer
// name is cut so that the whole stays within the 255 bytes a name may have.
constexpr int kMaxHiddenStemBytes = 200;

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

const char* kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISLNK(mode))
        return "a symbolic link";
    return "not a regular file";
}

QString cannotWrite(const QString& target, const QString& resolved, const QString& why)
{
    if (resolved.isEmpty() || resolved == target)
        return QStringLiteral("cannot write '%1': %2").arg(target, why);
    return QStringLiteral("cannot write '%1' (a link to '%2'): %3").arg(target, resolved, why);
}

QString notRegular(mode_t mode)
{
    return QStringLiteral("it is %1, not a regular file; refusing to replace it").arg(QLatin1String(kindOf(mode)));
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The first `bytes` bytes of a UTF-8 name, not cutting a character in two.
QByteArray cutName(const QByteArray& name, int bytes)
{
    if (name.size() <= bytes)
        return name;
    while (bytes > 0 && (static_cast<unsigned char>(name[bytes]) & 0xc0u) == 0x80u)
        --bytes;
    return name.left(bytes);
}

} // namespace

OutputFile::OutputFile(const QString& path, const QString& hiddenSuffix) : target(path), suffix(hiddenSuffix)
{
}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::followLinks(const QString& path, QString& resolvedPath, QString& error)
{
    QByteArray current = QFile::encodeName(path);
    if (current.isEmpty()) {
        error = QStringLiteral("no file name given");
        return false;
    }
    for (int hops = 0;; ++hops) {
        struct stat info = {};
        if (::lstat(current.constData(), &info) != 0) {
            // Not there yet: it is made where the links lead, if its directory exists.
            if (errno == ENOENT)
                break;
            error = reason(errno);
            return false;
        }
        if (!S_ISLNK(info.st_mode))
            break;
        char link[PATH_MAX];
        const ssize_t length = ::readlink(current.constData(), link, sizeof link);
        if (hops == kMaxLinks || length < 0 || length == static_cast<ssize_t>(sizeof link)) {
            error = reason(length < 0 ? errno : ELOOP);
            return false;
        }
        QByteArray next(link, static_cast<int>(length));
        const int slash = current.lastIndexOf('/');
        if (!next.startsWith('/') && slash >= 0)
            next.prepend(current.left(slash + 1));
        current = next;
    }
    resolvedPath = QFile::decodeName(current);
    return true;
}

QString OutputFile::destination(const QString& path)
{
    QString resolvedPath = path;
    QString why;
    followLinks(path, resolvedPath, why);
    const QFileInfo file(QDir::current().absoluteFilePath(resolvedPath));
    const QString directory = file.dir().canonicalPath();  // empty where it does not exist
    return QDir::cleanPath((directory.isEmpty() ? file.absolutePath() : directory) + '/' + file.fileName());
}

QString OutputFile::refusal(const QString& path)
{
    QString resolvedPath;
    QString why;
    if (!followLinks(path, resolvedPath, why))
        return cannotWrite(path, QString(), why);
    struct stat info = {};
    if (::stat(QFile::encodeName(resolvedPath).constData(), &info) != 0)
        return QString();
    if (!S_ISREG(info.st_mode))
        return cannotWrite(path, resolvedPath, notRegular(info.st_mode));
    // In a sticky directory (/tmp) only the file's or the directory's owner
    // may replace a file: found out now, not when the finished output is renamed.
    struct stat directory = {};
    const uid_t user = ::geteuid();
    if (user != 0 && info.st_uid != user &&
        ::stat(QFile::encodeName(QFileInfo(resolvedPath).path()).constData(), &directory) == 0 &&
        (directory.st_mode & S_ISVTX) != 0 && directory.st_uid != user)
        return cannotWrite(path, resolvedPath,
                           QStringLiteral("it belongs to another user, in a sticky directory where only its owner "
                                          "may replace it"));
    return QString();
}

QString OutputFile::unwritable(const QString& path)
{
    if (path.isEmpty())
        return QString();
    OutputFile probe(path);
    if (!probe.open())
        return probe.errorString();
    probe.discard();
    return QString();
}

bool OutputFile::writeFile(const QString& path, const QByteArray& bytes, QString& error)
{
    OutputFile file(path);
    if (file.open() && file.write(bytes) == bytes.size() && file.commit())
        return true;
    error = file.errorString();
    return false;
}

bool OutputFile::open(OpenMode mode)
{
    discard();
    if (mode != WriteOnly)
        return failed(QStringLiteral("an output is opened for writing only"));
    const QString problem = refusal(target);
    if (!problem.isEmpty()) {
        setErrorString(problem);
        return false;
    }
    QString why;
    followLinks(target, resolved, why);

    const QByteArray whole = QFile::encodeName(resolved);
    const int slash = whole.lastIndexOf('/');
    const QByteArray suffixBytes = QFile::encodeName(suffix);
    QByteArray pattern = whole.left(slash + 1) + '.' + cutName(whole.mid(slash + 1), kMaxHiddenStemBytes) +
                         ".XXXXXX" + suffixBytes;
    descriptor = ::mkostemps(pattern.data(), suffixBytes.size(), O_CLOEXEC);
    if (descriptor < 0)
        return failed(reason(errno));
    hidden = QFile::decodeName(pattern);
    cleanupTicket = ExitCleanup::rememberFile(pattern.constData());
    return QIODevice::open(WriteOnly | Unbuffered);
}

bool OutputFile::commit()
{
    if (descriptor < 0)
        return failed(QStringLiteral("it is not open"));
    // On the disk before it gets the name: a crash leaves the old file or the
    // new one, never an empty one. A late write error (a quota, a network
    // file system) shows up here too.
    if (::fdatasync(descriptor) != 0 && errno != EINVAL && errno != EROFS)
        return failed(reason(errno));

    const QByteArray destination = QFile::encodeName(resolved);
    struct stat old = {};
    mode_t mode = 0666 & ~currentUmask();
    if (::lstat(destination.constData(), &old) == 0) {
        // Something else may have been put there while the file was written.
        if (!S_ISREG(old.st_mode))
            return failed(notRegular(old.st_mode));
        mode = old.st_mode & 0777;
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(descriptor, old.st_uid, old.st_gid) != 0) {
            // Not allowed to give it away: a member of its group can still keep the group.
            [[maybe_unused]] const int ignored = ::fchown(descriptor, static_cast<uid_t>(-1), old.st_gid);
        }
    }
    if (::fchmod(descriptor, mode) != 0)
        return failed(reason(errno));
    if (::rename(QFile::encodeName(hidden).constData(), destination.constData()) != 0)
        return failed(reason(errno));
    hidden.clear();
    discard();
    return true;
}

void OutputFile::discard()
{
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
    if (!hidden.isEmpty()) {
        ::unlink(QFile::encodeName(hidden).constData());
        hidden.clear();
    }
    ExitCleanup::forgetFile(cleanupTicket);
    cleanupTicket = -1;
    if (isOpen())
        QIODevice::close();
}

qint64 OutputFile::readData(char*, qint64)
{
    return -1;
}

qint64 OutputFile::writeData(const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t written = ::write(descriptor, data + done, static_cast<std::size_t>(size - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            setErrorString(cannotWrite(target, QString(), reason(written < 0 ? errno : ENOSPC)));
            return -1;
        }
        done += written;
    }
    return done;
}

bool OutputFile::failed(const QString& why)
{
    discard();
    setErrorString(cannotWrite(target, QString(), why));
    return false;
}
