#include "WavBytes.h"

#include "audio/WavFile.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

WavError parse(const std::vector<unsigned char>& bytes, WavData& out)
{
    return parseWav(bytes.data(), bytes.size(), out);
}

WavError parse(const std::vector<unsigned char>& bytes)
{
    WavData out;
    return parse(bytes, out);
}

WavSpec stereo(std::size_t frames = 64)
{
    WavSpec spec;
    spec.samples = patternSamples(frames * 2);
    return spec;
}

} // namespace

TEST(WavFile, AcceptsCanonicalStereoFileAndPointsIntoIt)
{
    const auto bytes = makeWav(stereo(100));
    WavData wav;
    ASSERT_EQ(parse(bytes, wav), WavError::None);
    EXPECT_EQ(wav.format.channels, 2);
    EXPECT_EQ(wav.format.sampleRate, 44100u);
    EXPECT_EQ(wav.format.blockAlign, 4);
    EXPECT_EQ(wav.samples, bytes.data() + 44);
    EXPECT_EQ(wav.sampleBytes, 400u);
    EXPECT_EQ(wav.frames(), 100u);
}

TEST(WavFile, SkipsUnknownChunksPaddingOddOnes)
{
    WavSpec spec = stereo(10);
    spec.channels = 1;
    spec.fmtSize = 18;  // the common fmt extension with a cbSize field
    spec.extraChunks = {{"LIST", {1, 2, 3}}, {"fact", {4, 5, 6, 7}}};
    const auto bytes = makeWav(spec);
    WavData wav;
    ASSERT_EQ(parse(bytes, wav), WavError::None);
    EXPECT_EQ(wav.format.channels, 1);
    // 12 RIFF + 8+18 fmt + 8+3+1 LIST + 8+4 fact + 8 data header
    EXPECT_EQ(wav.samples, bytes.data() + 70);
    EXPECT_EQ(wav.sampleBytes, 40u);
}

TEST(WavFile, IgnoresBytesAfterTheRiffChunk)
{
    auto bytes = makeWav(stereo(8));
    bytes.insert(bytes.end(), {'j', 'u', 'n', 'k', 0xFF});
    EXPECT_EQ(parse(bytes), WavError::None);
}

TEST(WavFile, RejectsMalformedFiles)
{
    const auto good = makeWav(stereo(16));
    WavData untouched;
    EXPECT_EQ(parseWav(nullptr, 100, untouched), WavError::NullData);
    EXPECT_EQ(parseWav(good.data(), 0, untouched), WavError::TooShort);
    EXPECT_EQ(parseWav(good.data(), 30, untouched), WavError::BadChunk);  // truncated inside fmt
    EXPECT_EQ(untouched.samples, nullptr);

    auto notRiff = good;
    notRiff[0] = 'X';
    EXPECT_EQ(parse(notRiff), WavError::NotRiff);
    auto notWave = good;
    notWave[8] = 'A';
    EXPECT_EQ(parse(notWave), WavError::NotWave);

    const auto with = [](void (*change)(WavSpec&)) {
        WavSpec spec = stereo(16);
        change(spec);
        return parse(makeWav(spec));
    };
    EXPECT_EQ(with([](WavSpec& s) { s.formatTag = 3; }), WavError::NotPcm);  // float
    EXPECT_EQ(with([](WavSpec& s) { s.formatTag = 0xFFFE; }), WavError::NotPcm);
    EXPECT_EQ(with([](WavSpec& s) { s.fmtSize = 14; }), WavError::NotPcm);
    EXPECT_EQ(with([](WavSpec& s) { s.bits = 8; }), WavError::UnsupportedBits);
    EXPECT_EQ(with([](WavSpec& s) { s.bits = 24; }), WavError::UnsupportedBits);
    EXPECT_EQ(with([](WavSpec& s) { s.channels = 3; }), WavError::UnsupportedChannels);
    EXPECT_EQ(with([](WavSpec& s) { s.channels = 0; }), WavError::UnsupportedChannels);
    EXPECT_EQ(with([](WavSpec& s) { s.sampleRate = 1000; }), WavError::UnsupportedRate);
    EXPECT_EQ(with([](WavSpec& s) { s.sampleRate = 400000; }), WavError::UnsupportedRate);
    EXPECT_EQ(with([](WavSpec& s) { s.blockAlign = 2; }), WavError::InconsistentFormat);
    EXPECT_EQ(with([](WavSpec& s) { s.byteRate = 12345; }), WavError::InconsistentFormat);
    EXPECT_EQ(with([](WavSpec& s) { s.dataSizeDelta = 2; }), WavError::BadChunk);  // past the end
    EXPECT_EQ(with([](WavSpec& s) { s.dataSizeDelta = 0x7FFFFFFF; }), WavError::BadChunk);
    EXPECT_EQ(with([](WavSpec& s) { s.dataSizeDelta = -2; }), WavError::BadChunk);  // stray bytes after it
    EXPECT_EQ(with([](WavSpec& s) { s.samples.clear(); }), WavError::EmptyData);
    EXPECT_EQ(with([](WavSpec& s) { s.samples.pop_back(); }), WavError::PartialFrame);
    EXPECT_EQ(with([](WavSpec& s) { s.extraChunks = {{"fmt ", std::vector<unsigned char>(16)}}; }),
              WavError::DuplicateChunk);
    EXPECT_EQ(with([](WavSpec& s) { s.extraChunks = {{"data", {1, 2, 3, 4}}}; }), WavError::DuplicateChunk);

    // A file of only a header and an unknown chunk has neither format nor samples.
    std::vector<unsigned char> bare;
    putId(bare, "RIFF");
    putU32(bare, 4 + 8 + 2);
    putId(bare, "WAVE");
    putId(bare, "junk");
    putU32(bare, 2);
    putU16(bare, 0);
    EXPECT_EQ(parse(bare), WavError::MissingFormat);
    WavSpec noData = stereo(4);
    auto dataless = makeWav(noData);
    dataless[36] = 'x';  // rename "data"
    EXPECT_EQ(parse(dataless), WavError::MissingData);
}

// Each prefix sits in an allocation of exactly its size, so a read past the
// given length is caught by the sanitizer build.
TEST(WavFile, EveryTruncationIsRejectedWithinItsBytes)
{
    WavSpec spec = stereo(6);
    spec.extraChunks = {{"LIST", {9, 9, 9}}};
    const auto bytes = makeWav(spec);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        std::unique_ptr<unsigned char[]> exact(new unsigned char[length]);
        std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length), exact.get());
        WavData wav;
        EXPECT_NE(parseWav(exact.get(), length, wav), WavError::None) << "length " << length;
    }
}
