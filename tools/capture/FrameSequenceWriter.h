#pragma once

// Writes the frames of a range as numbered PNG files, frame-000000.png on,
// into a directory, and the soundtrack over the same frames as music.wav, for
// editing elsewhere. The directory must be new or empty (a link to one is
// followed); each file goes in through OutputFile. On failure what was
// written goes again, and so does every directory made here.

#include "FrameRange.h"
#include "FrameSink.h"

#include <QStringList>

class SoundtrackClip;

class FrameSequenceWriter : public FrameSink
{
public:
    FrameSequenceWriter(const QString& directory, const FrameRange& range, const SoundtrackClip& soundtrack);
    ~FrameSequenceWriter() override;

    static QString frameName(std::int64_t n);
    static QString musicName();

    bool open() override;
    bool write(const QImage& frame) override;
    bool finish(std::int64_t frames) override;
    void abandon() override;
    QString target() const override { return directory; }

private:
    bool makeDirectories();

    QString directory;
    QString resolved;  // where the links lead
    FrameRange range;
    const SoundtrackClip& soundtrack;
    QStringList madeDirectories;  // outermost first
    std::int64_t next = 0;
    QStringList written;
    bool finished = false;
};
