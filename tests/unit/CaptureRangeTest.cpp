// The capture tool's pure pieces: its options, which frames a range holds and
// when, and the soundtrack cut to a range.

#include "WavBytes.h"

#include "tools/capture/CaptureOptions.h"
#include "tools/capture/SoundtrackClip.h"

#include <QBuffer>

#include <cstring>

#include <gtest/gtest.h>

namespace {

CaptureOptions parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("umbrafen-capture"));
    return parseCaptureOptions(arguments);
}

SoundtrackClip clipSource(const std::vector<std::int16_t>& samples, std::uint16_t channels)
{
    WavSpec spec;
    spec.channels = channels;
    spec.sampleRate = 8000;
    spec.samples = samples;
    const std::vector<unsigned char> bytes = makeWav(spec);
    return SoundtrackClip(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
}

std::vector<std::int16_t> samplesOf(const QByteArray& file, WavFormat& format)
{
    WavData wav;
    EXPECT_EQ(parseWav(file.constData(), static_cast<std::size_t>(file.size()), wav), WavError::None);
    format = wav.format;
    std::vector<std::int16_t> samples(wav.sampleBytes / 2);
    std::memcpy(samples.data(), wav.samples, wav.sampleBytes);
    return samples;
}

} // namespace

TEST(CaptureFrameRange, CountsOnlyTheWholeFramesBeforeTheEnd)
{
    EXPECT_EQ(FrameRange(0.0, 2.0, {30, 1}).frameCount(), 60);
    EXPECT_EQ(FrameRange(0.0, 75.0, {60, 1}).frameCount(), 4500);
    EXPECT_EQ(FrameRange(0.1, 0.3, {30, 1}).frameCount(), 6);  // 0.2 * 30 is a hair below 6 in double
    EXPECT_EQ(FrameRange(0.0, 75.0, {60000, 1001}).frameCount(), 4495);  // 4495.5 frames: the last would end past 75 s
    EXPECT_EQ(FrameRange(60.0, 60.2, {1, 1}).frameCount(), 0);
    EXPECT_EQ(FrameRange(2.0, 2.0, {60, 1}).frameCount(), 0);
}

TEST(CaptureFrameRange, FrameTimeIsExactBeforeItBecomesSingle)
{
    const FrameRange ntsc(10.0, 20.0, {60000, 1001});
    EXPECT_DOUBLE_EQ(ntsc.secondsOf(0), 10.0);
    EXPECT_DOUBLE_EQ(ntsc.secondsOf(60000), 10.0 + 1001.0);
    // Adding 1/fps up in single precision drifts; the frame time does not.
    float summed = 10.0f;
    for (int n = 0; n < 500; ++n)
        summed += 1001.0f / 60000.0f;
    EXPECT_EQ(ntsc.timeOf(500), static_cast<float>(10.0 + 500.0 * 1001.0 / 60000.0));
    EXPECT_NE(ntsc.timeOf(500), summed);
}

TEST(CaptureFrameRange, SoundSpansTheFramesRoundedUp)
{
    const FrameRange range(30.0, 32.0, {30, 1});
    EXPECT_EQ(range.firstSample(44100), 30 * 44100);
    EXPECT_EQ(range.sampleCount(60, 44100), 2 * 44100);
    EXPECT_EQ(FrameRange(0.0, 1.0, {60000, 1001}).sampleCount(1, 48000), 801);  // 800.8 samples
}

TEST(CaptureOptionsParsing, ReadsAnyTypedRateAsTheClosestFraction)
{
    const struct
    {
        const char* text;
        std::int64_t num;
        std::int64_t den;
    } rates[] = {
        {"60000/1001", 60000, 1001}, {"50/2", 25, 1},   {"60", 60, 1},           {"29.97", 2997, 100},
        {"23.976", 2997, 125},       {"2.5e1", 25, 1},  {"29.970029970029970", 30000, 1001},
        {"1", 1, 1},                 {"1e3", 1000, 1},  {"3.14159265358979", 3126535, 995207},
        {"7/3000001", 0, 0},  // below one frame a second
    };
    for (const auto& r : rates) {
        FrameRate rate{0, 0};
        const QString problem = parseFrameRate(QString::fromLatin1(r.text), rate);
        if (r.num == 0) {
            EXPECT_TRUE(problem.contains(QLatin1String("below 1 frame per second"))) << r.text;
            continue;
        }
        EXPECT_TRUE(problem.isEmpty()) << r.text << ": " << problem.toStdString();
        EXPECT_EQ(rate.num, r.num) << r.text;
        EXPECT_EQ(rate.den, r.den) << r.text;
    }
    for (const char* bad : {"0", "1/0", "0/5", "-30", "fast", "30/", "nan", "inf", "0.0001", "0.99", "1000.5"}) {
        FrameRate rate;
        EXPECT_FALSE(parseFrameRate(QString::fromLatin1(bad), rate).isEmpty()) << bad;
    }
}

TEST(CaptureOptionsParsing, ChoosesTheModeAndTakesTheSettingsGiven)
{
    const CaptureOptions video = parse({"--output", "demo.MKV", "--crf", "23", "--size", "320x180"});
    ASSERT_TRUE(video.error.isEmpty()) << video.error.toStdString();
    EXPECT_EQ(video.mode, CaptureMode::Video);
    EXPECT_EQ(video.crf, 23);
    EXPECT_EQ(video.width, 320);
    EXPECT_EQ(video.height, 180);
    EXPECT_TRUE(video.flash.analyse);
    EXPECT_FALSE(parse({"--output", "demo.mp4", "--no-flash-analysis"}).flash.analyse);
    EXPECT_EQ(parse({"--frames", "out", "--size", "321x181"}).mode, CaptureMode::Frames);
    EXPECT_EQ(parse({"--benchmark", "--size", "1280x720"}).mode, CaptureMode::Benchmark);
    EXPECT_EQ(parse({"--flash-plot", "f.png", "--size", "320x180"}).mode, CaptureMode::Flash);
}

TEST(CaptureOptionsParsing, UnusableRequestsNameTheOption)
{
    const struct
    {
        QStringList arguments;
        const char* mentions;
    } cases[] = {
        {{"--output", "a.mp4", "--size", "321x180"}, "odd"},
        {{"--output", "a.mkv", "--size", "320x181"}, "odd"},
        {{"--output", "a.mp4", "--from", "5", "--to", "3"}, "--from"},
        {{"--output", "a.mp4", "--from", "5", "--to", "5"}, "--from"},
        {{"--output", "a.mp4", "--to", "later"}, "--to"},
        {{"--output", "a.mp4", "--fps", "0"}, "--fps"},
        {{"--output", "a.mp4", "--crf", "0"}, "--crf"},
        {{"--output", "a.mp4", "--crf", "52"}, "--crf"},
        {{"--frames", "out", "--crf", "20"}, "--crf"},
        {{"--at", "3", "--output", "a.png", "--fps", "30"}, "--fps"},
        {{"--at", "3", "--output", "a.mp4"}, "choose one"},
        {{"--frames", "out", "--benchmark"}, "choose one"},
        {{"--output", "a.mp4", "--frames", "out"}, "choose one"},
        {{"--output", "a.avi"}, "--output"},
        {{"--output", "a.mp4", "--to", "1e9", "--fps", "1000"}, "--to: '1e9' is not a number of seconds from -3600"},
        {{"--at", "-1e308", "--output", "a.png"}, "--at"},
        {{"--output", "a.mp4", "--fps", "0.5"}, "below 1 frame per second"},
        {{"--output", "a.mp4", "--crf", "20", "--crf", "20"}, "--crf is given twice"},
        {{"--benchmark", "--benchmark"}, "--benchmark is given twice"},
        {{"--at", "3", "--output", "a.png", "--flash-report", "r.csv"}, "--flash-report"},
        {{"--benchmark", "--flash-plot", "f.png"}, "--flash-plot"},
        {{"--frames", "out", "--plot", "p.png"}, "--plot"},
        {{"--benchmark", "--plot", "p.jpg"}, "--plot"},
        {{"--flash-plot", "f.svg"}, "--flash-plot"},
        {{"--output", "a.mp4", "--no-flash-analysis", "--flash-report", "r.csv"}, "--no-flash-analysis"},
        {{"--output", "a.mp4", "--flash-report", "./a.mp4"}, "--flash-report"},
        {{"--flash-report", "r.csv", "--flash-cells", "8"}, "--flash-cells"},
        {{"--frames", "out", "--flash-plot", "./out/p.png"}, "inside the --frames directory"},
        {{"--output", "a.mp4", "--crf", "%2"}, "'%2' is not a whole number from 1"},
        {{"--at", "3", "--output", "a.png", "--straightforward"}, "--straightforward"},
    };
    for (const auto& c : cases) {
        const CaptureOptions options = parse(c.arguments);
        EXPECT_TRUE(options.error.contains(QLatin1String(c.mentions)))
            << c.arguments.join(' ').toStdString() << ": " << options.error.toStdString();
    }
}

TEST(CaptureSoundtrackClip, CutsTheMusicAndPadsWithSilence)
{
    // Two channels, five frames: (1, -1), (2, -2), ... (5, -5).
    const SoundtrackClip music = clipSource({1, -1, 2, -2, 3, -3, 4, -4, 5, -5}, 2);
    ASSERT_TRUE(music.valid());
    const struct
    {
        std::int64_t first;
        std::int64_t count;
        std::vector<std::int16_t> expected;
    } cases[] = {
        {1, 2, {2, -2, 3, -3}},
        {-2, 3, {0, 0, 0, 0, 1, -1}},
        {3, 4, {4, -4, 5, -5, 0, 0, 0, 0}},
        {-1, 7, {0, 0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 0, 0}},
        {9, 2, {0, 0, 0, 0}},
        {-5, 2, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(music.write(out, c.first, c.count));
        WavFormat format;
        EXPECT_EQ(samplesOf(out.data(), format), c.expected) << c.first << " + " << c.count;
        EXPECT_EQ(format.channels, 2);
        EXPECT_EQ(format.sampleRate, 8000u);
    }
}

TEST(CaptureSoundtrackClip, RefusesWhatItCannotRead)
{
    EXPECT_FALSE(SoundtrackClip(QByteArray("RIFF")).valid());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_FALSE(SoundtrackClip(QByteArray()).write(out, 0, 10));
}
