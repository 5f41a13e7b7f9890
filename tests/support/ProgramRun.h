#pragma once

// Runs our two programs as their users run them, each a process of its own,
// and reads the capture tool's files back with Qt, ffprobe and ffmpeg.

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

constexpr int kToolTimeoutMs = 120000;

struct ProgramRun
{
    int exitCode = -1;  // -1 when a signal ended it
    QString errorOutput;
    QString output;
};

// The test's environment without XDG_RUNTIME_DIR (the programs must not let Qt
// complain about it) and without the leak check at exit: Qt unloads its
// platform plugin before it runs, so what the plugin keeps for the process's
// lifetime shows up from a module no suppression can name. The programs' own
// code is leak-checked where the GL tests run it in-process.
QProcessEnvironment programEnvironment();
// Runs `program` (UMBRAFEN_PATH or UMBRAFEN_CAPTURE_PATH) to its end.
ProgramRun run(const char* program, const QStringList& arguments,
               const QProcessEnvironment& environment = programEnvironment(),
               const QString& workingDirectory = QString());
inline ProgramRun capture(const QStringList& arguments, const QProcessEnvironment& environment = programEnvironment(),
                          const QString& workingDirectory = QString())
{
    return run(UMBRAFEN_CAPTURE_PATH, arguments, environment, workingDirectory);
}

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
