#pragma once

// Runs umbrafen-capture as its users run it, a separate process, and reads
// its files back with Qt, ffprobe and ffmpeg.

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

constexpr int kToolTimeoutMs = 120000;

struct ToolRun
{
    int exitCode = -1;
    bool crashed = false;  // ended by a signal
    QString errorOutput;
    QString output;
};

// The test's environment, without XDG_RUNTIME_DIR: the tool must not let Qt
// complain about it.
QProcessEnvironment toolEnvironment();
ToolRun capture(const QStringList& arguments, const QProcessEnvironment& environment = toolEnvironment(),
                const QString& workingDirectory = QString());

// ffprobe's view of a file's streams: codec, size, rate, frame count, start and duration.
QJsonArray probeStreams(const QString& file);
QJsonObject streamOf(const QJsonArray& streams, const char* type);
int intOf(const QJsonObject& stream, const char* key);
double doubleOf(const QJsonObject& stream, const char* key);
bool runFfmpeg(const QStringList& arguments);

// Mean absolute difference per channel, 0 to 255.
double meanDifference(const QImage& a, const QImage& b);

// Interleaved 16-bit samples of a WAV file's bytes, and of the soundtrack.
struct WavFormat;
std::vector<std::int16_t> samplesOf(const QByteArray& file, WavFormat* format = nullptr);
std::vector<std::int16_t> soundtrackSamples(WavFormat* format = nullptr);
