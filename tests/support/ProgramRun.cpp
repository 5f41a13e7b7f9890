#include "support/ProgramRun.h"

#include "audio/Soundtrack.h"
#include "audio/WavFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstring>

QProcessEnvironment programEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    return environment;
}

ProgramRun run(const char* program, const QStringList& arguments, const QProcessEnvironment& environment,
               const QString& workingDirectory)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(QLatin1String(program), arguments);
    EXPECT_TRUE(process.waitForFinished(kToolTimeoutMs)) << program;
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError()).trimmed(),
            QString::fromUtf8(process.readAllStandardOutput())};
}

QJsonArray probeStreams(const QString& file)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {"-v", "error", "-count_frames", "-show_entries",
                 "stream=codec_type,codec_name,profile,width,height,pix_fmt,r_frame_rate,nb_read_frames,start_time,"
                 "duration,sample_rate",
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

double doubleOf(const QJsonObject& stream, const char* key)
{
    bool number = false;
    const double value = stream.value(QLatin1String(key)).toString().toDouble(&number);
    return number ? value : -1.0;
}

bool runFfmpeg(const QStringList& arguments)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y"} + arguments);
    return ffmpeg.waitForFinished(kToolTimeoutMs) && ffmpeg.exitCode() == 0;
}

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

std::vector<std::int16_t> samplesOf(const QByteArray& file, WavFormat* format)
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

std::vector<std::int16_t> soundtrackSamples(WavFormat* format)
{
    QFile resource(QString::fromLatin1(kSoundtrackResource));
    return resource.open(QIODevice::ReadOnly) ? samplesOf(resource.readAll(), format) : std::vector<std::int16_t>();
}
