#pragma once

// The white roots of the growing tree scene: from 4 s on they grow straight
// down from the middle of the horizon into the black ground, one level about
// every 3.57 s, each continuation turning by a random angle. Regenerated every
// frame into a streamed line buffer.

#include "gfx/FastPaths.h"
#include "gfx/ISceneComponent.h"
#include "growth/BranchBuffer.h"
#include "growth/replay/GenerationReplay.h"

class GrowingRoots : public ISceneComponent
{
public:
    explicit GrowingRoots(const gfx::FastPaths& paths);  // needs a current GL context
    ~GrowingRoots() override;
    void draw(float t) override;

    int countBranches(int n) const;
    void generateBranches(int level, float growth, float x, float y, float angle, float length);

    // The roots' part of a frame, pure: reseeds rand and grows the roots for
    // root time `rootTime` (scene time - 4, at least 0) into `into`, from its
    // start. Always makes the same 2186 normal draws, so the roots keep their
    // shape from frame to frame and only grow.
    static void generateRoots(branching::BranchBuffer& into, float rootTime);
    // The same from the draws `replay` recorded: writes what generateRoots
    // writes and leaves the random state as it does, or returns false (nothing
    // written) when the replay cannot stand in.
    using Replay = branching::GenerationReplay<branching::BranchKind::GrowingRoots>;
    static Replay recordDraws();
    static bool replayRoots(const Replay& replay, branching::BranchBuffer& into, float rootTime);

    static constexpr int kDepth = 7;

private:
    const gfx::FastPaths paths;
    unsigned int bufferId = 0;
    int depth = kDepth;
    branching::BranchBuffer buffer;  // vertices, used, capacity
    Replay replay = recordDraws();
};
