#pragma once

// The growing tree's branch buffer and generator state. Plain data and pure
// code: GrowingTree maps the buffer, lets this fill it and draws the result.

#include "growth/BranchBuffer.h"
#include "growth/replay/GenerationReplay.h"

class GrowingTreePrivate
{
public:
    // The tree's part of the frame: reseeds rand, then grows the tree for tree
    // time `treeTime` (scene time - 7, at least 0) into `buffer`, from its
    // start. Always makes the same 40 normal draws, so the tree keeps its shape
    // from frame to frame; only growth, overall size and sway change.
    void generateTree(float treeTime);
    // The same from the draws recorded at construction: writes what
    // generateTree(treeTime) writes and leaves the random state as it does, or
    // returns false (nothing written) when the replay cannot stand in.
    bool replayTree(float treeTime);

    int countBranches(int n) const;
    void generateBranches(int level, float growth, float x, float y, float angle, float length);

    unsigned int bufferId = 0;  // GL name of the branch buffer
    float time = 0.0f;          // tree time of the frame, drives the sway
    int depth = 4;
    branching::BranchBuffer buffer;  // vertices, used, capacity
    branching::GenerationReplay<branching::BranchKind::GrowingTree> replay = recordDraws();

private:
    static branching::GenerationReplay<branching::BranchKind::GrowingTree> recordDraws();
};
