#include "FlashAnalyser.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

constexpr double kLinearOne = 65535.0;  // linear light in whole numbers, so cell sums are exact
constexpr std::int32_t kNever = -(1 << 30);  // a transition frame long before any window

// sRGB's transfer function undone, per 8-bit code. (WCAG's older 0.03928 knee
// and sRGB's 0.04045 fall between the same two codes, 10 and 11.)
const std::array<std::uint32_t, 256>& linearOfCode()
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> values{};
        for (int code = 0; code < 256; ++code) {
            const double c = code / 255.0;
            const double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            values[static_cast<std::size_t>(code)] = static_cast<std::uint32_t>(std::lround(linear * kLinearOne));
        }
        return values;
    }();
    return table;
}

} // namespace

FlashAnalyser::FlashAnalyser(int frameWidth, int frameHeight, FrameRate frameRate, int maxCells)
    : width(std::max(1, frameWidth)), height(std::max(1, frameHeight)), rate(frameRate)
{
    maxCells = std::max(1, maxCells);
    block = (width + maxCells - 1) / maxCells;
    columns = (width + block - 1) / block;
    rows = (height + block - 1) / block;

    // The 10° field, scaled with the frame's width and kept within the frame.
    const double fieldWidthPixels = std::min<double>(width, width * double(kFieldOfScreenWidth) / kScreenWidth);
    const double fieldHeightPixels = std::min<double>(height, width * double(kFieldOfScreenHeight) / kScreenWidth);
    fieldColumns = std::clamp(static_cast<int>(std::lround(fieldWidthPixels / block)), 1, columns);
    fieldRows = std::clamp(static_cast<int>(std::lround(fieldHeightPixels / block)), 1, rows);

    const std::size_t cells = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    cellPixels.resize(cells);
    for (int cy = 0; cy < rows; ++cy) {
        for (int cx = 0; cx < columns; ++cx) {
            const int w = std::min(block, width - cx * block);
            const int h = std::min(block, height - cy * block);
            cellPixels[static_cast<std::size_t>(cy * columns + cx)] = std::int64_t{w} * h;
        }
    }
    sums.resize(cells * 3);
    Signal fresh;
    fresh.frames.fill(kNever);
    luminance.assign(cells, fresh);
    red.assign(cells, fresh);
    flashing.resize(cells);
    redFlashing.resize(cells);

    // The pixel counts' summed-area table never changes.
    const std::size_t stride = static_cast<std::size_t>(columns) + 1;
    table.assign(stride * (static_cast<std::size_t>(rows) + 1), 0);
    pixelTable.assign(table.size(), 0);
    for (int cy = 0; cy < rows; ++cy) {
        for (int cx = 0; cx < columns; ++cx) {
            const std::size_t at = (cy + 1) * stride + cx + 1;
            pixelTable[at] = cellPixels[static_cast<std::size_t>(cy * columns + cx)] + pixelTable[at - 1] +
                             pixelTable[at - stride] - pixelTable[at - stride - 1];
        }
    }
}

FrameFlashes FlashAnalyser::add(const QImage& image)
{
    if (image.size() != QSize(width, height) ||
        (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32))
        averageCells(image.scaled(width, height).convertToFormat(QImage::Format_RGB32));
    else
        averageCells(image);

    std::int64_t flashingPixels = 0;
    std::int64_t redPixels = 0;
    for (std::size_t i = 0; i < cellPixels.size(); ++i) {
        const double n = static_cast<double>(cellPixels[i]) * kLinearOne;
        const double r = static_cast<double>(sums[i * 3]) / n;
        const double g = static_cast<double>(sums[i * 3 + 1]) / n;
        const double b = static_cast<double>(sums[i * 3 + 2]) / n;
        const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
        const double redness = std::max(0.0, r - g - b) * kRedScale;
        const double total = r + g + b;
        const bool saturated = total > 0.0 && r >= kSaturatedRed * total;

        if (luminanceStep(luminance[i], static_cast<float>(y)))
            transitionAt(luminance[i]);
        if (redStep(red[i], static_cast<float>(redness), saturated))
            transitionAt(red[i]);
        // Seven transitions back still lies within the second up to this frame.
        const auto recent = [this](const Signal& s) {
            return (std::int64_t{frame} - s.frames[s.next]) * rate.den < rate.num;
        };
        flashing[i] = recent(luminance[i]);
        redFlashing[i] = recent(red[i]);
        flashingPixels += flashing[i] ? cellPixels[i] : 0;
        redPixels += redFlashing[i] ? cellPixels[i] : 0;
    }

    const double area = static_cast<double>(width) * height;
    FrameFlashes result;
    result.viewShare = static_cast<float>(flashingPixels / area);
    result.redViewShare = static_cast<float>(redPixels / area);
    result.fieldShare = flashingPixels > 0 ? worstField(flashing) : 0.0f;
    result.redFieldShare = redPixels > 0 ? worstField(redFlashing) : 0.0f;
    ++frame;
    return result;
}

void FlashAnalyser::averageCells(const QImage& image)
{
    const std::array<std::uint32_t, 256>& linear = linearOfCode();
    std::fill(sums.begin(), sums.end(), 0);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint64_t* cellRow = sums.data() + static_cast<std::size_t>(y / block) * columns * 3;
        for (int cx = 0; cx < columns; ++cx) {
            const int end = std::min(width, (cx + 1) * block);
            // A block row is at most 62,500 pixels (at least 16 cells across
            // a frame of at most 999,999): its sums fit 32 bits.
            std::uint32_t r = 0;
            std::uint32_t g = 0;
            std::uint32_t b = 0;
            for (int x = cx * block; x < end; ++x) {
                const QRgb pixel = line[x];
                r += linear[(pixel >> 16) & 0xff];
                g += linear[(pixel >> 8) & 0xff];
                b += linear[pixel & 0xff];
            }
            cellRow[cx * 3] += r;
            cellRow[cx * 3 + 1] += g;
            cellRow[cx * 3 + 2] += b;
        }
    }
}

// Both steps keep the extreme reached since the last transition, in the
// direction it went (both extremes before the first), and report a change
// back from it that completes a transition.
bool FlashAnalyser::luminanceStep(Signal& s, float value) const
{
    if (s.direction >= 0)
        s.high = frame == 0 ? value : std::max(s.high, value);
    if (s.direction <= 0)
        s.low = frame == 0 ? value : std::min(s.low, value);
    if (s.direction <= 0 && double(value) - s.low >= kLuminanceStep && s.low < kDarkerBelow) {
        s.direction = 1;
        s.high = value;
        return true;
    }
    if (s.direction >= 0 && double(s.high) - value >= kLuminanceStep && value < kDarkerBelow) {
        s.direction = -1;
        s.low = value;
        return true;
    }
    return false;
}

bool FlashAnalyser::redStep(Signal& s, float value, bool saturated) const
{
    if (s.direction >= 0 && (frame == 0 || value > s.high)) {
        s.high = value;
        s.highRed = saturated;
    }
    if (s.direction <= 0 && (frame == 0 || value < s.low)) {
        s.low = value;
        s.lowRed = saturated;
    }
    if (s.direction <= 0 && double(value) - s.low > kRedStep && (s.lowRed || saturated)) {
        s.direction = 1;
        s.high = value;
        s.highRed = saturated;
        return true;
    }
    if (s.direction >= 0 && double(s.high) - value > kRedStep && (s.highRed || saturated)) {
        s.direction = -1;
        s.low = value;
        s.lowRed = saturated;
        return true;
    }
    return false;
}

void FlashAnalyser::transitionAt(Signal& s) const
{
    s.frames[s.next] = frame;
    s.next = static_cast<std::uint8_t>((s.next + 1) % kFailingTransitions);
}

float FlashAnalyser::worstField(const std::vector<std::uint8_t>& cells)
{
    const std::size_t stride = static_cast<std::size_t>(columns) + 1;
    for (int cy = 0; cy < rows; ++cy) {
        for (int cx = 0; cx < columns; ++cx) {
            const std::size_t cell = static_cast<std::size_t>(cy * columns + cx);
            const std::size_t at = (cy + 1) * stride + cx + 1;
            table[at] = (cells[cell] ? cellPixels[cell] : 0) + table[at - 1] + table[at - stride] -
                        table[at - stride - 1];
        }
    }
    const auto boxSum = [stride](const std::vector<std::int64_t>& t, int x, int y, int w, int h) {
        const std::size_t x0 = static_cast<std::size_t>(x);
        const std::size_t y0 = static_cast<std::size_t>(y);
        const std::size_t x1 = x0 + static_cast<std::size_t>(w);
        const std::size_t y1 = y0 + static_cast<std::size_t>(h);
        return t[y1 * stride + x1] - t[y0 * stride + x1] - t[y1 * stride + x0] + t[y0 * stride + x0];
    };
    double worst = 0.0;
    for (int y = 0; y + fieldRows <= rows; ++y) {
        for (int x = 0; x + fieldColumns <= columns; ++x) {
            const std::int64_t lit = boxSum(table, x, y, fieldColumns, fieldRows);
            if (lit > 0)
                worst = std::max(worst, double(lit) / double(boxSum(pixelTable, x, y, fieldColumns, fieldRows)));
        }
    }
    return static_cast<float>(worst);
}

} // namespace flash
