// The GL side of the unit shapes and the stencil inversion pass, on real
// buffers and pixels.

#include "gfx/ShapeBuffers.h"
#include "gfx/StencilInversion.h"
#include "support/GlTestContext.h"

#include <vector>

using gfx::Trig;

namespace {

constexpr int kSegments = 360;

std::vector<float> bufferFloats(GLuint name)
{
    GLint bytes = 0;
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    std::vector<float> floats(static_cast<std::size_t>(bytes) / sizeof(float));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(floats.size() * sizeof(float)), floats.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return floats;
}

class Toolkit : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        disk = gfx::createUnitDiskBuffer(kSegments, Trig::Double);
        rectangle = gfx::createRectangleBuffer(1.0f);
    }

    void drawDisk(float x, float y, float radius) const
    {
        const gfx::VertexArray array(disk);
        array.drawPlaced(GL_TRIANGLE_FAN, gfx::diskVertexCount(kSegments), x, y, radius);
    }

    void drawCover() const { gfx::drawBuffer(rectangle, GL_TRIANGLE_STRIP, gfx::kRectangleVertexCount); }

    GLuint disk = 0;
    GLuint rectangle = 0;
};

} // namespace

// What the shape generators give, whole, ending where it began.
TEST_F(Toolkit, UploadedBuffersHoldTheUnitShapes)
{
    std::vector<float> diskFloats(gfx::diskFloatCount(kSegments));
    gfx::fillUnitDisk(diskFloats.data(), kSegments, Trig::Double);
    EXPECT_EQ(bufferFloats(disk), diskFloats);
    EXPECT_EQ(std::vector<float>(diskFloats.begin() + 2, diskFloats.begin() + 4),
              std::vector<float>(diskFloats.end() - 2, diskFloats.end()));
    std::vector<float> ring(gfx::ringFloatCount(kSegments));
    gfx::fillUnitRing(ring.data(), kSegments, Trig::Single);
    EXPECT_EQ(bufferFloats(gfx::createUnitRingBuffer(kSegments, Trig::Single)), ring);
    EXPECT_EQ(std::vector<float>(ring.begin(), ring.begin() + 4), std::vector<float>(ring.end() - 4, ring.end()));
    std::vector<float> square(gfx::kRectangleFloatCount);
    gfx::fillRectangle(square.data(), 1.0f);
    EXPECT_EQ(bufferFloats(rectangle), square);
    EXPECT_EQ(bufferFloats(gfx::createStreamBuffer(252)).size(), 252u);
}

TEST_F(Toolkit, FailedMappingWritesNothingAndDoesNotCrash)
{
    // A buffer of no bytes cannot be mapped: the filler must not be called.
    bool filled = false;
    gfx::createStaticBuffer(0, [&](float*) { filled = true; });
    EXPECT_FALSE(filled);

    const GLuint empty = gfx::createStreamBuffer(0);
    EXPECT_EQ(gfx::bindAndMap(empty), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

TEST_F(Toolkit, InversionPaintsOddOverlapsBlackAndEvenOverlapsNot)
{
    // Three disks in a row: left and right overlap the middle one only.
    gfx::drawInverted(
        [&] {
            drawDisk(-0.3f, 0.0f, 0.4f);
            drawDisk(0.0f, 0.0f, 0.4f);
            drawDisk(0.3f, 0.0f, 0.4f);
        },
        [&] { drawCover(); });
    const QImage frame = pixels();
    EXPECT_EQ(pixelAt(frame, -0.6f, 0.0f), kBlack) << "covered once";
    EXPECT_EQ(pixelAt(frame, -0.2f, 0.0f), kWhite) << "covered twice";
    EXPECT_EQ(pixelAt(frame, 0.0f, 0.0f), kBlack) << "covered three times";
    EXPECT_EQ(pixelAt(frame, 0.2f, 0.0f), kWhite) << "covered twice";
    EXPECT_EQ(pixelAt(frame, 0.0f, 0.8f), kWhite) << "not covered";
}

TEST_F(Toolkit, SecondPassInTheSameFrameStartsFromAClearStencil)
{
    gfx::drawInverted([&] { drawDisk(-0.5f, 0.0f, 0.3f); }, [&] { drawCover(); });
    ASSERT_EQ(pixelAt(-0.5f, 0.0f), kBlack);
    glClear(GL_COLOR_BUFFER_BIT);
    gfx::drawInverted([&] { drawDisk(0.5f, 0.0f, 0.3f); }, [&] { drawCover(); });
    const QImage frame = pixels();
    EXPECT_EQ(pixelAt(frame, -0.5f, 0.0f), kWhite);
    EXPECT_EQ(pixelAt(frame, 0.5f, 0.0f), kBlack);
}

TEST_F(Toolkit, HelpersLeaveTheGlStateAsTheyFoundIt)
{
    const std::string before = glState();
    drawDisk(0.0f, 0.0f, 0.5f);
    EXPECT_EQ(glState(), before) << "after a placed draw";
    drawCover();
    EXPECT_EQ(glState(), before) << "after drawBuffer";
    gfx::drawInverted([&] { drawDisk(0.0f, 0.0f, 0.5f); }, [&] { drawCover(); });
    EXPECT_EQ(glState(), before) << "after the inversion pass";
    if (float* vertices = gfx::bindAndMap(gfx::createStreamBuffer(8))) {
        vertices[0] = 1.0f;
        gfx::unmapBoundBuffer();
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(glState(), before) << "after streaming";
}
