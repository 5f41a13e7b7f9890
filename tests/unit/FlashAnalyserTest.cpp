// The flash analysis against clips whose answers the published rules give:
// each clip is run on a grid of single pixels and on one of 4x4 blocks, and
// both must reach the same verdicts at the same frame. Then the line that
// names the failing stretches.

#include "tools/capture/FlashAnalyser.h"
#include "tools/capture/FlashReport.h"

#include <QPainter>

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 128;  // 16:9; the 10° field is about 43x32 pixels of it
constexpr int kHeight = 72;
constexpr int kFps = 60;

// The 8-bit grey whose relative luminance is nearest `y`.
QColor grey(double y)
{
    const double c = y <= 0.0031308 ? y * 12.92 : 1.055 * std::pow(y, 1.0 / 2.4) - 0.055;
    const int code = static_cast<int>(std::lround(c * 255.0));
    return QColor(code, code, code);
}

// Which of two pictures frame n shows when they alternate `perSecond` times
// a second (one flash: one of each).
bool firstOf(double perSecond, int n)
{
    return static_cast<long>(std::floor(2.0 * perSecond * n / kFps)) % 2 == 0;
}

using Painter = std::function<void(QPainter&, int n)>;

Painter alternating(double perSecond, QColor a, QColor b, QRect area = QRect(0, 0, kWidth, kHeight))
{
    return [=](QPainter& p, int n) {
        p.fillRect(QRect(0, 0, kWidth, kHeight), Qt::black);
        p.fillRect(area, firstOf(perSecond, n) ? a : b);
    };
}

struct Verdicts
{
    bool wcag = false;
    bool bt1702 = false;
    bool general = false;   // by the general-flash rule of either
    bool red = false;       // by the red-flash rule of either
    int firstFailing = -1;  // the first frame failing WCAG
};

Verdicts analyse(const Painter& paint, int seconds, int maxCells)
{
    flash::FlashAnalyser analyser(kWidth, kHeight, {kFps, 1}, maxCells);
    QImage frame(kWidth, kHeight, QImage::Format_RGB32);
    Verdicts verdicts;
    for (int n = 0; n < seconds * kFps; ++n) {
        QPainter painter(&frame);
        paint(painter, n);
        painter.end();
        const flash::FrameFlashes f = analyser.add(frame);
        if (f.failsWcag() && verdicts.firstFailing < 0)
            verdicts.firstFailing = n;
        verdicts.wcag = verdicts.wcag || f.failsWcag();
        verdicts.bt1702 = verdicts.bt1702 || f.failsBt1702();
        verdicts.general = verdicts.general || f.wcagGeneral() || f.btGeneral();
        verdicts.red = verdicts.red || f.wcagRed() || f.btRed();
    }
    return verdicts;
}

} // namespace

TEST(FlashAnalyser, SyntheticClipsGetThePublishedVerdictsOnAFineAndACoarseGrid)
{
    const QColor white = Qt::white;
    const QColor black = Qt::black;
    const QColor red(255, 0, 0);
    const struct
    {
        const char* clip;
        Painter paint;
        Verdicts expected;
    } cases[] = {
        {"black/white, whole view, 2 flashes/s", alternating(2, white, black), {}},
        // Six transitions in every second: three flashes, not more.
        {"black/white, whole view, 3 flashes/s", alternating(3, white, black), {}},
        // Seven transitions in every second; the seventh completes at frame 60.
        {"black/white, whole view, 3.5 flashes/s", alternating(3.5, white, black), {true, true, true, false, 60}},
        // A transition every 3 frames: the seventh at frame 21.
        {"black/white, whole view, 10 flashes/s", alternating(10, white, black), {true, true, true, false, 21}},
        // 2 % of the view, 14 % of a 10° field.
        {"10 Hz over 2 %", alternating(10, white, black, QRect(8, 8, 16, 12)), {}},
        // 10 % of the view, within one 10° field: WCAG's limit, not the screen's.
        {"10 Hz over 10 %", alternating(10, white, black, QRect(40, 20, 32, 28)), {true, false, true, false, 21}},
        {"10 Hz over 30 %", alternating(10, white, black, QRect(16, 12, 64, 44)), {true, true, true, false, 21}},
        {"dark greys 0.02/0.09, 10 Hz", alternating(10, grey(0.02), grey(0.09)), {}},
        {"light greys 0.82/1.0, 10 Hz", alternating(10, grey(0.82), white), {}},
        {"fade from black to white over 3 s",
         [](QPainter& p, int n) { p.fillRect(0, 0, kWidth, kHeight, grey(n / (3.0 * kFps))); }, {}},
        // Red against black changes luminance by 0.21 too: both kinds of flash.
        {"saturated red/black, 5 flashes/s", alternating(5, red, black), {true, true, true, true, 42}},
        // The red rule alone.
        {"saturated red/grey of the same luminance, 5 flashes/s", alternating(5, red, grey(0.2126)),
         {true, true, false, true, 42}},
        // Dark red: (R - G - B) x 320 changes by 41, luminance by only 0.027.
        {"dark red (100, 0, 0)/black, 5 flashes/s", alternating(5, QColor(100, 0, 0), black),
         {true, true, false, true, 42}},
        // (R - G - B) x 320 changes by 96, but R is only 59 % of R + G + B.
        {"pink/grey of the same luminance, 5 flashes/s", alternating(5, QColor(255, 160, 160), grey(0.489)), {}},
        {"an edge that sweeps across once in a second",
         [](QPainter& p, int n) {
             p.fillRect(0, 0, kWidth, kHeight, Qt::white);
             p.fillRect(0, 0, std::min(kWidth, n * kWidth / kFps), kHeight, Qt::black);
         },
         {}},
    };
    for (const auto& c : cases) {
        for (const int cells : {kWidth, kWidth / 4}) {
            const Verdicts v = analyse(c.paint, 3, cells);
            const std::string name = std::string(c.clip) + ", " + std::to_string(cells) + " cells wide";
            EXPECT_EQ(v.wcag, c.expected.wcag) << name;
            EXPECT_EQ(v.bt1702, c.expected.bt1702) << name;
            EXPECT_EQ(v.general, c.expected.general) << name;
            EXPECT_EQ(v.red, c.expected.red) << name;
            EXPECT_EQ(v.firstFailing, c.expected.firstFailing) << name;
        }
    }
}

TEST(FlashReport, SummaryNamesEachRulesStretchesJoiningLullsUnderASecond)
{
    // At 10 fps from 10 s: '-' passes, 'v' fails BT.1702 on the whole view, 'f' WCAG on a
    // field, 'b' both, 'r' WCAG's red rule.
    const auto frames = [](const char* pattern) {
        std::vector<flash::FrameFlashes> list;
        for (const char* c = pattern; *c; ++c) {
            flash::FrameFlashes f;
            f.fieldShare = *c == 'f' || *c == 'b' ? 0.3f : 0.25f;  // 25 % is allowed: the limit is "more than"
            f.viewShare = *c == 'v' || *c == 'b' ? 0.3f : 0.0f;
            f.redFieldShare = *c == 'r' ? 0.5f : 0.0f;
            list.push_back(f);
        }
        return list;
    };
    const FrameRange range(10.0, 20.0, {10, 1});
    const struct
    {
        const char* pattern;
        const char* line;
    } cases[] = {
        {"----------", ""},
        {"--ff--", "flashing above the general-flash threshold of WCAG 2.3.1 at 10.2–10.4 s"},
        // A lull of 0.9 s joins; one of a second does not.
        {"f---------f----------f", "flashing above the general-flash threshold of WCAG 2.3.1 at 10.0–11.1 s "
                                   "and 12.1–12.2 s"},
        {"ff-----------f-----------bb", "flashing above the general-flash threshold of WCAG 2.3.1 at 10.0–10.2 s, "
                                        "11.3–11.4 s and 12.5–12.7 s and of ITU-R BT.1702 at 12.5–12.7 s"},
        {"v-rr", "flashing above the general-flash threshold of ITU-R BT.1702 at 10.0–10.1 s; red flashing above "
                 "the red-flash threshold of WCAG 2.3.1 at 10.2–10.4 s"},
    };
    for (const auto& c : cases) {
        const QString expected = *c.line ? QString::fromUtf8(c.line) +
                                               QStringLiteral("; add a photosensitivity warning where you publish this")
                                         : QString();
        EXPECT_EQ(FlashReport::summary(frames(c.pattern), range), expected) << c.pattern;
    }
}
