#include "scenes/growingtree/GrowingTreeScene.h"
#include "support/GlTestContext.h"

#include "gfx/Random.h"

// At rest the ground covers the view's lower half and the sky is scissored
// above it; moved and scaled, it does not.
TEST_F(GlTest, GrowingTreeSceneLeavesTheGlStateAsItFoundIt)
{
    gfx::srand(2);
    GrowingTreeScene scene(gfx::FastPaths::all());
    for (const bool moved : {false, true}) {
        if (moved) {
            glTranslatef(0.25f, 0.5f, 0.0f);
            glScalef(0.5f, 0.5f, 1.0f);
        }
        for (float t : {0.0f, 2.5f, 5.0f, 10.0f, 17.7f, 18.7f, 20.0f}) {
            const GlStateSnapshot before = snapshotGlState();
            scene.draw(t);
            EXPECT_EQ(snapshotGlState(), before) << "t = " << t << (moved ? ", moved" : "");
        }
    }
}

TEST_F(GlTest, GrowingTreeSceneRisesIntoView)
{
    GrowingTreeScene scene(gfx::FastPaths::all());
    scene.draw(0.0f);  // two units low: nothing in view yet
    EXPECT_EQ(pixelAt(0.0f, -0.9f), kWhite);

    glClear(GL_COLOR_BUFFER_BIT);
    scene.draw(3.75f);  // half a unit low
    EXPECT_EQ(pixelAt(0.0f, -0.75f), kBlack);
    EXPECT_EQ(pixelAt(0.5f, -0.45f), kWhite);

    glClear(GL_COLOR_BUFFER_BIT);
    scene.draw(5.0f);  // at rest
    EXPECT_EQ(pixelAt(0.5f, -0.05f), kBlack);
    EXPECT_EQ(pixelAt(0.5f, 0.05f), kWhite);
}

TEST_F(GlTest, GrowingTreeSceneSlidesOffToTheLeft)
{
    GrowingTreeScene scene(gfx::FastPaths::all());
    scene.draw(19.0f);  // 1.56 units to the left: the ground ends at x = -0.56
    EXPECT_EQ(pixelAt(-0.8f, -0.5f), kBlack);
    EXPECT_EQ(pixelAt(0.5f, -0.5f), kWhite);
}
