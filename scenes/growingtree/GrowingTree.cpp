#include "scenes/growingtree/GrowingTree.h"

#include "gfx/FastPaths.h"
#include "gfx/GenerationTimer.h"
#include "gfx/Gl.h"
#include "gfx/ShapeBuffers.h"
#include "scenes/growingtree/GrowingTreePrivate.h"

namespace {

constexpr float kStart = 7.0f;  // scene seconds before the tree appears

} // namespace

GrowingTree::GrowingTree()
    : priv(new GrowingTreePrivate())
{
    priv->buffer.capacity = priv->countBranches(priv->depth) * branching::kFloatsPerSegment;
    priv->bufferId = gfx::createStreamBuffer(priv->buffer.capacity);
}

GrowingTree::~GrowingTree() = default;

void GrowingTree::draw(float t)
{
    const float treeTime = t - kStart;
    if (treeTime < 0.0f)
        return;

    // Generate into the mapped buffer; without a mapping there is nothing to
    // write into, so the tree sits this frame out.
    priv->buffer.vertices = gfx::bindAndMap(priv->bufferId);
    if (!priv->buffer.vertices) {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return;
    }
    {
        const gfx::GenerationTimer timing;
        if (!(gfx::replayEnabled() && priv->replayTree(treeTime)))
            priv->generateTree(treeTime);
    }
    gfx::unmapBoundBuffer();
    priv->buffer.vertices = nullptr;

    // Set up: smooth, translucent black lines.
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 0.75f);
    // Draw (the vertex array binds the buffer again and unbinds it after).
    gfx::drawBuffer(priv->bufferId, GL_LINES, priv->buffer.vertexCount());
    // Switch off.
    glDisable(GL_BLEND);
    glDisable(GL_LINE_SMOOTH);
}
