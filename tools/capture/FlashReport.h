#pragma once

// Looks for flashing in every frame a capture writes, by wrapping its sink
// (or standing alone over a range): at the end it writes the per-frame report
// and plot if asked for, and prints one line naming the stretches that flash
// above the WCAG 2.3.1 or ITU-R BT.1702 thresholds, so whoever publishes the
// video knows to warn its viewers.

#include "FlashAnalyser.h"
#include "FlashOptions.h"
#include "FrameRange.h"
#include "FrameSink.h"
#include "OutputFile.h"

#include <memory>
#include <optional>
#include <vector>

class Schedule;

class FlashReport : public FrameSink
{
public:
    // `inner` (or null, for the analysis alone) analysed as it is written,
    // or `inner` itself when the analysis is switched off. The schedule's
    // scenes are read when the plot is drawn.
    static std::unique_ptr<FrameSink> around(std::unique_ptr<FrameSink> inner, const FlashOptions& options,
                                             const FrameRange& range, const Schedule& schedule);

    FlashReport(std::unique_ptr<FrameSink> inner, const FlashOptions& options, const FrameRange& range,
                const Schedule& schedule);

    bool open() override;
    bool write(const QImage& frame) override;
    bool finish(std::int64_t frames) override;
    void abandon() override;
    QString target() const override;

    // The one line for the frames analysed, or an empty string if none fails.
    static QString summary(const std::vector<flash::FrameFlashes>& frames, const FrameRange& range);
    // Every frame's time, shares and verdicts as CSV.
    static QByteArray table(const std::vector<flash::FrameFlashes>& frames, const FrameRange& range);

private:
    // Writes the report and the plot asked for under hidden names, not yet in place.
    bool prepareOutputs();
    bool prepare(const QString& path, const QByteArray& bytes);

    std::unique_ptr<FrameSink> inner;
    FlashOptions options;
    FrameRange range;
    const Schedule& schedule;
    std::optional<flash::FlashAnalyser> analyser;
    std::vector<flash::FrameFlashes> frames;
    std::vector<std::unique_ptr<OutputFile>> pending;  // written, put in place by finish()
};
