// The capture tool's flash analysis and plots, run as its users run it.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

constexpr int kToolTimeoutMs = 120000;
const QSize kPlotSize(1600, 760);

struct ToolRun
{
    int exitCode = -1;
    QString errorOutput;
};

ToolRun capture(const QStringList& arguments)
{
    // As in CaptureToolTest: Qt's platform plugin leaks past the leak check.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(UMBRAFEN_CAPTURE_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(kToolTimeoutMs));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError()).trimmed()};
}

} // namespace

TEST(CaptureFlash, NamesTheFlashingStretchesAndWritesItsReportAndPlotBesideTheFrames)
{
    QTemporaryDir directory;
    const auto path = [&directory](const char* name) { return directory.filePath(QString::fromUtf8(name)); };
    // The falling drops' rings flicker over much of the view from about 14 s.
    const QStringList range = {"--from", "14", "--to", "16.5", "--size", "160x90"};
    const ToolRun run = capture(QStringList{"--frames", path("seq"), "--flash-report", path("r.csv"), "--flash-plot",
                                            path("p.png")} + range);
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_TRUE(
        run.errorOutput.contains(QStringLiteral("flashing above the general-flash threshold of WCAG 2.3.1 at 14.")))
        << run.errorOutput.toStdString();
    EXPECT_TRUE(run.errorOutput.contains(QStringLiteral("–16.5 s and of ITU-R BT.1702 at 15.")))
        << run.errorOutput.toStdString();
    EXPECT_EQ(QDir(path("seq")).entryList(QDir::Files).size(), 151);  // 150 frames and the music

    QFile report(path("r.csv"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(report.readAll()).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 151);
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("seconds,view_flashing_percent,")))
        << lines.first().toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("14.000000,0.00,0.00,"))) << lines[1].toStdString();
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(",fail,fail"))) << lines.last().toStdString();
    EXPECT_EQ(QImage(path("p.png")).size(), kPlotSize);

    // Switched off, the same range says nothing of flashing.
    const ToolRun quiet = capture(QStringList{"--frames", path("seq2"), "--no-flash-analysis"} + range);
    ASSERT_EQ(quiet.exitCode, 0) << quiet.errorOutput.toStdString();
    EXPECT_FALSE(quiet.errorOutput.contains(QStringLiteral("flashing"))) << quiet.errorOutput.toStdString();
}

TEST(CaptureFlash, BenchmarkPlotsItsFrameTimes)
{
    QTemporaryDir directory;
    const QString plot = directory.filePath(QStringLiteral("times.png"));
    const ToolRun run = capture({"--benchmark", "--plot", plot, "--from", "69", "--to", "70", "--size", "160x90",
                                 "--fps", "5"});
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_EQ(QImage(plot).size(), kPlotSize);
}

TEST(CaptureFlash, RefusesOutputsItCannotWriteBeforeTheFirstFrameAndLeavesNothing)
{
    QTemporaryDir directory;
    const auto path = [&directory](const char* name) { return directory.filePath(QString::fromUtf8(name)); };
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.csv")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(directory.path()).mkdir(QStringLiteral("folder.png")));
    const struct
    {
        QStringList arguments;
        const char* mentions;
    } cases[] = {
        {{"--frames", path("seq"), "--flash-report", path("missing/r.csv")}, "cannot write"},
        {{"--frames", path("seq"), "--flash-plot", path("folder.png")}, "not a regular file"},
        {{"--flash-report", path("fifo.csv")}, "not a regular file"},
        {{"--benchmark", "--plot", path("missing/p.png")}, "cannot write"},
    };
    for (const auto& c : cases) {
        const ToolRun run = capture(c.arguments + QStringList{"--to", "1", "--size", "64x36"});
        const std::string command = c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_TRUE(run.errorOutput.contains(QLatin1String(c.mentions)))
            << command << ": " << run.errorOutput.toStdString();
        EXPECT_FALSE(run.errorOutput.contains(QStringLiteral("frame 1 of"))) << command;
        const QDir::Filters everything = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden;
        EXPECT_EQ(QDir(directory.path()).entryList(everything), (QStringList{"fifo.csv", "folder.png"})) << command;
        EXPECT_FALSE(QFileInfo(path("fifo.csv")).isFile()) << command;
    }
}
