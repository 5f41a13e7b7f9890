#pragma once

// Encodes frames into an H.264 video with the soundtrack through the ffmpeg
// program: raw frames go down a pipe into its standard input, the soundtrack
// over the same range is handed to it as a WAV file. ffmpeg writes a hidden
// file beside the target (OutputFile), and the video counts as written only
// when ffmpeg exited with status 0, logged no error, and ffprobe finds every
// frame written and the sound in the finished file.

#include "ChildProcess.h"
#include "FrameRange.h"
#include "FrameSink.h"
#include "OutputFile.h"

#include <memory>

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

    // The ffmpeg and ffprobe programs on the search path, or an empty string.
    static QString findFfmpeg();
    static QString findFfprobe();

    bool open() override;
    bool write(const QImage& frame) override;
    bool finish(std::int64_t frames) override;
    void abandon() override;
    QString target() const override { return settings.path; }

private:
    // How many samples late the sound is handed to ffmpeg (see the .cpp file).
    std::int64_t soundDelay() const;
    // The soundtrack samples that make one AAC frame (1024 samples at 48 kHz).
    std::int64_t aacFrameSamples() const;
    // The command line (without the program) that turns the pipe and the WAV file into the hidden video.
    QStringList ffmpegArguments() const;
    bool writeSoundtrack();
    bool startFfmpeg();
    // The first thing ffmpeg logged as an error, in the user's names, or an empty string.
    QString ffmpegSays() const;
    // What keeps the finished file from holding `frames` frames and the sound, or an empty string.
    QString incompleteness(std::int64_t frames);
    // The user's name for the file where a message names a hidden one.
    QString inUserTerms(QString message) const;

    VideoSettings settings;
    FrameRange range;
    const SoundtrackClip& soundtrack;
    OutputFile video;
    OutputFile sound;
    OutputFile log;
    ChildProcess ffmpeg;
    int pipeInput = -1;
};
