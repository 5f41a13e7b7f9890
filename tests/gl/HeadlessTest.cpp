// The programs with no display server: the capture tool draws through EGL and
// gives the pixels it gives on an X display; with no OpenGL at all, and for
// help, version and mistakes, both programs answer in words, never with Qt's abort.

#include "support/NeedsDisplay.h"
#include "support/ProgramRun.h"

#include "UmbrafenVersion.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Only Mesa's EGL vendor makes EGL work here; naming a vendor file that does
// not exist leaves EGL with none, as on a machine without libegl-mesa0.
constexpr char kNoEglVendor[] = "/nonexistent/egl_vendor.json";

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = programEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    // Set for this process when it runs with no display; the programs choose for themselves.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

QProcessEnvironment withoutOpenGl()
{
    QProcessEnvironment environment = withoutDisplay();
    environment.insert(QStringLiteral("__EGL_VENDOR_LIBRARY_FILENAMES"), QLatin1String(kNoEglVendor));
    return environment;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Both draw into the same kind of framebuffer with the same Mesa rasteriser:
// the PNG files must be the same, byte for byte, through the whole demo.
TEST(Headless, EglGivesTheSamePixelsAsTheXDisplay)
{
    SKIP_WITHOUT_A_DISPLAY();
    QTemporaryDir directory;
    QProcessEnvironment egl = withoutDisplay();
    egl.insert(QStringLiteral("UMBRAFEN_CAPTURE_GL"), QStringLiteral("egl"));
    QProcessEnvironment x11 = programEnvironment();
    x11.insert(QStringLiteral("UMBRAFEN_CAPTURE_GL"), QStringLiteral("x11"));
    for (const char* at : {"12", "30", "50", "68"}) {
        const QString eglFrame = directory.filePath(QStringLiteral("egl-%1.png").arg(at));
        const QString xFrame = directory.filePath(QStringLiteral("x11-%1.png").arg(at));
        const ProgramRun fromEgl = capture({"--at", at, "--size", "960x540", "--output", eglFrame}, egl);
        const ProgramRun fromX = capture({"--at", at, "--size", "960x540", "--output", xFrame}, x11);
        ASSERT_EQ(fromEgl.exitCode, 0) << fromEgl.errorOutput.toStdString();
        ASSERT_EQ(fromX.exitCode, 0) << fromX.errorOutput.toStdString();
        const QByteArray eglBytes = fileBytes(eglFrame);
        EXPECT_FALSE(eglBytes.isEmpty()) << at;
        EXPECT_TRUE(eglBytes == fileBytes(xFrame)) << "frames at " << at << " s differ";
    }
}

TEST(Headless, HelpAndVersionNeedNeitherDisplayNorOpenGl)
{
    const ProgramRun help = run(UMBRAFEN_CAPTURE_PATH, {"--help"}, withoutOpenGl());
    EXPECT_EQ(help.exitCode, 0) << help.errorOutput.toStdString();
    for (const char* shown : {"--at SECONDS", "--output FILE", "--frames DIR", "--benchmark", "--size WIDTHxHEIGHT",
                              "default 1920x1080", "--from SECONDS", "default 0)", "--to SECONDS", "default 75",
                              "--fps RATE", "default 60", "--crf N", "default 18", "--straightforward", "--version",
                              "umbrafen-capture --at 30", "UMBRAFEN_CAPTURE_GL"})
        EXPECT_TRUE(help.output.contains(QLatin1String(shown))) << shown;
    EXPECT_EQ(run(UMBRAFEN_CAPTURE_PATH, {"-h"}, withoutOpenGl()).output, help.output);

    const QString version = QStringLiteral(" %1\n").arg(QLatin1String(kUmbrafenVersion));
    const ProgramRun captureVersion = run(UMBRAFEN_CAPTURE_PATH, {"--version"}, withoutOpenGl());
    EXPECT_EQ(captureVersion.exitCode, 0);
    EXPECT_EQ(captureVersion.output, QStringLiteral("umbrafen-capture") + version);
    const ProgramRun programVersion = run(UMBRAFEN_PATH, {"--version"}, withoutOpenGl());
    EXPECT_EQ(programVersion.exitCode, 0);
    EXPECT_EQ(programVersion.output, QStringLiteral("umbrafen") + version);
    const ProgramRun programHelp = run(UMBRAFEN_PATH, {"--help"}, withoutOpenGl());
    EXPECT_EQ(programHelp.exitCode, 0);
    EXPECT_TRUE(programHelp.output.contains(QStringLiteral("Space"))) << programHelp.output.toStdString();
    // Printed to a full disk, it is no success.
    for (const char* program : {UMBRAFEN_CAPTURE_PATH, UMBRAFEN_PATH}) {
        QProcess full;
        full.setStandardOutputFile(QStringLiteral("/dev/full"));
        full.start(QLatin1String(program), {"--version"});
        ASSERT_TRUE(full.waitForFinished(kToolTimeoutMs));
        EXPECT_EQ(full.exitCode(), 2) << program;
        EXPECT_TRUE(full.readAllStandardError().contains("cannot write to standard output")) << program;
    }
}

// Each refusal is one line of ours with status 2, and leaves no file.
TEST(Headless, WithoutOpenGlOrADisplayEachProgramSaysSoInOneLine)
{
    QTemporaryDir directory;
    const QString frame = directory.filePath(QStringLiteral("f.png"));
    QProcessEnvironment forcedX = withoutDisplay();
    forcedX.insert(QStringLiteral("UMBRAFEN_CAPTURE_GL"), QStringLiteral("x11"));
    QProcessEnvironment unknownSource = withoutDisplay();
    unknownSource.insert(QStringLiteral("UMBRAFEN_CAPTURE_GL"), QStringLiteral("wayland"));
    QProcessEnvironment deadDisplay = withoutDisplay();
    deadDisplay.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
    // EGL present, Mesa's drivers missing: Mesa's warnings must not come before our line.
    QProcessEnvironment noDriver = withoutDisplay();
    noDriver.insert(QStringLiteral("LIBGL_DRIVERS_PATH"), QStringLiteral("/nonexistent"));
    // A display that refuses the GLX context (no indirect rendering, as over ssh -X).
    QProcessEnvironment refusingX = forcedX;
    refusingX.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("DISPLAY"));
    refusingX.insert(QStringLiteral("LIBGL_ALWAYS_INDIRECT"), QStringLiteral("1"));
    // Qt's own platform option passes; a mistyped one of ours must not open the demo.
    QProcessEnvironment offscreen = withoutDisplay();
    offscreen.insert(QStringLiteral("XDG_RUNTIME_DIR"), directory.path());
    QProcessEnvironment refusingWindow = refusingX;
    refusingWindow.insert(QStringLiteral("XDG_RUNTIME_DIR"), directory.path());
    const struct
    {
        const char* program;
        QStringList arguments;
        QProcessEnvironment environment;
        const char* says;
    } cases[] = {
        {UMBRAFEN_CAPTURE_PATH, {"--at", "30", "--size", "64x64", "--output", frame}, withoutOpenGl(),
         "apt-get install libegl-mesa0 libgl1-mesa-dri"},
        {UMBRAFEN_CAPTURE_PATH, {"--at", "30", "--size", "64x64", "--output", frame}, noDriver, "libgl1-mesa-dri"},
        {UMBRAFEN_CAPTURE_PATH, {"--at", "30", "--size", "64x64", "--output", frame}, forcedX, "no X display"},
        {UMBRAFEN_CAPTURE_PATH, {"--at", "30", "--size", "64x64", "--output", frame}, refusingX, "no OpenGL on an X"},
        {UMBRAFEN_CAPTURE_PATH, {"--at", "30", "--size", "64x64", "--output", frame}, unknownSource, "wayland"},
        {UMBRAFEN_CAPTURE_PATH, {"--at", "soon", "--size", "64x64", "--output", frame}, withoutOpenGl(), "--at"},
        {UMBRAFEN_CAPTURE_PATH, {"--no-such-option"}, withoutOpenGl(), "no-such-option"},
        {UMBRAFEN_PATH, {}, withoutDisplay(), "no display"},
        {UMBRAFEN_PATH, {}, deadDisplay, ":4711"},
        {UMBRAFEN_PATH, {"-platform", "offscreen", "--verison"}, offscreen, "unknown argument '--verison'"},
        {UMBRAFEN_PATH, {}, refusingWindow, qEnvironmentVariableIsEmpty("DISPLAY") ? "no display" : "no OpenGL context"},
    };
    for (const auto& c : cases) {
        const ProgramRun refused = run(c.program, c.arguments, c.environment);
        const std::string command = (QLatin1String(c.program) + ' ' + c.arguments.join(' ')).toStdString();
        EXPECT_EQ(refused.exitCode, 2) << command;
        EXPECT_TRUE(refused.errorOutput.contains(QLatin1String(c.says))) << command << ": " << refused.errorOutput.toStdString();
        EXPECT_EQ(refused.errorOutput.count(QLatin1Char('\n')), 0) << command << ": " << refused.errorOutput.toStdString();
        EXPECT_FALSE(QFile::exists(frame)) << command;
    }
}
