#include "VideoWriter.h"

#include "SoundtrackClip.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace {

// What a video site takes as it is: H.264 High in yuv420p with BT.709 colour,
// AAC at 48 kHz, and for MP4 the index at the front so playback starts at once.
constexpr const char* kAudioBitrate = "384k";
constexpr const char* kAudioRate = "48000";

QString partialNameFor(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral(".%1.XXXXXX.part").arg(info.fileName()));
}

bool isMp4(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("mp4"), Qt::CaseInsensitive) == 0;
}

} // namespace

VideoWriter::VideoWriter(const VideoSettings& videoSettings, const FrameRange& frames,
                         const SoundtrackClip& music)
    : settings(videoSettings), range(frames), soundtrack(music)
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

QStringList VideoWriter::ffmpegArguments(const VideoSettings& settings, FrameRate rate, const QString& audioPath,
                                         const QString& outputPath)
{
    QStringList arguments = {
        // Input 0: the frames, as QImage::Format_RGB32 lays them out in memory.
        "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "bgra",
        "-video_size", QStringLiteral("%1x%2").arg(settings.width).arg(settings.height),
        "-framerate", QStringLiteral("%1/%2").arg(rate.num).arg(rate.den),
        "-i", "pipe:0",
        // Input 1: the soundtrack over the same range.
        "-i", audioPath,
        "-map", "0:v:0", "-map", "1:a:0",
        "-vf", "scale=out_color_matrix=bt709:out_range=tv",
        "-c:v", "libx264", "-profile:v", "high", "-pix_fmt", "yuv420p",
        "-crf", QString::number(settings.crf),
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
        "-c:a", "aac", "-b:a", kAudioBitrate, "-ar", kAudioRate,
        // Stopped early, the sound ends with the last frame.
        "-shortest",
    };
    if (isMp4(settings.path))
        arguments << "-movflags" << "+faststart" << "-f" << "mp4";
    else
        arguments << "-f" << "matroska";
    arguments << outputPath;
    return arguments;
}

bool VideoWriter::open()
{
    // A closed pipe must come back from write() as an error, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    const QString program = findFfmpeg();
    if (program.isEmpty())
        return fail(QString::fromLatin1(kFfmpegMissing));

    // The output's own directory takes the partial file, so that the final
    // rename cannot cross file systems and an unwritable place shows up now.
    QTemporaryFile partial(partialNameFor(settings.path));
    partial.setAutoRemove(false);
    if (!partial.open())
        return fail(QStringLiteral("cannot write '%1': %2").arg(settings.path, partial.errorString()));
    partialPath = partial.fileName();
    partial.close();

    audio.setFileTemplate(QDir(QDir::tempPath()).filePath(QStringLiteral("umbrafen-capture-XXXXXX.wav")));
    const std::int64_t samples = range.sampleCount(range.frameCount(), soundtrack.sampleRate());
    if (!audio.open() || !soundtrack.write(audio, range.firstSample(soundtrack.sampleRate()), samples) ||
        !audio.flush()) {
        abandon();
        return fail(QStringLiteral("cannot write the soundtrack for ffmpeg: %1").arg(audio.errorString()));
    }
    log.setFileTemplate(QDir(QDir::tempPath()).filePath(QStringLiteral("umbrafen-capture-XXXXXX.log")));
    if (!log.open()) {
        abandon();
        return fail(QStringLiteral("cannot write ffmpeg's log: %1").arg(log.errorString()));
    }
    if (!spawnFfmpeg(program)) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        abandon();
        return fail(QStringLiteral("cannot start %1: %2").arg(program, why));
    }
    return true;
}

bool VideoWriter::spawnFfmpeg(const QString& program)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return false;

    const QStringList arguments = ffmpegArguments(settings, range.rate(), audio.fileName(), partialPath);
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, log.handle(), STDERR_FILENO);

    // Its own process group: Ctrl-C in the terminal reaches only us, and we
    // finish the video by closing the pipe. Signals we ignore or catch go back
    // to their defaults in ffmpeg.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    const int spawned = posix_spawn(&ffmpeg, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[0]);
    if (spawned != 0) {
        ::close(ends[1]);
        ffmpeg = -1;
        errno = spawned;
        return false;
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
    while (left > 0) {
        const ssize_t written = ::write(pipeInput, bytes, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // ffmpeg has gone; what it said tells why.
            waitForFfmpeg();
            return fail(QStringLiteral("ffmpeg stopped while writing '%1': %2").arg(settings.path, ffmpegSays()));
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool VideoWriter::finish(std::int64_t)
{
    if (!waitForFfmpeg())
        return fail(QStringLiteral("ffmpeg could not write '%1': %2").arg(settings.path, ffmpegSays()));
    // The partial file was made private; the video gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(partialPath).constData(), 0666 & ~mask);
    if (::rename(QFile::encodeName(partialPath).constData(), QFile::encodeName(settings.path).constData()) != 0)
        return fail(QStringLiteral("cannot write '%1': %2")
                        .arg(settings.path, QString::fromLocal8Bit(std::strerror(errno))));
    partialPath.clear();
    return true;
}

void VideoWriter::abandon()
{
    if (ffmpeg > 0) {
        ::kill(ffmpeg, SIGKILL);
        waitForFfmpeg();
    }
    if (pipeInput >= 0) {
        ::close(pipeInput);
        pipeInput = -1;
    }
    if (!partialPath.isEmpty()) {
        QFile::remove(partialPath);
        partialPath.clear();
    }
}

bool VideoWriter::waitForFfmpeg()
{
    if (pipeInput >= 0) {
        ::close(pipeInput);
        pipeInput = -1;
    }
    if (ffmpeg <= 0)
        return false;
    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(ffmpeg, &status, 0);
    } while (waited < 0 && errno == EINTR);
    ffmpeg = -1;
    return waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QString VideoWriter::ffmpegSays() const
{
    QFile said(log.fileName());
    if (!said.open(QIODevice::ReadOnly))
        return QStringLiteral("no message");
    const QStringList lines = QString::fromLocal8Bit(said.readAll()).split('\n', Qt::SkipEmptyParts);
    return lines.isEmpty() ? QStringLiteral("no message") : lines.last().trimmed();
}
