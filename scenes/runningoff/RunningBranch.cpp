#include "scenes/runningoff/RunningBranch.h"

#include "gfx/Gl.h"
#include "gfx/Random.h"
#include "gfx/ShapeBuffers.h"
#include "gfx/StencilInversion.h"
#include "gfx/ViewWindow.h"
#include "growth/BranchLines.h"
#include "growth/MainBranch.h"

#include <array>
#include <cmath>
#include <cstddef>

// Sections: the side branches generated | pure pieces | construction | the frame | drawing.

namespace {

constexpr int kGrowthFloatsPerSegment = 8;  // the capacity's third factor

constexpr float kGroundLeft = 1.0f;
constexpr float kGroundWave = 0.1f;
constexpr float kGroundBottom = -2.0f;
constexpr int kFloatsPerColumn = 4;

constexpr float kSteer = 0.3f;

// The camera: still for 0.7 s, then 1.2 units per second to the left, still
// again from 23 s on.
constexpr float kCameraStart = 0.7f;
constexpr float kCameraStop = 23.0f;
constexpr float kCameraTravel = 22.3f;  // kCameraStop - kCameraStart
constexpr float kCameraSpeed = -1.2f;

// Keeps the world half-space x <= 2: the start view and a margin.
constexpr std::array<GLdouble, 4> kClipRightOfTwo = {-1.0, 0.0, 0.0, 2.0};


// ---------------------------------------------------------------------------
// The side branches of the straightforward generation.

struct GeneratedSides
{
    branching::BranchBuffer& buffer;
    branching::NormalDraw draw;

    void grow(int level, float growth, float x, float y, float angle, float length) const
    {
        branching::generateBranches(branching::BranchKind::RunningBranch, buffer, 0.0f, level, growth, x, y, angle,
                                    length, draw);
    }
};

} // namespace

// ---------------------------------------------------------------------------
// Pure pieces.

int RunningBranch::branchCapacity()
{
    return branching::countBranches(branching::BranchKind::RunningBranch, kDepth) * kSegmentsPerBranch *
           kGrowthFloatsPerSegment;
}

std::vector<float> RunningBranch::makeGround()
{
    std::vector<float> ground(static_cast<std::size_t>(kGroundColumns * kFloatsPerColumn));
    for (int i = 0; i < kGroundColumns; ++i) {
        // Single precision throughout, the cosine included.
        const float u = kGroundStep * static_cast<float>(i);
        const float x = u + kGroundLeft;
        float* column = ground.data() + kFloatsPerColumn * i;
        column[0] = x;
        column[1] = kGroundWave * std::cos(u) - kGroundWave;
        column[2] = x;
        column[3] = kGroundBottom;
    }
    return ground;
}

float RunningBranch::groundHeightAt(const std::vector<float>& ground, float x)
{
    const int columns = static_cast<int>(ground.size()) / kFloatsPerColumn;
    // The column index truncates toward zero, so everything below 1 is column 0.
    // Clamped before the conversion, which far-off values would overflow.
    const float u = (x - kGroundLeft) / kGroundStep;
    int k = 0;
    if (u >= static_cast<float>(columns))
        k = columns - 1;
    else if (u >= 1.0f)
        k = static_cast<int>(u);
    return ground[static_cast<std::size_t>(kFloatsPerColumn * k + 1)];
}

float RunningBranch::steerTowardsGround(float angle, float above)
{
    const bool isAbove = above > 0.0f;
    const bool rising = angle > 0.0f;
    if (isAbove == rising)
        return rising ? angle - kSteer : angle + kSteer;
    return angle;
}

float RunningBranch::cameraOffset(float t)
{
    const float c = t > kCameraStop ? kCameraTravel : t - kCameraStart;
    return c > 0.0f ? kCameraSpeed * c : 0.0f;
}

void RunningBranch::growMainBranch(branching::BranchBuffer& into, const std::vector<float>& ground, float time,
                                   int level, float growth, float x, float y, float angle, float length,
                                   branching::NormalDraw draw)
{
    GeneratedSides sides{into, draw};
    const MainSteps<branching::NormalDraw, GeneratedSides> steps{draw, sides, ground, time};
    branching::generateMainBranch(into, steps, level, growth, x, y, angle, length);
}

void RunningBranch::generateFrame(branching::BranchBuffer& into, const std::vector<float>& ground, float t,
                                  branching::NormalDraw draw)
{
    into.restart();
    gfx::srand(kSeed);
    growMainBranch(into, ground, t, kDepth, branching::mainBranchBudget(t), kStartX, kStartY, kStartAngle,
                   kSegmentLength, draw);
}

// ---------------------------------------------------------------------------
// Construction.

RunningBranch::RunningBranch(const gfx::FastPaths& fastPaths)
    : paths(fastPaths)
{
    buffer.capacity = countBranches(depth) * segmentsPerBranch * kGrowthFloatsPerSegment;
    bufferId = gfx::createStreamBuffer(buffer.capacity);
    groundVertices = makeGround();
    groundBuffer = gfx::uploadStaticBuffer(groundVertices);
    rectangleBuffer = gfx::createRectangleBuffer(1.0f);
}

RunningBranch::~RunningBranch() = default;

int RunningBranch::countBranches(int n) const
{
    return branching::countBranches(branching::BranchKind::RunningBranch, n);
}

void RunningBranch::generateBranches(int level, float growth, float x, float y, float angle, float length)
{
    branching::generateBranches(branching::BranchKind::RunningBranch, buffer, 0.0f, level, growth, x, y, angle, length);
}

void RunningBranch::generateMainBranch(int level, float growth, float x, float y, float angle, float length)
{
    growMainBranch(buffer, groundVertices, time, level, growth, x, y, angle, length);
}

// ---------------------------------------------------------------------------
// The frame.

void RunningBranch::draw(float t)
{
    if (t < 0.0f)
        return;
    time = t;

    // Lines that cannot reach the view (most of the branch, once it has run
    // on past the left edge) are made but not stored. The lines are drawn
    // panned by the camera offset.
    branching::regenerateLines(
        bufferId, buffer, gfx::visibleWindow(paths).movedBy(cameraOffset(t), 0.0f), paths,
        [this, t](branching::BranchBuffer& into) { return replay.generate(into, groundVertices, t); },
        [this, t](branching::BranchBuffer&) {
            gfx::srand(kSeed);
            generateMainBranch(depth, branching::mainBranchBudget(t), kStartX, kStartY, kStartAngle, kSegmentLength);
        });

    glPushMatrix();
    glTranslatef(cameraOffset(t), 0.0f, 0.0f);

    // The white lines, clipped in the panned world.
    glClipPlane(GL_CLIP_PLANE0, kClipRightOfTwo.data());
    glEnable(GL_CLIP_PLANE0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawBranch();
    glDisable(GL_CLIP_PLANE0);

    drawInvertedBranch();
    glPopMatrix();
}

// ---------------------------------------------------------------------------
// Drawing.

void RunningBranch::drawInvertedBranch()
{
    // Mask: square, ground and lines each toggle the parity.
    gfx::beginInversionMask();
    drawRectangle();
    drawGround();
    drawBranch();

    // Cover: ground and lines again, black where the parity is odd.
    gfx::beginInversionCover();
    glEnable(GL_LINE_SMOOTH);
    drawGround();
    drawBranch();

    // Switch off.
    gfx::endInversion();
    glDisable(GL_LINE_SMOOTH);
}

void RunningBranch::drawBranch()
{
    gfx::drawBuffer(bufferId, GL_LINES, buffer.vertexCount());
}

void RunningBranch::drawRectangle()
{
    gfx::drawBuffer(rectangleBuffer, GL_TRIANGLE_STRIP, gfx::kRectangleVertexCount);
}

void RunningBranch::drawGround()
{
    gfx::drawBuffer(groundBuffer, GL_TRIANGLE_STRIP, static_cast<int>(groundVertices.size()) / 2);
}
