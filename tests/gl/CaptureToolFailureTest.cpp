// The capture tool refusing, failing and being stopped: every error one line
// and exit status 2, nothing left behind, what was at the target untouched,
// signals acted on within 2 s, even with an ffmpeg that lies or stalls.
//
// Sections: refused requests | links and modes | lying encoders | a full disk | signals.

#include "support/ProgramRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// What a directory holds, recursively, hidden files included: a line per name
// with its type and mode, owner, device number, and a file's size and time,
// so that any change shows.
std::string listing(const QString& root)
{
    QStringList entries;
    const QDir::Filters all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    QStringList pending{QString()};
    while (!pending.isEmpty()) {
        const QString relative = pending.takeFirst();
        for (const QString& name : QDir(root + '/' + relative).entryList(all, QDir::Name)) {
            const QString path = relative.isEmpty() ? name : relative + '/' + name;
            struct stat info = {};
            ::lstat(QFile::encodeName(root + '/' + path).constData(), &info);
            const bool file = S_ISREG(info.st_mode);
            entries << QStringLiteral("%1 %2 %3:%4 %5 %6 %7")
                           .arg(path)
                           .arg(info.st_mode, 0, 8)
                           .arg(info.st_uid)
                           .arg(info.st_gid)
                           .arg(info.st_rdev)
                           .arg(file ? info.st_size : 0)
                           .arg(file ? info.st_mtim.tv_sec * 1'000'000'000 + info.st_mtim.tv_nsec : 0);
            if (S_ISDIR(info.st_mode))
                pending << path;
        }
    }
    entries.sort();
    return entries.join('\n').toStdString();
}

std::string contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(unreadable)";
}

bool writeText(const QString& path, const QByteArray& text, QFile::Permissions permissions = QFile::Permissions())
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    return permissions == QFile::Permissions() || file.setPermissions(permissions);
}

// Running, and not a zombie that nobody reaped.
bool alive(pid_t pid)
{
    const QString stat = QString::fromStdString(contents(QStringLiteral("/proc/%1/stat").arg(pid)));
    return !stat.startsWith(QLatin1String("(unreadable)")) && !stat.section(QLatin1Char(')'), -1).startsWith(" Z");
}

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class CaptureToolFailure : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return directory.filePath(name); }

    // An environment whose ffmpeg is a shell script with `body`, the real ffprobe still there.
    QProcessEnvironment withFakeFfmpeg(const QByteArray& body)
    {
        QDir(directory.path()).mkpath(QStringLiteral("bin"));
        EXPECT_TRUE(writeText(path("bin/ffmpeg"), "#!/bin/sh\n" + body + "\n",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment environment = programEnvironment();
        environment.insert(QStringLiteral("PATH"), path("bin") + ':' + environment.value(QStringLiteral("PATH")));
        return environment;
    }

    // Runs a request that must fail: exit 2, one line naming `mentions`, the
    // directory as it was. Refused (not `drawn`), it shows no progress either:
    // no frame was drawn.
    void expectFailure(const QStringList& arguments, const char* mentions, bool drawn,
                       const QProcessEnvironment& environment = programEnvironment())
    {
        const std::string before = listing(directory.path());
        const ProgramRun run = capture(arguments, environment, directory.path());
        const std::string request = arguments.join(' ') .toStdString() + ": " + run.errorOutput.toStdString();
        EXPECT_EQ(run.exitCode, 2) << request;
        QStringList lines = run.errorOutput.split('\n');
        if (drawn)
            lines = lines.filter(QRegularExpression(QStringLiteral("^(?!frame \\d+ of \\d+, )")));
        ASSERT_EQ(lines.size(), 1) << request;
        EXPECT_TRUE(lines[0].startsWith(QLatin1String("umbrafen-capture: "))) << request;
        EXPECT_TRUE(lines[0].contains(QLatin1String(mentions))) << request;
        EXPECT_EQ(listing(directory.path()), before) << request;
    }

    QTemporaryDir directory;
};

} // namespace

// ---------------------------------------------------------------------------
// Requests refused before anything is drawn.

TEST_F(CaptureToolFailure, RefusesUnusableRequestsAndSpecialFilesBeforeDrawingInOneLine)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.png")).constData(), 0644), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.mp4")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("fifo.png"), path("link.png")));
    ASSERT_TRUE(QDir(directory.path()).mkdir(QStringLiteral("dir.mp4")));
    ASSERT_TRUE(QDir(directory.path()).mkdir(QStringLiteral("dir.png")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.csv")).constData(), 0644), 0);
    ASSERT_TRUE(writeText(path("file"), "a file"));
    ASSERT_TRUE(QFile::link(QStringLiteral("a.mkv"), path("report.csv")));
    const int unixSocket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", qPrintable(path("socket.mkv")));
    ASSERT_EQ(::bind(unixSocket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(unixSocket);
    // A device node of our own (the one /dev/full is): only root may make one.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::mknod(QFile::encodeName(path("full")).constData(), S_IFCHR | 0644, makedev(1, 7)), 0);
        ASSERT_TRUE(QFile::link(QStringLiteral("full"), path("full.png")));
        ASSERT_TRUE(QFile::link(QStringLiteral("full"), path("full.mkv")));
    }
    QTemporaryDir emptyPath;
    QProcessEnvironment withoutFfmpeg = programEnvironment();
    withoutFfmpeg.insert(QStringLiteral("PATH"), emptyPath.path());

    const struct
    {
        QStringList arguments;
        const char* mentions;
        bool needsRoot;
    } cases[] = {
        {{"--at", "1", "--output", "fifo.png"}, "it is a FIFO, not a regular file", false},
        {{"--at", "1", "--output", "link.png"}, "(a link to 'fifo.png'): it is a FIFO", false},
        {{"--at", "1", "--output", "full.png"}, "(a link to 'full'): it is a device", true},
        {{"--to", "2", "--output", "fifo.mp4"}, "it is a FIFO", false},
        {{"--to", "2", "--output", "dir.mp4"}, "it is a directory", false},
        {{"--to", "2", "--output", "socket.mkv"}, "it is a socket", false},
        {{"--to", "2", "--output", "full.mkv"}, "it is a device", true},
        {{"--to", "1", "--frames", "fifo.mp4"}, "not a directory", false},
        {{"--to", "1", "--frames", "file"}, "not a directory", false},
        {{"--to", "1", "--frames", "file/seq"}, "cannot write", false},
        {{"--to", "1", "--output", "missing/a.mp4"}, "cannot write", false},
        {{"--to", "1", "--output", "file/a.mkv"}, "cannot write", false},
        {{"--at", "1", "--output", "missing/dir/a.png"}, "cannot write", false},
        {{"--to", "1", "--frames", "seq", "--flash-report", "missing/r.csv"}, "cannot write", false},
        {{"--to", "1", "--frames", "seq", "--flash-plot", "dir.png"}, "it is a directory", false},
        {{"--to", "1", "--flash-report", "fifo.csv"}, "it is a FIFO", false},
        {{"--to", "1", "--benchmark", "--plot", "missing/p.png"}, "cannot write", false},
        {{"--at", "1", "--at", "2", "--output", "a.png"}, "--at is given twice", false},
        {{"--to", "1", "--fps", "30", "--fps", "60", "--output", "a.mp4"}, "--fps is given twice", false},
        {{"--from", "60", "--to", "60.2", "--fps", "0.0001", "--output", "a.mp4"}, "below 1 frame per second", false},
        {{"--to", "1", "--fps", "fast", "--output", "a.mp4"}, "--fps", false},
        {{"--from", "3", "--to", "2", "--output", "a.mp4"}, "--from", false},
        {{"--from", "9", "--to", "2", "--frames", "seq"}, "--from", false},
        {{"--at", "soon", "--output", "a.png"}, "--at", false},
        {{"--at", "nan", "--output", "a.png"}, "--at", false},
        {{"--output", "a.png"}, "--at", false},
        {{"--at", "1", "--output", "a.jpg"}, "--output", false},
        {{"--at", "1"}, "--output", false},
        {{"--at", "1", "--size", "0x64", "--output", "a.png"}, "--size", false},
        {{"--at", "1", "--size", "64by64", "--output", "a.png"}, "--size", false},
        {{"--at", "1", "--size", "999999x64", "--output", "a.png"}, "--size", false},
        {{"--to", "1", "--size", "65x64", "--output", "a.mp4"}, "odd", false},
        {{"--to", "1", "--output", "a.mkv", "--flash-report", "report.csv"}, "is also another output", false},
    };
    for (const auto& c : cases) {
        const QStringList size = c.arguments.contains("--size") ? QStringList() : QStringList{"--size", "64x64"};
        if (!c.needsRoot || root)
            expectFailure(c.arguments + size, c.mentions, false);
    }
    expectFailure({"--to", "1", "--size", "64x64", "--output", "a.mp4"}, "apt-get install ffmpeg", false, withoutFfmpeg);
    if (!root)
        std::printf("the rows with device nodes were skipped: making one needs root\n");
}

// ---------------------------------------------------------------------------
// One rule for every output: links are followed, the file at their end
// replaced or made; a replaced file keeps its mode (and owner), a new one
// gets 0666 less the umask.

TEST_F(CaptureToolFailure, FollowsLinksAndKeepsTheModeOfWhatItReplaces)
{
    const bool root = ::geteuid() == 0;
    const mode_t umaskBefore = ::umask(027);
    for (const QString name : {"still.png", "video.mp4", "video.mkv"}) {
        const QString real = path("real-" + name);
        ASSERT_TRUE(writeText(real, "old", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));  // 0604
        if (root) {
            ASSERT_EQ(::chown(QFile::encodeName(real).constData(), 1234, 1234), 0);
        }
        ASSERT_TRUE(QFile::link("real-" + name, path(name)));
        ASSERT_TRUE(QFile::link("made-" + name, path("dangling-" + name)));
        for (const QString& target : {path(name), path("dangling-" + name)}) {
            const QStringList range = name.endsWith(QLatin1String(".png")) ? QStringList{"--at", "30"}
                                                                            : QStringList{"--from", "30", "--to", "30.2"};
            const ProgramRun run = capture(range + QStringList{"--size", "64x64", "--output", target});
            ASSERT_EQ(run.exitCode, 0) << target.toStdString() << ": " << run.errorOutput.toStdString();
            EXPECT_TRUE(QFileInfo(target).isSymLink()) << target.toStdString();
        }
        EXPECT_GT(QFileInfo(real).size(), 3) << name.toStdString();
        EXPECT_EQ(modeOf(real), 0604u) << name.toStdString();
        EXPECT_EQ(modeOf(path("made-" + name)), 0640u) << name.toStdString();
        struct stat info = {};
        ::stat(QFile::encodeName(real).constData(), &info);
        if (root) {
            EXPECT_EQ(info.st_uid, 1234u) << name.toStdString();
        }
    }
    ::umask(umaskBefore);
    ASSERT_TRUE(QDir(directory.path()).mkdir(QStringLiteral("frames")));
    ASSERT_TRUE(QFile::link(QStringLiteral("frames"), path("seq")));
    const ProgramRun run = capture({"--frames", path("seq"), "--from", "30", "--to", "30.05", "--size", "64x64"});
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_TRUE(QFileInfo(path("seq")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(path("frames/frame-000002.png")));
    EXPECT_TRUE(QFileInfo::exists(path("frames/music.wav")));
}

// In a sticky directory such as /tmp, another user's file cannot be renamed
// over: refused before drawing, not once the output is finished.
TEST_F(CaptureToolFailure, RefusesAnotherUsersFileInAStickyDirectory)
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty())
        GTEST_SKIP() << "running the tool as another user needs root and setpriv";
    ASSERT_EQ(::chmod(QFile::encodeName(directory.path()).constData(), 01777), 0);
    ASSERT_TRUE(writeText(path("v.mp4"), "previous"));
    QProcess tool;
    tool.setProcessEnvironment(programEnvironment());
    tool.setWorkingDirectory(directory.path());
    tool.start(setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", QStringLiteral(UMBRAFEN_CAPTURE_PATH),
                         "--to", "1", "--size", "64x64", "--output", "v.mp4"});
    ASSERT_TRUE(tool.waitForFinished(kToolTimeoutMs));
    const QString said = QString::fromLocal8Bit(tool.readAllStandardError()).trimmed();
    EXPECT_EQ(tool.exitCode(), 2) << said.toStdString();
    EXPECT_TRUE(said.startsWith(QLatin1String("umbrafen-capture: cannot write 'v.mp4': it belongs to another user")))
        << said.toStdString();
    EXPECT_EQ(contents(path("v.mp4")), "previous");
}

// ---------------------------------------------------------------------------
// An ffmpeg that lies, fails or writes too little: never a false success.

TEST_F(CaptureToolFailure, AnEncoderThatLiesOrFailsLeavesThePreviousVideo)
{
    const struct
    {
        const char* what;
        QByteArray script;
        const char* mentions;
    } cases[] = {
        {"reads every frame, writes nothing, exits 0", "cat > /dev/null", "'v.mp4' is incomplete: Invalid data"},
        {"writes garbage, exits 0", "cat > /dev/null; for last; do :; done; head -c 5000 /dev/zero > \"${last#file:}\"",
         "'v.mp4' is incomplete"},
        {"writes a video of 6 of the 30 frames, exits 0",
         "cat > /dev/null; for last; do :; done; exec \"$REAL\" -v error -y -f lavfi -i testsrc=size=64x64:rate=60 "
         "-f lavfi -i sine -frames:v 6 -shortest -c:v libx264 -c:a aac -f mp4 \"$last\"",
         "holds 6 of the 30 frames"},
        {"writes the video, logs an error, exits 0", "\"$REAL\" \"$@\"; echo 'Error writing trailer: No space left' >&2",
         "ffmpeg could not write 'v.mp4': Error writing trailer: No space left"},
        {"exits 0 without reading", "exit 0", "ffmpeg stopped reading the frames for 'v.mp4': it exited with status 0"},
        {"fails", "echo \"Unknown encoder 'libx264'\" >&2; exit 1", "Unknown encoder 'libx264'"},
    };
    ASSERT_TRUE(writeText(path("v.mp4"), "previous", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(writeText(path("r.csv"), "previous"));  // the flash report goes with the video
    const QString realFfmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    for (const auto& c : cases) {
        QProcessEnvironment environment = withFakeFfmpeg(c.script);
        environment.insert(QStringLiteral("REAL"), realFfmpeg);
        SCOPED_TRACE(c.what);
        expectFailure({"--from", "30", "--to", "30.5", "--size", "64x64", "--output", "v.mp4", "--flash-report", "r.csv"},
                      c.mentions, true, environment);
        EXPECT_EQ(contents(path("v.mp4")), "previous");
    }
}

// ---------------------------------------------------------------------------
// A full disk: a small tmpfs (mounting one needs root).

TEST_F(CaptureToolFailure, AFullDiskFailsEveryOutputAndLeavesThePreviousFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a 2 MB tmpfs to fill needs root";
    const QString small = path("small");
    ASSERT_TRUE(QDir().mkdir(small));
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "this system does not let root mount a tmpfs: " << std::strerror(errno);
    const auto unmount = qScopeGuard([&small] { ::umount2(QFile::encodeName(small).constData(), MNT_DETACH); });
    ASSERT_TRUE(writeText(small + "/v.mkv", "previous", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(writeText(small + "/v.mp4", "previous", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QStringList range{"--from", "60", "--to", "62", "--size", "640x360"};
    expectFailure(range + QStringList{"--crf", "1", "--output", "small/v.mkv"}, "No space left on device", true);
    expectFailure(range + QStringList{"--crf", "1", "--output", "small/v.mp4"}, "No space left on device", true);
    expectFailure(range + QStringList{"--frames", "small/a/b/c"}, "No space left on device", true);
    // A still on a full disk: libpng must not add a line of its own.
    writeText(small + "/filler", QByteArray(2 * 1024 * 1024, 'x'));
    expectFailure({"--at", "60", "--size", "1920x1080", "--output", "small/v.png"}, "No space left on device", false);
    EXPECT_EQ(contents(small + "/v.mkv"), "previous");
    EXPECT_EQ(contents(small + "/v.mp4"), "previous");
}

// ---------------------------------------------------------------------------
// Signals act within 2 s, even when ffmpeg stops reading and ignores SIGTERM;
// the ones the tool does not handle still take its temporary files and ffmpeg along.

TEST_F(CaptureToolFailure, SignalsEndItWithinTwoSecondsWhenFfmpegStalls)
{
    ASSERT_TRUE(writeText(path("v.mp4"), "previous"));
    const QProcessEnvironment environment = withFakeFfmpeg("echo $$ > \"$MARK\"; trap '' TERM; exec sleep 1000");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
        SCOPED_TRACE(strsignal(signal));
        QFile::remove(path("pid"));
        const std::string before = listing(directory.path());
        QProcessEnvironment marked = environment;
        marked.insert(QStringLiteral("MARK"), path("pid"));
        QProcess tool;
        tool.setProcessEnvironment(marked);
        tool.setWorkingDirectory(directory.path());
        tool.start(QStringLiteral(UMBRAFEN_CAPTURE_PATH), {"--to", "10", "--size", "320x180", "--output", "v.mp4"});
        const auto ffmpegId = [this] { return QString::fromStdString(contents(path("pid"))).trimmed().toInt(); };
        ASSERT_TRUE(QTest::qWaitFor([&] { return ffmpegId() > 0; }, kToolTimeoutMs));
        const pid_t ffmpeg = ffmpegId();
        QTest::qSleep(300);  // the first frame fills the pipe that ffmpeg does not read

        QElapsedTimer stopping;
        stopping.start();
        ::kill(static_cast<pid_t>(tool.processId()), signal);
        const bool ended = tool.waitForFinished(10000);
        EXPECT_TRUE(ended) << "still running 10 s after the signal";
        if (!ended) {
            tool.kill();
            tool.waitForFinished();
        }
        const double seconds = stopping.elapsed() / 1000.0;
        std::printf("%s: ended after %.2f s\n", strsignal(signal), seconds);
        EXPECT_LT(seconds, 2.0);
        if (signal == SIGUSR1) {
            EXPECT_EQ(tool.exitStatus(), QProcess::CrashExit);
        } else {
            EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(tool.exitCode(), 130);
        }
        // A SIGKILL takes a moment to land.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !alive(ffmpeg); }, 1000));
        if (alive(ffmpeg))
            ::kill(ffmpeg, SIGKILL);  // the fake this test started, by its id
        QFile::remove(path("pid"));
        EXPECT_EQ(listing(directory.path()), before);
        EXPECT_EQ(contents(path("v.mp4")), "previous");
    }
}
