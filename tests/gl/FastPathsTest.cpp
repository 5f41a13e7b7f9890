// The fast paths of a frame against the straightforward ones, through the one
// frame path: the same pixels with them and without them, at a dozen times and
// two window shapes, and no memory allocated while frames are drawn.

#include "app/Schedule.h"
#include "gfx/ViewWindow.h"
#include "growth/BranchBuffer.h"
#include "support/GlTestContext.h"

#include <QImage>

#include <cstdlib>
#include <new>

namespace {

// Counts the program's own allocations (operator new) while switched on. The
// GL driver's allocations are its own business and are not counted.
bool countingAllocations = false;
long allocations = 0;

void* allocate(std::size_t size)
{
    if (countingAllocations)
        ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

// Times across the timeline: every scene, every overlap, early growth and the
// largest frames at the end.
// Also the moments where whole shapes are left out or stood in for: rings and
// disks larger than the view (15, 25, 36 s), the black disk hiding the
// running off scene (63.5, 69.9 s) and the white view at the end (72.5 s on).
constexpr float kTimes[] = {5.0f,  15.0f, 18.0f, 25.0f, 26.0f, 33.0f, 36.0f, 38.5f, 45.0f,
                            52.0f, 61.0f, 62.0f, 63.5f, 65.0f, 69.9f, 71.0f, 72.5f, 73.5f, 75.0f};

} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
// Every form of new that delete may meet must come from malloc as well, or the
// address sanitizer sees its own new paired with our free.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

class FastPathFrames : public GlTest
{
protected:
    FastPathFrames() : GlTest(160, 90) {}
};

} // namespace

// A wide and a tall window: the view window, hidden rectangles and scissor
// boxes all depend on the shape.
TEST_F(FastPathFrames, SamePixelsWithAndWithoutFastPaths)
{
    Schedule fast;
    fast.build(gfx::FastPaths::all());
    Schedule straightforward;
    straightforward.build(gfx::FastPaths::none());
    for (const QSize size : {QSize(640, 360), QSize(270, 360)}) {
        ASSERT_TRUE(renderer.begin(size.width(), size.height()));
        for (float t : kTimes) {
            renderer.drawFrame(fast, t);
            const QImage withThem = renderer.image();
            renderer.drawFrame(straightforward, t);
            EXPECT_TRUE(withThem == renderer.image())
                << "frame at " << t << " s, " << size.width() << "x" << size.height();
        }
    }
}

// Culling keeps every line that may paint a pixel of the view on any GL: a
// smooth line reaches about 1.5 pixels beyond its centre line (llvmpipe's
// less, so the pixels here cannot show a margin cut too fine). Lines far
// beyond are dropped.
TEST_F(FastPathFrames, CullingKeepsLinesWithinTheReachOfASmoothEdge)
{
    constexpr float kPixel = 2.0f / 160.0f;  // world units, as the longer side spans -1 to 1
    constexpr float kTop = 0.5625f;
    const gfx::ViewWindow window = gfx::visibleWindow(gfx::FastPaths::all());
    float memory[8] = {};
    for (const float beyond : {0.0f, 1.0f, 1.5f, 40.0f}) {
        branching::BranchBuffer buffer;
        buffer.capacity = 8;
        buffer.begin(memory, window);
        buffer.appendSegment(-1.0f - beyond * kPixel, -0.4f, -1.0f - beyond * kPixel, 0.4f);
        buffer.appendSegment(-0.8f, kTop + beyond * kPixel, 0.8f, kTop + beyond * kPixel);
        EXPECT_EQ(buffer.vertexCount(), beyond < 2.0f ? 4 : 0) << "lines " << beyond << " pixels beyond the view";
    }
}

TEST_F(FastPathFrames, DrawingFramesAllocatesNothing)
{
    Schedule schedule;
    schedule.build();
    // Every quarter of a second of the timeline, twice: the first pass lets the
    // GL driver compile its shaders for every state the demo uses (its
    // compiler allocates with operator new too); the second counts.
    for (int pass = 0; pass < 2; ++pass) {
        allocations = 0;
        countingAllocations = pass == 1;
        for (int quarter = 0; quarter <= 300; ++quarter)
            renderer.drawFrame(schedule, static_cast<float>(quarter) / 4.0f);
        countingAllocations = false;
    }
    EXPECT_EQ(allocations, 0);
}
