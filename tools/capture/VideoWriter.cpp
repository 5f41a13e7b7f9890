#include "VideoWriter.h"

#include "Interruption.h"
#include "SoundtrackClip.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// What a video site takes as it is: H.264 High in yuv420p with BT.709 colour,
// AAC at 48 kHz, and for MP4 the index at the front so playback starts at once.
constexpr const char* kAudioBitrate = "384k";
constexpr int kAudioRateHz = 48000;
// ffmpeg's AAC encoder starts every stream with this many samples of its own
// (priming) at the output rate. MP4 skips them through an edit list; Matroska
// has none, so ffmpeg would shift the whole file by their 21 ms and put frame
// n at 0.021 + n / rate. Handed the sound that much later, ffmpeg keeps both
// streams at 0: the range's first 21 ms of sound give way to the priming.
constexpr std::int64_t kAacPrimingSamples = 1024;
// Room kept for ffmpeg's log, so that its last words survive a full disk.
constexpr off_t kLogReserveBytes = 64 * 1024;
constexpr int kPipeBytes = 1 << 20;
// How long a write waits on a full pipe before it looks at the interruption again.
constexpr int kPipeWaitMs = 20;
// After Ctrl-C, an ffmpeg that takes no bytes for this long has stopped
// reading: the video is given up at once rather than at the deadline. A
// working ffmpeg takes some of a frame every few milliseconds, even at 4K.
constexpr std::chrono::milliseconds kStalledAfterInterruption(500);

bool isMp4(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("mp4"), Qt::CaseInsensitive) == 0;
}

// ffmpeg reads a name with a colon as a protocol; "file:" keeps every name a file.
QString fileUrl(const QString& path)
{
    return QStringLiteral("file:") + path;
}

} // namespace

VideoWriter::VideoWriter(const VideoSettings& videoSettings, const FrameRange& frames, const SoundtrackClip& music)
    : settings(videoSettings), range(frames), soundtrack(music), video(videoSettings.path),
      sound(videoSettings.path, QStringLiteral(".wav")), log(videoSettings.path, QStringLiteral(".log"))
{
}

VideoWriter::~VideoWriter()
{
    abandon();
}

QString VideoWriter::findFfmpeg()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

QString VideoWriter::findFfprobe()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
}

std::int64_t VideoWriter::soundDelay() const
{
    return isMp4(settings.path) ? 0 : aacFrameSamples();
}

std::int64_t VideoWriter::aacFrameSamples() const
{
    return (kAacPrimingSamples * soundtrack.sampleRate() + kAudioRateHz / 2) / kAudioRateHz;
}

QStringList VideoWriter::ffmpegArguments() const
{
    const FrameRate rate = range.rate();
    QStringList arguments = {
        // Input 0: the frames, as QImage::Format_RGB32 lays them out in memory.
        "-hide_banner", "-nostdin", "-loglevel", "error", "-xerror", "-y",
        "-f", "rawvideo", "-pix_fmt", "bgra",
        "-video_size", QStringLiteral("%1x%2").arg(settings.width).arg(settings.height),
        "-framerate", QStringLiteral("%1/%2").arg(rate.num).arg(rate.den),
        "-i", "pipe:0",
    };
    // Input 1: the soundtrack over the same range, later by the priming in Matroska.
    if (const std::int64_t delay = soundDelay(); delay > 0)
        arguments << "-itsoffset" << QString::number(double(delay) / soundtrack.sampleRate(), 'f', 9);
    arguments << "-i" << fileUrl(sound.temporaryPath());
    arguments += {
        "-map", "0:v:0", "-map", "1:a:0",
        "-vf", "scale=out_color_matrix=bt709:out_range=tv",
        "-c:v", "libx264", "-profile:v", "high", "-pix_fmt", "yuv420p",
        "-crf", QString::number(settings.crf),
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
        "-c:a", "aac", "-b:a", kAudioBitrate, "-ar", QString::number(kAudioRateHz),
        // Stopped early, the sound ends with the last frame.
        "-shortest",
    };
    if (isMp4(settings.path))
        arguments << "-movflags" << "+faststart" << "-f" << "mp4";
    else
        arguments << "-f" << "matroska";
    arguments << fileUrl(video.temporaryPath());
    return arguments;
}

bool VideoWriter::open()
{
    // A closed pipe must come back from write() as an error, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    if (findFfmpeg().isEmpty())
        return fail(QString::fromLatin1(kFfmpegMissing));
    if (findFfprobe().isEmpty())
        return fail(QStringLiteral("ffprobe is not installed; it comes with ffmpeg (on Debian: sudo apt-get install ffmpeg)"));
    // The target is checked, and its hidden file made, before any frame is drawn.
    if (!video.open())
        return fail(video.errorString());
    if (writeSoundtrack() && startFfmpeg())
        return true;
    abandon();
    return false;
}

bool VideoWriter::writeSoundtrack()
{
    const std::uint32_t rate = soundtrack.sampleRate();
    const std::int64_t delay = soundDelay();
    // The sound spans the frames exactly; but for at least one AAC frame,
    // without which ffmpeg writes a sound stream with no sound in it (a
    // video shorter than 21 ms carries that much sound).
    const std::int64_t samples = std::max(range.sampleCount(range.frameCount(), rate) - delay, aacFrameSamples());
    if (!sound.open() || !soundtrack.write(sound, range.firstSample(rate) + delay, samples))
        return fail(sound.errorString());
    return true;
}

bool VideoWriter::startFfmpeg()
{
    if (!log.open())
        return fail(log.errorString());
    // Blocks kept for the log: ffmpeg writes into them even when the disk is full.
    if (::fallocate(log.handle(), FALLOC_FL_KEEP_SIZE, 0, kLogReserveBytes) != 0 && errno == ENOSPC)
        return fail(QStringLiteral("cannot write '%1': %2").arg(settings.path, QString::fromLocal8Bit(std::strerror(errno))));

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return fail(QStringLiteral("cannot start ffmpeg: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    // Our end never blocks: a write waits in poll(), which also watches for
    // Ctrl-C. A pipe of 1 MB (the most an unprivileged process may ask for)
    // rather than 64 KB takes a frame in a sixteenth of the calls.
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    ::fcntl(ends[1], F_SETPIPE_SZ, kPipeBytes);
    const bool started = ffmpeg.start(findFfmpeg(), ffmpegArguments(), ends[0], -1, log.handle());
    const int why = errno;
    ::close(ends[0]);
    if (!started) {
        ::close(ends[1]);
        return fail(QStringLiteral("cannot start %1: %2").arg(findFfmpeg(), QString::fromLocal8Bit(std::strerror(why))));
    }
    pipeInput = ends[1];
    return true;
}

bool VideoWriter::write(const QImage& frame)
{
    if (pipeInput < 0)
        return fail(QStringLiteral("the video '%1' is not open").arg(settings.path));
    // ffmpeg counts bytes, not frames: anything but a whole frame of the agreed layout would shift every later one.
    if (frame.format() != QImage::Format_RGB32 || frame.width() != settings.width || frame.height() != settings.height)
        return fail(QStringLiteral("a frame could not be read back from OpenGL"));
    const char* bytes = reinterpret_cast<const char*>(frame.constBits());
    auto left = static_cast<std::size_t>(frame.sizeInBytes());
    auto progressed = std::chrono::steady_clock::now();
    while (left > 0) {
        if (Interruption::timeIsUp() ||
            (Interruption::requested() && std::chrono::steady_clock::now() - progressed > kStalledAfterInterruption))
            return fail(QStringLiteral("ffmpeg did not take the frames in time"));
        const ssize_t written = ::write(pipeInput, bytes, left);
        if (written > 0) {
            bytes += written;
            left -= static_cast<std::size_t>(written);
            progressed = std::chrono::steady_clock::now();
        } else if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd room = {pipeInput, POLLOUT, 0};
            ::poll(&room, 1, kPipeWaitMs);
        } else {
            // ffmpeg has gone; what it said tells why.
            ::close(pipeInput);
            pipeInput = -1;
            ffmpeg.wait();
            const QString said = ffmpegSays();
            return fail(QStringLiteral("ffmpeg stopped reading the frames for '%1': %2")
                            .arg(settings.path, said.isEmpty() ? QStringLiteral("it ") + ffmpeg.howItEnded() : said));
        }
    }
    return true;
}

bool VideoWriter::finish(std::int64_t frames)
{
    if (pipeInput >= 0) {
        ::close(pipeInput);
        pipeInput = -1;
    }
    const bool exited = ffmpeg.wait();
    const QString said = ffmpegSays();
    if (!exited || !said.isEmpty())
        return fail(QStringLiteral("ffmpeg could not write '%1': %2")
                        .arg(settings.path, said.isEmpty() ? QStringLiteral("it ") + ffmpeg.howItEnded() : said));
    const QString missing = incompleteness(frames);
    if (!missing.isEmpty())
        return fail(QStringLiteral("'%1' is incomplete: %2").arg(settings.path, missing));
    if (!video.commit())
        return fail(video.errorString());
    sound.discard();
    log.discard();
    return true;
}

void VideoWriter::abandon()
{
    if (pipeInput >= 0) {
        ::close(pipeInput);
        pipeInput = -1;
    }
    // ffmpeg goes before its files do.
    ffmpeg.end();
    video.discard();
    sound.discard();
    log.discard();
}

QString VideoWriter::incompleteness(std::int64_t frames)
{
    QByteArray said;
    ChildProcess probe;
    const bool ran = probe.run(findFfprobe(),
                               {"-v", "error", "-count_packets", "-show_entries", "stream=codec_type,nb_read_packets",
                                "-of", "csv=p=0", fileUrl(video.temporaryPath())},
                               said);
    // "N/A" packets: a stream with none.
    static const QRegularExpression stream(QStringLiteral("^(video|audio),(\\d+|N/A)$"));
    std::int64_t videoPackets = -1;
    std::int64_t audioPackets = -1;
    QStringList problems;
    for (const QString& line : QString::fromLocal8Bit(said).split('\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = stream.match(line.trimmed());
        if (!match.hasMatch())
            problems << line.trimmed();
        else if (match.captured(1) == QLatin1String("video"))
            videoPackets = match.captured(2).toLongLong();
        else
            audioPackets = match.captured(2).toLongLong();
    }
    if (!problems.isEmpty())
        return inUserTerms(problems.first()).remove(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(settings.path) + QStringLiteral(": ")));
    if (!ran)
        return QStringLiteral("ffprobe ") + probe.howItEnded();
    if (videoPackets != frames)
        return QStringLiteral("it holds %1 of the %2 frames written").arg(std::max<std::int64_t>(0, videoPackets)).arg(frames);
    if (audioPackets <= 0)
        return QStringLiteral("it has no sound");
    return QString();
}

QString VideoWriter::ffmpegSays() const
{
    QFile said(log.temporaryPath());
    if (!said.open(QIODevice::ReadOnly))
        return QString();
    // "[matroska @ 0x55d0c0a8] " names the part of ffmpeg that speaks; the
    // last line, "Conversion failed!", adds nothing to the first.
    static const QRegularExpression speaker(QStringLiteral("^\\[[^\\]]* @ 0x[0-9a-f]+\\] "));
    // Its first words are enough: a log grown huge is not read whole into memory.
    for (QString line : QString::fromLocal8Bit(said.read(kLogReserveBytes)).split('\n', Qt::SkipEmptyParts)) {
        line = line.remove(speaker).trimmed();
        if (!line.isEmpty() && line != QLatin1String("Conversion failed!"))
            return inUserTerms(line);
    }
    return QString();
}

QString VideoWriter::inUserTerms(QString message) const
{
    return message.replace(fileUrl(video.temporaryPath()), settings.path)
        .replace(video.temporaryPath(), settings.path);
}
