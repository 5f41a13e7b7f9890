#pragma once

// Writes the frames of a range as numbered PNG files, frame-000000.png on,
// into a directory, and the soundtrack over the same frames as music.wav, for
// editing elsewhere. The directory must be new or empty; on failure what was
// written goes again, and the directory too if it was made here.

#include "FrameRange.h"
#include "FrameSink.h"

#include <QStringList>

class SoundtrackClip;

class FrameSequenceWriter : public FrameSink
{
public:
    FrameSequenceWriter(const QString& directory, const FrameRange& range, const SoundtrackClip& soundtrack);

    static QString frameName(std::int64_t n);
    static QString musicName();

    bool open() override;
    bool write(const QImage& frame) override;
    bool finish(std::int64_t frames) override;
    void abandon() override;
    QString target() const override { return directory; }

private:
    QString directory;
    FrameRange range;
    const SoundtrackClip& soundtrack;
    bool madeDirectory = false;
    std::int64_t next = 0;
    QStringList written;
};
