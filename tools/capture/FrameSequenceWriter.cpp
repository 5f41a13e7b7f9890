#include "FrameSequenceWriter.h"

#include "OutputFile.h"
#include "SoundtrackClip.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// Qt maps this to zlib level 1 rather than its default 6: a sequence of
// full-HD frames is written much faster, in files a little larger.
constexpr int kPngQuality = 80;

} // namespace

FrameSequenceWriter::FrameSequenceWriter(const QString& frameDirectory, const FrameRange& frames,
                                         const SoundtrackClip& music)
    : directory(frameDirectory), range(frames), soundtrack(music)
{
}

FrameSequenceWriter::~FrameSequenceWriter()
{
    if (!finished)
        abandon();
}

QString FrameSequenceWriter::frameName(std::int64_t n)
{
    return QStringLiteral("frame-%1.png").arg(n, 6, 10, QLatin1Char('0'));
}

QString FrameSequenceWriter::musicName()
{
    return QStringLiteral("music.wav");
}

bool FrameSequenceWriter::open()
{
    QString why;
    if (!OutputFile::followLinks(directory, resolved, why))
        return fail(QStringLiteral("cannot write '%1': %2").arg(directory, why));
    struct stat info = {};
    if (::stat(QFile::encodeName(resolved).constData(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            return fail(QStringLiteral("--frames: '%1' is not a directory").arg(directory));
        if (!QDir(resolved).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty())
            return fail(QStringLiteral("--frames: '%1' is not empty; give a new or empty directory").arg(directory));
    } else if (!makeDirectories()) {
        return false;
    }
    // Find out now, not after the first frame has been rendered, whether files can go there.
    OutputFile probe(QDir(resolved).filePath(musicName()));
    if (!probe.open()) {
        const QString refused = probe.errorString();
        abandon();
        return fail(refused);
    }
    return true;
}

bool FrameSequenceWriter::makeDirectories()
{
    // Each missing directory on the way, outermost first, so that all of them can go again.
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(resolved));
    QStringList missing;
    for (QString path = absolute; !path.isEmpty() && !QFileInfo::exists(path); path = QFileInfo(path).path()) {
        missing.prepend(path);
        if (path == QFileInfo(path).path())
            break;
    }
    for (const QString& path : missing) {
        if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
            const QString why = QString::fromLocal8Bit(std::strerror(errno));
            abandon();
            return fail(QStringLiteral("cannot write '%1': %2").arg(directory, why));
        }
        madeDirectories << path;
    }
    return true;
}

bool FrameSequenceWriter::write(const QImage& frame)
{
    // Encoded in memory first: a failed write is ours to report, in one line.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!frame.save(&buffer, "PNG", kPngQuality))
        return fail(QStringLiteral("a frame could not be encoded as PNG"));
    const QString path = QDir(resolved).filePath(frameName(next));
    QString why;
    if (!OutputFile::writeFile(path, png, why))
        return fail(why);
    written << path;
    ++next;
    return true;
}

bool FrameSequenceWriter::finish(std::int64_t frames)
{
    const QString path = QDir(resolved).filePath(musicName());
    OutputFile file(path);
    const std::int64_t samples = range.sampleCount(frames, soundtrack.sampleRate());
    if (!file.open() || !soundtrack.write(file, range.firstSample(soundtrack.sampleRate()), samples) || !file.commit())
        return fail(file.errorString());
    written << path;
    finished = true;
    return true;
}

void FrameSequenceWriter::abandon()
{
    for (const QString& path : written)
        QFile::remove(path);
    written.clear();
    for (auto made = madeDirectories.crbegin(); made != madeDirectories.crend(); ++made)
        QDir().rmdir(*made);
    madeDirectories.clear();
    finished = false;
}
