#include "gfx/ShapeBuffers.h"
#include "gfx/StencilInversion.h"
#include "support/GlTestContext.h"

#include <vector>

using gfx::Trig;

namespace {

constexpr int kSegments = 360;

GLint bufferBytes(GLuint name)
{
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return size;
}

std::vector<float> bufferFloats(GLuint name)
{
    std::vector<float> floats(static_cast<std::size_t>(bufferBytes(name)) / sizeof(float));
    glBindBuffer(GL_ARRAY_BUFFER, name);
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

TEST_F(Toolkit, StaticShapeBuffersHaveTheirSizes)
{
    EXPECT_EQ(bufferBytes(disk), 2896);
    EXPECT_EQ(bufferBytes(gfx::createUnitRingBuffer(kSegments, Trig::Single)), 5776);
    EXPECT_EQ(bufferBytes(rectangle), 32);
    EXPECT_EQ(bufferBytes(gfx::createStreamBuffer(252)), 1008);
}

TEST_F(Toolkit, UploadedDiskAndRingCloseExactlyAtTheSeam)
{
    const std::vector<float> diskFloats = bufferFloats(disk);
    EXPECT_EQ(diskFloats[2], 1.0f);
    EXPECT_EQ(diskFloats[3], 0.0f);
    EXPECT_EQ(diskFloats[2 * 361], 1.0f);
    EXPECT_EQ(diskFloats[2 * 361 + 1], 0.0f);

    const std::vector<float> ring = bufferFloats(gfx::createUnitRingBuffer(kSegments, Trig::Single));
    const std::vector<float> closing(ring.end() - 4, ring.end());
    EXPECT_EQ(closing, (std::vector<float>{1.0f, 0.0f, 2.0f, 0.0f}));
    EXPECT_EQ(std::vector<float>(ring.begin(), ring.begin() + 4), closing);
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

TEST_F(Toolkit, DisksDrawWhereTheyArePlaced)
{
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    drawDisk(0.5f, 0.0f, 0.2f);
    const QImage frame = pixels();
    EXPECT_EQ(pixelAt(frame, 0.5f, 0.0f), kBlack);
    EXPECT_EQ(pixelAt(frame, 0.5f, 0.3f), kWhite);
    EXPECT_EQ(pixelAt(frame, -0.5f, 0.0f), kWhite);
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
    const GlStateSnapshot before = snapshotGlState();
    drawDisk(0.0f, 0.0f, 0.5f);
    EXPECT_EQ(snapshotGlState(), before) << "after a placed draw";
    drawCover();
    EXPECT_EQ(snapshotGlState(), before) << "after drawBuffer";
    gfx::drawInverted([&] { drawDisk(0.0f, 0.0f, 0.5f); }, [&] { drawCover(); });
    EXPECT_EQ(snapshotGlState(), before) << "after the inversion pass";
    if (float* vertices = gfx::bindAndMap(gfx::createStreamBuffer(8))) {
        vertices[0] = 1.0f;
        gfx::unmapBoundBuffer();
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(snapshotGlState(), before) << "after streaming";
}

TEST_F(Toolkit, InversionPassEndsWithStencilWritesOffAndColourWritesOn)
{
    gfx::drawInverted([&] { drawDisk(0.0f, 0.0f, 0.5f); }, [&] { drawCover(); });
    GLint stencilWriteMask = -1;
    GLboolean colourMask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    GLboolean depthMask = GL_FALSE;
    glGetIntegerv(GL_STENCIL_WRITEMASK, &stencilWriteMask);
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(stencilWriteMask, 0);
    for (GLboolean writes : colourMask)
        EXPECT_EQ(writes, GL_TRUE);
    EXPECT_EQ(depthMask, GL_TRUE);
}
