#pragma once

// One file the capture tool writes, written safely, alike for every output:
// - a symbolic link is followed: the file at its end is replaced or created,
//   and the link stays;
// - an existing target that is not a regular file (a directory, device, FIFO
//   or socket) is refused before anything is written;
// - the bytes go to a hidden file beside the target, renamed over it only by
//   commit(), after they reached the disk; until then every way out removes
//   the hidden file (discard(), the destructor, exit(), fatal signals);
// - a replaced file keeps its permission bits, and its owner where the system
//   allows; a new one gets 0666 less the umask.
//
// Small files are written whole with writeFile(). A file that grows, or that
// another program such as ffmpeg fills through temporaryPath(), is opened,
// written and committed. One that is never committed serves as a scratch file
// beside the target.

#include <QByteArray>
#include <QIODevice>
#include <QString>

class OutputFile : public QIODevice
{
public:
    // `suffix` ends the hidden file's name, for a scratch file that a program
    // recognises by it.
    explicit OutputFile(const QString& path, const QString& suffix = QString());
    ~OutputFile() override;

    // Why `path` cannot be an output, in one line, or an empty string. Creates nothing.
    static QString refusal(const QString& path);
    // As refusal(), and also whether a hidden file can be made beside the
    // target now, for outputs written only at the end. An empty `path` (no
    // file asked for) passes.
    static QString unwritable(const QString& path);
    // Writes `bytes` as the complete file at `path`; false with `error` set in one line.
    static bool writeFile(const QString& path, const QByteArray& bytes, QString& error);
    // `path` with symbolic links on its last part followed; false with `error` set.
    static bool followLinks(const QString& path, QString& resolved, QString& error);
    // Where the bytes written to `path` would land: links on its last part
    // followed, as an absolute path through its directory's real name. Two
    // outputs with one destination are one file.
    static QString destination(const QString& path);

    // Creates the hidden file; `mode` must be WriteOnly.
    bool open(OpenMode mode = WriteOnly) override;
    // Puts the complete file in place; false, and nothing left, if it cannot.
    bool commit();
    // Removes the hidden file; the target stays as it was.
    void discard();

    const QString& path() const { return target; }
    const QString& temporaryPath() const { return hidden; }
    int handle() const { return descriptor; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 size) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool failed(const QString& why);

    QString target;     // as the user named it
    QString suffix;
    QString resolved;   // where the links lead
    QString hidden;
    int descriptor = -1;
    int cleanupTicket = -1;
};
