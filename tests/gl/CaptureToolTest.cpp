// The capture tool run as its users run it: a separate process, its files read
// back with Qt and ffprobe.

#include "audio/Soundtrack.h"
#include "audio/WavFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <vector>

namespace {

constexpr int kToolTimeoutMs = 120000;

struct ToolRun
{
    int exitCode = -1;
    QString errorOutput;
    QString output;
};

QProcessEnvironment toolEnvironment()
{
    // Qt unloads its platform plugin before the leak check runs, so what the
    // plugin keeps for the process's lifetime shows up from an unknown module
    // that no suppression can name. The tool's own code is leak-checked where
    // the GL tests run it in-process.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    return environment;
}

ToolRun capture(const QStringList& arguments, const QProcessEnvironment& environment = toolEnvironment(),
                const QString& workingDirectory = QString())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(UMBRAFEN_CAPTURE_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(kToolTimeoutMs));
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError()).trimmed(),
            QString::fromLocal8Bit(process.readAllStandardOutput())};
}

// ffprobe's view of a file's streams: codec, size, rate, frame count, duration.
QJsonArray probeStreams(const QString& file)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {"-v", "error", "-count_frames", "-show_entries",
                 "stream=codec_type,codec_name,profile,width,height,pix_fmt,r_frame_rate,nb_read_frames,duration,"
                 "sample_rate",
                 "-of", "json", file});
    EXPECT_TRUE(probe.waitForFinished(kToolTimeoutMs));
    return QJsonDocument::fromJson(probe.readAllStandardOutput()).object().value(QStringLiteral("streams")).toArray();
}

QJsonObject streamOf(const QJsonArray& streams, const char* type)
{
    for (const QJsonValue& stream : streams) {
        if (stream.toObject().value(QStringLiteral("codec_type")).toString() == QLatin1String(type))
            return stream.toObject();
    }
    return QJsonObject();
}

int intOf(const QJsonObject& stream, const char* key)
{
    return stream.value(QLatin1String(key)).toString().toInt();
}

double secondsOf(const QJsonObject& stream)
{
    return stream.value(QStringLiteral("duration")).toString().toDouble();
}

bool runFfmpeg(const QStringList& arguments)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y"} + arguments);
    return ffmpeg.waitForFinished(kToolTimeoutMs) && ffmpeg.exitCode() == 0;
}

// Mean absolute difference per channel, 0 to 255.
double meanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 255.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0.0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
                   std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
    return sum / (3.0 * x.width() * x.height());
}

// Interleaved 16-bit samples of a WAV file's bytes.
std::vector<std::int16_t> samplesOf(const QByteArray& file, WavFormat* format = nullptr)
{
    WavData wav;
    if (parseWav(file.constData(), static_cast<std::size_t>(file.size()), wav) != WavError::None)
        return {};
    if (format)
        *format = wav.format;
    std::vector<std::int16_t> samples(wav.sampleBytes / 2);
    std::memcpy(samples.data(), wav.samples, wav.sampleBytes);
    return samples;
}

std::vector<std::int16_t> soundtrackSamples(WavFormat* format = nullptr)
{
    QFile resource(QString::fromLatin1(kSoundtrackResource));
    return resource.open(QIODevice::ReadOnly) ? samplesOf(resource.readAll(), format) : std::vector<std::int16_t>();
}

// The loudness over time: RMS of each 10 ms of 44.1 kHz stereo from `first` on.
std::vector<double> envelope(const std::int16_t* samples, std::size_t count)
{
    constexpr std::size_t kWindow = 2 * 441;
    std::vector<double> levels;
    for (std::size_t start = 0; start + kWindow <= count; start += kWindow) {
        double sum = 0.0;
        for (std::size_t i = start; i < start + kWindow; ++i)
            sum += double(samples[i]) * samples[i];
        levels.push_back(std::sqrt(sum / kWindow));
    }
    return levels;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    double ma = 0.0, mb = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        ma += a[i] / n;
        mb += b[i] / n;
    }
    double ab = 0.0, aa = 0.0, bb = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0.0 && bb > 0.0 ? ab / std::sqrt(aa * bb) : 0.0;
}

class CaptureTool : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return directory.filePath(name); }
    QStringList files() const
    {
        return QDir(directory.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    QImage still(double at, const QString& size)
    {
        const QString name = path(QStringLiteral("still-%1.png").arg(at));
        const ToolRun run = capture({"--at", QString::number(at), "--size", size, "--output", name});
        EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
        const QImage image(name);
        QFile::remove(name);
        return image;
    }

    QTemporaryDir directory;
};

} // namespace

// ---------------------------------------------------------------------------
// One frame.

TEST_F(CaptureTool, WritesAPngOfTheRequestedSize)
{
    const ToolRun run = capture({"--at", "0", "--size", "640x360", "--output", path("f.png")});
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    const QImage frame(path("f.png"));
    EXPECT_EQ(frame.size(), QSize(640, 360));
}

TEST_F(CaptureTool, BadArgumentsSayWhatIsWrongAndWriteNothing)
{
    const struct
    {
        QStringList arguments;
        const char* mentions;
    } cases[] = {
        {{"--at", "soon", "--size", "64x64", "--output", path("a.png")}, "--at"},
        {{"--at", "nan", "--size", "64x64", "--output", path("a.png")}, "--at"},
        {{"--size", "64x64", "--output", path("a.png")}, "--at"},
        {{"--at", "1", "--size", "0x64", "--output", path("a.png")}, "--size"},
        {{"--at", "1", "--size", "64by64", "--output", path("a.png")}, "--size"},
        {{"--at", "1", "--size", "999999x64", "--output", path("a.png")}, "--size"},
        {{"--at", "1", "--size", "64x64", "--output", path("missing/dir/a.png")}, "cannot write"},
        {{"--at", "1", "--size", "64x64", "--output", path("a.jpg")}, "--output"},
        {{"--at", "1", "--size", "64x64"}, "--output"},
    };
    for (const auto& c : cases) {
        const ToolRun run = capture(c.arguments);
        const std::string command = c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_TRUE(run.errorOutput.contains(QLatin1String(c.mentions))) << command << ": " << run.errorOutput.toStdString();
        // Qt may add its own warnings; ours is one line.
        EXPECT_EQ(run.errorOutput.count(QStringLiteral("umbrafen-capture:")), 1) << command;
    }
    EXPECT_TRUE(files().isEmpty());
}

// ---------------------------------------------------------------------------
// Video.

TEST_F(CaptureTool, VideoHoldsTheRangeAtItsRateWithTheMusicFromItsStart)
{
    const ToolRun run = capture({"--output", path("clip.mp4"), "--from", "30", "--to", "32", "--size", "320x180",
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
    EXPECT_NEAR(secondsOf(audio), 2.0, 1.0 / 30.0);

    // The index comes before the media data, so playback can start while downloading.
    QFile file(path("clip.mp4"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.indexOf("moov"), 0);
    EXPECT_LT(bytes.indexOf("moov"), bytes.indexOf("mdat"));

    // The first frame is the still of the same time, up to the encoding.
    ASSERT_TRUE(runFfmpeg({"-i", path("clip.mp4"), "-frames:v", "1", path("first.png")}));
    const QImage first(path("first.png"));
    const double same = meanDifference(first, still(30.0, "320x180"));
    EXPECT_LT(same, 2.0);
    EXPECT_LT(same * 4.0, meanDifference(first, still(33.0, "320x180")));

    // The sound is the soundtrack from 30 s on: its loudness follows the music's there.
    ASSERT_TRUE(runFfmpeg({"-i", path("clip.mp4"), "-vn", "-ac", "2", "-ar", "44100", path("sound.wav")}));
    QFile sound(path("sound.wav"));
    ASSERT_TRUE(sound.open(QIODevice::ReadOnly));
    const std::vector<std::int16_t> decoded = samplesOf(sound.readAll());
    const std::vector<std::int16_t> music = soundtrackSamples();
    ASSERT_GE(decoded.size(), std::size_t{2 * 44100 * 19 / 10});
    ASSERT_GE(music.size(), std::size_t{2 * 44100 * 33});
    const std::vector<double> heard = envelope(decoded.data(), 2 * 44100 * 19 / 10);
    const double atFrom = correlation(heard, envelope(music.data() + 2 * 44100 * 30, 2 * 44100 * 19 / 10));
    const double earlier = correlation(heard, envelope(music.data() + 2 * 44100 * 29, 2 * 44100 * 19 / 10));
    EXPECT_GT(atFrom, 0.9);
    EXPECT_GT(atFrom, earlier + 0.2);
}

TEST_F(CaptureTool, FractionalRatesStayExactAndMatroskaWorksToo)
{
    const ToolRun mp4 = capture({"--output", path("clip.mp4"), "--from", "1", "--to", "1.5", "--size", "160x90",
                                 "--fps", "60000/1001"});
    ASSERT_EQ(mp4.exitCode, 0) << mp4.errorOutput.toStdString();
    const QJsonObject video = streamOf(probeStreams(path("clip.mp4")), "video");
    EXPECT_EQ(video.value("r_frame_rate").toString(), "60000/1001");
    EXPECT_EQ(intOf(video, "nb_read_frames"), 30);  // 29.97 frames: the last one starts inside the range

    // Matroska counts time in milliseconds, so its rate is close rather than exact.
    const ToolRun mkv = capture({"--output", path("clip.mkv"), "--from", "1", "--to", "1.5", "--size", "160x90",
                                 "--fps", "60000/1001"});
    ASSERT_EQ(mkv.exitCode, 0) << mkv.errorOutput.toStdString();
    const QJsonArray streams = probeStreams(path("clip.mkv"));
    const QStringList rate = streamOf(streams, "video").value("r_frame_rate").toString().split('/');
    ASSERT_EQ(rate.size(), 2);
    EXPECT_NEAR(rate[0].toDouble() / rate[1].toDouble(), 60000.0 / 1001.0, 0.01);
    EXPECT_EQ(intOf(streamOf(streams, "video"), "nb_read_frames"), 30);
    EXPECT_EQ(streamOf(streams, "audio").value("codec_name").toString(), "aac");
}

TEST_F(CaptureTool, CtrlCFinishesAPlayableVideoOfTheFramesSoFar)
{
    QProcess process;
    process.setProcessEnvironment(toolEnvironment());
    process.start(QStringLiteral(UMBRAFEN_CAPTURE_PATH),
                  {"--output", path("long.mp4"), "--from", "0", "--to", "60", "--size", "160x90", "--fps", "30"});
    process.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(process.waitForStarted());
    // The first progress line comes after about a second of frames.
    QString said;
    while (!said.contains(QStringLiteral(" of 1800")) && process.waitForReadyRead(kToolTimeoutMs))
        said += QString::fromLocal8Bit(process.readAllStandardError());
    ASSERT_TRUE(said.contains(QStringLiteral(" of 1800"))) << said.toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
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
    EXPECT_NEAR(secondsOf(streamOf(streams, "audio")), frames / 30.0, 0.1);
}

// ---------------------------------------------------------------------------
// PNG sequence.

TEST_F(CaptureTool, FrameSequenceIsNumberedPngsOfTheRangeWithItsMusic)
{
    const ToolRun run = capture({"--frames", path("seq"), "--from", "30", "--to", "31", "--size", "160x90",
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
// Errors of a range.

TEST_F(CaptureTool, RangeErrorsExitTwoAndLeaveNothingBehind)
{
    QTemporaryDir emptyPath;
    QProcessEnvironment withoutFfmpeg = toolEnvironment();
    withoutFfmpeg.insert(QStringLiteral("PATH"), emptyPath.path());
    QFile blocker(path("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const struct
    {
        QStringList arguments;
        QProcessEnvironment environment;
        const char* mentions;
    } cases[] = {
        {{"--output", path("a.mp4"), "--to", "1", "--size", "64x64"}, withoutFfmpeg, "apt-get install ffmpeg"},
        {{"--output", path("a.mp4"), "--to", "1", "--size", "65x64"}, toolEnvironment(), "odd"},
        {{"--output", path("missing/a.mp4"), "--to", "1", "--size", "64x64"}, toolEnvironment(), "cannot write"},
        {{"--output", path("file/a.mkv"), "--to", "1", "--size", "64x64"}, toolEnvironment(), "cannot write"},
        {{"--output", path("a.mp4"), "--from", "3", "--to", "2", "--size", "64x64"}, toolEnvironment(), "--from"},
        {{"--frames", path("file/seq"), "--to", "1", "--size", "64x64"}, toolEnvironment(), "cannot write"},
        {{"--frames", path("seq"), "--from", "9", "--to", "2", "--size", "64x64"}, toolEnvironment(), "--from"},
    };
    for (const auto& c : cases) {
        const ToolRun run = capture(c.arguments, c.environment);
        const std::string command = c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_TRUE(run.errorOutput.contains(QLatin1String(c.mentions))) << command << ": " << run.errorOutput.toStdString();
        EXPECT_EQ(run.errorOutput.count(QStringLiteral("umbrafen-capture:")), 1) << command;
        EXPECT_EQ(files(), QStringList{"file"}) << command;
    }
}

// ---------------------------------------------------------------------------
// The benchmark.

TEST_F(CaptureTool, BenchmarkTimesEachStretchOfTheScheduleAndWritesNothing)
{
    const ToolRun run = capture({"--benchmark", "--from", "69", "--to", "71", "--size", "160x90", "--fps", "5"},
                                toolEnvironment(), directory.path());
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_TRUE(files().isEmpty());
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
