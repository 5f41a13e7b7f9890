#pragma once

// Encodes frames into an H.264 video with the soundtrack through the ffmpeg
// program: raw frames go down a pipe into its standard input, the soundtrack
// over the same range is handed to it as a WAV file. ffmpeg writes a temporary
// file beside the target, which finish() renames into place.

#include "FrameRange.h"
#include "FrameSink.h"

#include <QTemporaryFile>

#include <memory>
#include <sys/types.h>

class SoundtrackClip;

// H.264 quality unless --crf says otherwise: 1 (best) to 51.
constexpr int kDefaultCrf = 18;
// What findFfmpeg() finding nothing means to the user.
constexpr const char* kFfmpegMissing = "ffmpeg is not installed; install it (on Debian: sudo apt-get install ffmpeg)";

struct VideoSettings
{
    QString path;  // .mp4 or .mkv
    int width = 0;
    int height = 0;
    int crf = kDefaultCrf;
};

class VideoWriter : public FrameSink
{
public:
    VideoWriter(const VideoSettings& settings, const FrameRange& range, const SoundtrackClip& soundtrack);
    ~VideoWriter() override;

    // The ffmpeg program on the search path, or an empty string.
    static QString findFfmpeg();
    // The command line (without the program) that turns the pipe and the WAV
    // file into `outputPath`.
    static QStringList ffmpegArguments(const VideoSettings& settings, FrameRate rate, const QString& audioPath,
                                       const QString& outputPath);

    bool open() override;
    bool write(const QImage& frame) override;
    bool finish(std::int64_t frames) override;
    void abandon() override;
    QString target() const override { return settings.path; }

private:
    bool spawnFfmpeg(const QString& program);
    // Closes the pipe and waits for ffmpeg; true if it exited successfully.
    bool waitForFfmpeg();
    QString ffmpegSays() const;

    VideoSettings settings;
    FrameRange range;
    const SoundtrackClip& soundtrack;
    QString partialPath;  // ffmpeg's output until it is complete
    QTemporaryFile audio;
    QTemporaryFile log;
    int pipeInput = -1;
    pid_t ffmpeg = -1;
};
