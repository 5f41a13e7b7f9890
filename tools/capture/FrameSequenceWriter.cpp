#include "FrameSequenceWriter.h"

#include "SoundtrackClip.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryFile>

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
    QDir dir(directory);
    if (dir.exists()) {
        if (!dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty())
            return fail(QStringLiteral("--frames: '%1' is not empty; give a new or empty directory").arg(directory));
    } else {
        if (!QDir().mkpath(directory))
            return fail(QStringLiteral("cannot write '%1': the directory cannot be made").arg(directory));
        madeDirectory = true;
    }
    // Find out now, not after the first frame has been rendered, whether files can go there.
    QTemporaryFile probe(dir.filePath(QStringLiteral(".probe-XXXXXX")));
    if (!probe.open()) {
        const QString why = probe.errorString();
        abandon();
        return fail(QStringLiteral("cannot write '%1': %2").arg(directory, why));
    }
    return true;
}

bool FrameSequenceWriter::write(const QImage& frame)
{
    const QString path = QDir(directory).filePath(frameName(next));
    // QSaveFile writes beside the target and renames on commit: no frame is ever half there.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !frame.save(&file, "PNG", kPngQuality) || !file.commit())
        return fail(QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
    written << path;
    ++next;
    return true;
}

bool FrameSequenceWriter::finish(std::int64_t frames)
{
    const QString path = QDir(directory).filePath(musicName());
    QSaveFile file(path);
    const std::int64_t samples = range.sampleCount(frames, soundtrack.sampleRate());
    if (!file.open(QIODevice::WriteOnly) ||
        !soundtrack.write(file, range.firstSample(soundtrack.sampleRate()), samples) || !file.commit())
        return fail(QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
    written << path;
    return true;
}

void FrameSequenceWriter::abandon()
{
    for (const QString& path : written)
        QFile::remove(path);
    written.clear();
    if (madeDirectory) {
        QDir().rmdir(directory);
        madeDirectory = false;
    }
}
