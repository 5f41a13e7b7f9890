#include "scenes/growingtree/GrowingTree.h"

#include "gfx/ShapeBuffers.h"
#include "growth/BranchLines.h"
#include "scenes/growingtree/GrowingTreePrivate.h"

namespace {

constexpr float kStart = 7.0f;  // scene seconds before the tree appears
constexpr branching::LineColour kLineColour = {0.0f, 0.0f, 0.0f, 0.75f};

} // namespace

GrowingTree::GrowingTree(const gfx::FastPaths& fastPaths)
    : paths(fastPaths), priv(new GrowingTreePrivate())
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

    // Every segment is kept: the tree is not culled. Its generation writes
    // into its own buffer, which the mapping filled in.
    GrowingTreePrivate& tree = *priv;
    branching::regenerateLines(
        tree.bufferId, tree.buffer, gfx::ViewWindow::everywhere(), paths,
        [&tree, treeTime](branching::BranchBuffer&) { return tree.replayTree(treeTime); },
        [&tree, treeTime](branching::BranchBuffer&) { tree.generateTree(treeTime); });
    branching::drawSmoothLines(tree.bufferId, tree.buffer, kLineColour);
}
