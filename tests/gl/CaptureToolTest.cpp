// The capture tool run as its users run it, doing what it is asked. What it
// refuses, and how it fails, is in CaptureToolFailureTest.cpp.
//
// Sections: video | PNG sequence | the benchmark | flash analysis. (Stills are
// written and checked for the comparisons throughout.)

#include "support/ProgramRun.h"

#include "audio/WavFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <csignal>
#include <cstring>
#include <vector>

namespace {

const QSize kPlotSize(1600, 760);

// How many samples the sound `heard` (44.1 kHz stereo, from the video's start)
// lags behind the soundtrack from sample frame `first` on: the lag within
// +-1500 samples (34 ms) at which a quarter of a second of their left channels
// matches best; INT_MAX if no lag matches well.
int lagBehind(const std::vector<std::int16_t>& heard, const std::vector<std::int16_t>& music, std::size_t first)
{
    constexpr int kSearch = 1500;
    constexpr std::size_t kStart = 4410;  // past the first 0.1 s
    constexpr std::size_t kLength = 11025;
    if (heard.size() < 2 * (kStart + kLength) || music.size() < 2 * (first + kStart + kLength + kSearch))
        return INT_MAX;
    double bestMatch = 0.9;  // correlation; the AAC sound matches the music far better than this
    int best = INT_MAX;
    for (int lag = -kSearch; lag <= kSearch; ++lag) {
        double hm = 0.0, hh = 0.0, mm = 0.0;
        for (std::size_t i = kStart; i < kStart + kLength; ++i) {
            const double h = heard[2 * i];
            const double m = music[2 * (first + i - lag)];
            hm += h * m;
            hh += h * h;
            mm += m * m;
        }
        const double match = hm / std::sqrt(hh * mm + 1.0);
        if (match > bestMatch) {
            bestMatch = match;
            best = lag;
        }
    }
    return best;
}

class CaptureTool : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return directory.filePath(name); }
    QStringList files() const
    {
        return QDir(directory.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    // A still of the given size, which the tool says in one line it wrote.
    QImage still(double at, const QString& size)
    {
        // "%2" in the name must not take the place of a later value in the message.
        const QString name = path(QStringLiteral("still-") + QString::number(at) + QStringLiteral("-%2.png"));
        const ProgramRun run = capture({"--at", QString::number(at), "--size", size, "--output", name});
        EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
        EXPECT_TRUE(run.errorOutput.startsWith("umbrafen-capture: wrote '" + name + "': the frame at demo time ") &&
                    run.errorOutput.endsWith(" s, " + size) && !run.errorOutput.contains('\n'))
            << run.errorOutput.toStdString();
        const QImage image(name);
        EXPECT_EQ(QStringLiteral("%1x%2").arg(image.width()).arg(image.height()), size);
        QFile::remove(name);
        return image;
    }

    QTemporaryDir directory;
};

} // namespace

// ---------------------------------------------------------------------------
// Video.

TEST_F(CaptureTool, VideoHoldsTheRangeAtItsRateAsH264WithAacSound)
{
    const ProgramRun run = capture({"--output", path("clip.mp4"), "--from", "30", "--to", "32", "--size", "320x180",
                                 "--fps", "30"});
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_TRUE(run.errorOutput.contains(QStringLiteral("frame 60 of 60"))) << run.errorOutput.toStdString();
    EXPECT_EQ(files(), QStringList{"clip.mp4"});

    const QJsonArray streams = probeStreams(path("clip.mp4"));
    const QJsonObject video = streamOf(streams, "video");
    EXPECT_EQ(video.value("codec_name").toString(), "h264");
    EXPECT_EQ(video.value("profile").toString(), "High");
    EXPECT_EQ(video.value("pix_fmt").toString(), "yuv420p");
    EXPECT_EQ(video.value("width").toInt(), 320);
    EXPECT_EQ(video.value("height").toInt(), 180);
    EXPECT_EQ(video.value("r_frame_rate").toString(), "30/1");
    EXPECT_EQ(intOf(video, "nb_read_frames"), 60);
    const QJsonObject audio = streamOf(streams, "audio");
    EXPECT_EQ(audio.value("codec_name").toString(), "aac");
    EXPECT_EQ(intOf(audio, "sample_rate"), 48000);
    EXPECT_NEAR(doubleOf(audio, "duration"), 2.0, 0.001);

    // The index comes before the media data, so playback can start while downloading.
    QFile file(path("clip.mp4"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.indexOf("moov"), 0);
    EXPECT_LT(bytes.indexOf("moov"), bytes.indexOf("mdat"));
}

// Frame n at n / rate on the container's timeline, in Matroska as in MP4, and
// the sound with it: both streams start at 0, a seek to 2 s shows demo time
// from + 2 rather than a frame before, and the music of demo time from + t
// plays at t. (So the video starts at --from, with the music of that moment.)
TEST_F(CaptureTool, EveryContainerPutsFrameNAtNOverTheRateWithTheSoundInStep)
{
    const QImage exact = still(62.0, "320x180");
    const QImage frameEarly = still(62.0 - 1.0 / 60.0, "320x180");
    const std::vector<std::int16_t> music = soundtrackSamples();
    for (const QString container : {"mp4", "mkv"}) {
        const QString file = path("clip." + container);
        // Nearly lossless, so that one frame's difference stands out of the encoding's.
        const ProgramRun run =
            capture({"--output", file, "--from", "60", "--to", "63", "--size", "320x180", "--crf", "1"});
        ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
        const QJsonArray streams = probeStreams(file);
        EXPECT_EQ(doubleOf(streamOf(streams, "video"), "start_time"), 0.0) << container.toStdString();
        EXPECT_EQ(doubleOf(streamOf(streams, "audio"), "start_time"), 0.0) << container.toStdString();

        ASSERT_TRUE(runFfmpeg({"-ss", "2", "-i", file, "-frames:v", "1", path("seek.png")}));
        const QImage seen(path("seek.png"));
        EXPECT_LT(meanDifference(seen, exact), 2.0) << container.toStdString() << ": the still, up to the encoding";
        EXPECT_LT(meanDifference(seen, exact) * 3.0, meanDifference(seen, frameEarly))
            << container.toStdString() << ": " << meanDifference(seen, exact) << " " << meanDifference(seen, frameEarly);

        ASSERT_TRUE(runFfmpeg({"-i", file, "-vn", "-ac", "2", "-ar", "44100", path("sound.wav")}));
        QFile sound(path("sound.wav"));
        ASSERT_TRUE(sound.open(QIODevice::ReadOnly));
        EXPECT_EQ(lagBehind(samplesOf(sound.readAll()), music, 60 * 44100), 0) << container.toStdString();
    }
}

// Only whole frames, none past --to, at any rate typed as a decimal; the
// sound as long as the frames.
TEST_F(CaptureTool, HoldsTheWholeFramesOfTheRangeAtATypedRate)
{
    const ProgramRun run = capture({"--output", path("clip.mp4"), "--from", "60", "--to", "61", "--size", "160x90",
                                 "--fps", "29.970029970029970"});
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_TRUE(run.errorOutput.endsWith(
        QStringLiteral("umbrafen-capture: wrote '%1': 29 frames, demo time 60 to 60.9676 s").arg(path("clip.mp4"))))
        << run.errorOutput.toStdString();
    const QJsonArray streams = probeStreams(path("clip.mp4"));
    const QJsonObject video = streamOf(streams, "video");
    EXPECT_EQ(video.value("r_frame_rate").toString(), "30000/1001");
    EXPECT_EQ(intOf(video, "nb_read_frames"), 29);  // 29.97 frames: the last, partly past --to, is not one
    EXPECT_NEAR(doubleOf(video, "duration"), 29.0 * 1001.0 / 30000.0, 1e-6);
    EXPECT_NEAR(doubleOf(streamOf(streams, "audio"), "duration"), 29.0 * 1001.0 / 30000.0, 0.001);

    const ProgramRun one = capture({"--output", path("one.mkv"), "--from", "60", "--to", "60.03", "--size", "64x64"});
    ASSERT_EQ(one.exitCode, 0) << one.errorOutput.toStdString();
    EXPECT_TRUE(one.errorOutput.endsWith(QStringLiteral("wrote '%1': 1 frame, demo time 60 to 60.0167 s").arg(path("one.mkv"))))
        << one.errorOutput.toStdString();
}

TEST_F(CaptureTool, CtrlCFinishesAPlayableVideoOfTheFramesSoFar)
{
    // Under nohup: the hang-up it ignores stays ignored, Ctrl-C still stops it.
    QProcess process;
    process.setProcessEnvironment(programEnvironment());
    process.start(QStringLiteral("nohup"), {QStringLiteral(UMBRAFEN_CAPTURE_PATH), "--output", path("long.mp4"),
                                            "--from", "0", "--to", "60", "--size", "160x90", "--fps", "30"});
    process.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(process.waitForStarted());
    // The first progress line comes after about a second of frames.
    QString said;
    while (!said.contains(QStringLiteral(" of 1800")) && process.waitForReadyRead(kToolTimeoutMs))
        said += QString::fromLocal8Bit(process.readAllStandardError());
    ASSERT_TRUE(said.contains(QStringLiteral(" of 1800"))) << said.toStdString();
    // Ignored, the hang-up lets it go on to its next progress line.
    const auto tool = static_cast<pid_t>(process.processId());
    const int linesBefore = said.count(QStringLiteral(" left"));
    ::kill(tool, SIGHUP);
    while (said.count(QStringLiteral(" left")) == linesBefore && process.waitForReadyRead(kToolTimeoutMs))
        said += QString::fromLocal8Bit(process.readAllStandardError());
    ASSERT_EQ(process.state(), QProcess::Running) << "a hang-up under nohup ended it: " << said.toStdString();
    ::kill(tool, SIGINT);
    ASSERT_TRUE(process.waitForFinished(kToolTimeoutMs));
    said += QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 130);

    const QRegularExpressionMatch stop =
        QRegularExpression(QStringLiteral("stopped at demo time [0-9.]+ s: '.*' holds frames 0 to (\\d+) of 1800"))
            .match(said);
    ASSERT_TRUE(stop.hasMatch()) << said.toStdString();
    const int frames = stop.captured(1).toInt() + 1;
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, 1800);
    EXPECT_EQ(files(), QStringList{"long.mp4"});
    const QJsonArray streams = probeStreams(path("long.mp4"));
    EXPECT_EQ(intOf(streamOf(streams, "video"), "nb_read_frames"), frames);
    EXPECT_NEAR(doubleOf(streamOf(streams, "audio"), "duration"), frames / 30.0, 0.1);
}

// ---------------------------------------------------------------------------
// PNG sequence.

TEST_F(CaptureTool, FrameSequenceIsNumberedPngsOfTheRangeWithItsMusic)
{
    const ProgramRun run = capture({"--frames", path("seq"), "--from", "30", "--to", "31", "--size", "160x90",
                                 "--fps", "10"});
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    QStringList expected;
    for (int n = 0; n < 10; ++n)
        expected << QStringLiteral("frame-%1.png").arg(n, 6, 10, QLatin1Char('0'));
    expected << QStringLiteral("music.wav");
    EXPECT_EQ(QDir(path("seq")).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);

    // Frame n is the still of demo time 30 + n / 10, pixel for pixel.
    const auto frame = [this](const char* name) {
        return QImage(path(QStringLiteral("seq/") + name)).convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(frame("frame-000000.png"), still(30.0, "160x90").convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(frame("frame-000007.png"), still(30.7, "160x90").convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(frame("frame-000000.png"), frame("frame-000007.png"));

    // The music is the soundtrack's second from 30 s on, sample for sample.
    QFile wav(path("seq/music.wav"));
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    WavFormat format;
    WavFormat musicFormat;
    const std::vector<std::int16_t> written = samplesOf(wav.readAll(), &format);
    const std::vector<std::int16_t> music = soundtrackSamples(&musicFormat);
    EXPECT_EQ(format.sampleRate, musicFormat.sampleRate);
    EXPECT_EQ(format.channels, musicFormat.channels);
    const std::size_t perSecond = std::size_t{musicFormat.sampleRate} * musicFormat.channels;
    ASSERT_EQ(written.size(), perSecond);
    ASSERT_GE(music.size(), 31 * perSecond);
    EXPECT_TRUE(std::equal(written.begin(), written.end(), music.begin() + 30 * perSecond));
}

// ---------------------------------------------------------------------------
// The benchmark.

TEST_F(CaptureTool, BenchmarkTimesEachStretchOfTheScheduleAndWritesOnlyItsPlot)
{
    const ProgramRun run = capture(
        {"--benchmark", "--plot", "times.png", "--from", "69", "--to", "71", "--size", "160x90", "--fps", "5"},
        programEnvironment(), directory.path());
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_EQ(files(), QStringList{"times.png"});
    EXPECT_EQ(QImage(path("times.png")).size(), kPlotSize);
    // seconds, scenes, frames, then median, p99 and max of frame, generation and drawing.
    const QRegularExpression row(QStringLiteral(
        "^(\\S+)\\s+(.*?)\\s+(\\d+)\\s+([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)"
        "\\s+([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)$"));
    QStringList stretches;
    for (const QString& line : run.output.split('\n')) {
        const QRegularExpressionMatch match = row.match(line);
        if (!match.hasMatch())
            continue;
        stretches << (match.captured(1) + " " + match.captured(2) + " " + match.captured(3)).simplified();
        // The branch frames generate their lines in both stretches.
        EXPECT_GT(match.captured(7).toDouble(), 0.0) << line.toStdString();
        // Generation is part of the frame.
        EXPECT_LE(match.captured(7).toDouble(), match.captured(4).toDouble() + 0.01) << line.toStdString();
    }
    EXPECT_EQ(stretches, (QStringList{"69-70 RunningOff + CrashFrame 5", "70-71 CrashFrame 5", "all 10"}))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("frames per second"))) << run.output.toStdString();
}

// ---------------------------------------------------------------------------
// Flash analysis.

TEST_F(CaptureTool, NamesTheFlashingStretchesAndWritesItsReportAndPlotBesideTheFrames)
{
    // The falling drops' rings flicker over much of the view from about 14 s.
    const QStringList range = {"--from", "14", "--to", "16.5", "--size", "160x90"};
    const ProgramRun run =
        capture(QStringList{"--frames", path("seq"), "--flash-report", path("r.csv"), "--flash-plot", path("p.png")} + range);
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_TRUE(run.errorOutput.contains(QStringLiteral("flashing above the general-flash threshold of WCAG 2.3.1 at 14.")))
        << run.errorOutput.toStdString();
    EXPECT_TRUE(run.errorOutput.contains(QStringLiteral("–16.5 s and of ITU-R BT.1702 at 15.")))
        << run.errorOutput.toStdString();
    EXPECT_EQ(QDir(path("seq")).entryList(QDir::Files).size(), 151);  // 150 frames and the music

    QFile report(path("r.csv"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(report.readAll()).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 151);
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("seconds,view_flashing_percent,"))) << lines.first().toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("14.000000,0.00,0.00,"))) << lines[1].toStdString();
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(",fail,fail"))) << lines.last().toStdString();
    EXPECT_EQ(QImage(path("p.png")).size(), kPlotSize);

    // Switched off, the same range says nothing of flashing.
    const ProgramRun quiet = capture(QStringList{"--frames", path("seq2"), "--no-flash-analysis"} + range);
    ASSERT_EQ(quiet.exitCode, 0) << quiet.errorOutput.toStdString();
    EXPECT_FALSE(quiet.errorOutput.contains(QStringLiteral("flashing"))) << quiet.errorOutput.toStdString();
}
