#pragma once

// Where the frames of a range go: a video or a PNG sequence. Nothing the sink
// writes is left behind unless finish() succeeds.

#include <QImage>
#include <QString>

#include <cstdint>

class FrameSink
{
public:
    virtual ~FrameSink() = default;

    // Prepares the output; false, with error() saying why, if it cannot be written.
    virtual bool open() = 0;
    // Adds the next frame (a QImage::Format_RGB32 image of the capture size).
    virtual bool write(const QImage& frame) = 0;
    // Completes the output from the `frames` frames written so far, soundtrack included.
    virtual bool finish(std::int64_t frames) = 0;
    // Removes whatever was written.
    virtual void abandon() = 0;

    // What a failed call could not do, in one line.
    const QString& error() const { return failure; }
    // The file or directory being written, as the user named it.
    virtual QString target() const = 0;

protected:
    bool fail(const QString& message)
    {
        failure = message;
        return false;
    }

private:
    QString failure;
};
