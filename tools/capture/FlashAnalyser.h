#pragma once

// Finds flashing that can trigger seizures in photosensitive viewers, frame by
// frame as a capture makes them, by two published rules: WCAG 2.x success
// criterion 2.3.1 (general and red flash thresholds) and ITU-R BT.1702.
//
// As implemented:
// - Colour: relative luminance from sRGB (each channel linearised, then
//   0.2126 R + 0.7152 G + 0.0722 B). BT.1702 speaks of cd/m²: we assume a
//   display whose white is 200 cd/m², so its 20 and 160 cd/m² are WCAG's 0.1
//   and 0.8 and one luminance rule serves both.
// - Transitions, per cell of a grid laid over the frame: the signal's last
//   extreme is kept; a transition is a change from it, opposite to the
//   cell's previous transition, of at least 0.1 in luminance where the darker
//   side is below 0.8 (a general flash's half), or of more than 20 in
//   (R - G - B) x 320 of linear values, negatives as 0, where one side is a
//   saturated red, R / (R + G + B) >= 0.8 (a red flash's half). Changes that
//   do not reach the step, and a fade or an edge that passes once, make no
//   flash. A transition belongs to the frame where it completes.
// - Counting: a flash is a pair of opposing transitions. A cell flashes
//   "more than three times in a second" at a frame when the second up to and
//   including it (the frames that start less than a second before its end)
//   holds seven transitions or more: six are exactly three flashes, which
//   both rules allow.
// - Area: the share of the frame's pixels in flashing cells. WCAG fails when
//   it exceeds 25 % of any 10° visual field, which it puts at 341x256 pixels
//   of a 1024x768 screen at a typical viewing distance; we scale that field
//   with the frame's width (the frame is seen as such a screen is, about 30°
//   wide), so it is width/3 x width/4 pixels, and find the worst placed one
//   with a summed-area table. BT.1702 fails when it exceeds 25 % of the
//   screen. Red flashes are held to the same area limits.
// - Grid: square blocks of pixels averaged in linear light, at most
//   `maxCells` blocks across (320 by default). In a frame seen 30° wide a
//   block is then about 0.09°: WCAG exempts fine, balanced patterns such as
//   a checkerboard of squares under 0.1°, and such patterns cancel within a
//   block. A 1080p frame (6x6-pixel blocks) also costs little.

#include "FrameRange.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

namespace flash {

constexpr double kLuminanceStep = 0.1;       // 20 cd/m² on the assumed display
constexpr double kDarkerBelow = 0.8;         // 160 cd/m²
constexpr double kDisplayPeakCdm2 = 200.0;   // the display BT.1702's figures are read against
constexpr double kSaturatedRed = 0.8;        // R / (R + G + B)
constexpr double kRedScale = 320.0;          // (R - G - B) x 320 ...
constexpr double kRedStep = 20.0;            // ... must change by more than this
constexpr int kFailingTransitions = 7;       // in one second: more than three flashes
constexpr double kAreaLimit = 0.25;          // of a 10° field (WCAG) or of the screen (BT.1702)
constexpr int kFieldOfScreenWidth = 341;     // the 10° field in pixels of a 1024x768 screen
constexpr int kFieldOfScreenHeight = 256;
constexpr int kScreenWidth = 1024;
constexpr int kDefaultCells = 320;

// What one frame shows: the shares of the area flashing more than three
// times in the second up to it, and the verdicts that follow.
struct FrameFlashes
{
    float viewShare = 0.0f;      // general flashes, share of the whole frame
    float fieldShare = 0.0f;     // general flashes, share of the worst 10° field
    float redViewShare = 0.0f;   // red flashes, the same two
    float redFieldShare = 0.0f;

    bool wcagGeneral() const { return fieldShare > kAreaLimit; }
    bool wcagRed() const { return redFieldShare > kAreaLimit; }
    bool btGeneral() const { return viewShare > kAreaLimit; }
    bool btRed() const { return redViewShare > kAreaLimit; }
    bool failsWcag() const { return wcagGeneral() || wcagRed(); }
    bool failsBt1702() const { return btGeneral() || btRed(); }
};

class FlashAnalyser
{
public:
    FlashAnalyser(int width, int height, FrameRate rate, int maxCells = kDefaultCells);

    // Takes the next frame (QImage::Format_RGB32 of the size given above).
    FrameFlashes add(const QImage& frame);

    int blockSize() const { return block; }
    int gridWidth() const { return columns; }
    int gridHeight() const { return rows; }
    int fieldWidth() const { return fieldColumns; }    // the 10° field, in cells
    int fieldHeight() const { return fieldRows; }

private:
    // One signal of one cell: its extremes since its last transition, and
    // the last seven transitions' frames.
    struct Signal
    {
        float low = 0.0f;
        float high = 0.0f;
        std::int8_t direction = 0;       // of the last transition: +1 up, -1 down, 0 none yet
        bool lowRed = false;             // whether the extremes are saturated red
        bool highRed = false;
        std::uint8_t next = 0;           // the oldest entry of `frames`, overwritten next
        std::array<std::int32_t, kFailingTransitions> frames;
    };

    void averageCells(const QImage& frame);
    bool luminanceStep(Signal& signal, float value) const;
    bool redStep(Signal& signal, float value, bool saturated) const;
    void transitionAt(Signal& signal) const;
    float worstField(const std::vector<std::uint8_t>& flashing);

    int width;
    int height;
    FrameRate rate;
    int block;
    int columns;
    int rows;
    int fieldColumns;
    int fieldRows;
    std::int32_t frame = 0;
    std::vector<std::int64_t> cellPixels;   // pixels in each cell (fewer at the right and bottom edges)
    std::vector<std::uint64_t> sums;        // per cell, linear R, G, B summed (1.0 = 65535)
    std::vector<Signal> luminance;
    std::vector<Signal> red;
    std::vector<std::uint8_t> flashing;
    std::vector<std::uint8_t> redFlashing;
    std::vector<std::int64_t> table;        // summed-area table of flashing pixels
    std::vector<std::int64_t> pixelTable;   // and of all pixels
};

} // namespace flash
