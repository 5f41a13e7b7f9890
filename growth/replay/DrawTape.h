#pragma once

// The random draws of a regenerating component, recorded once.
//
// Every frame such a component reseeds rand() with its fixed seed and then
// draws the same values in the same order; only growth and time decide how many
// of them it uses. A DrawTape holds those values (what rndn() and rnd()
// returned, in the order the generation consumes them) for a number of
// "steps" (one main-branch step, or one whole generation), and the full random
// state after each step. A replay reads the values from the tape instead of
// computing them from rand(), log, sqrt and cos, and then puts the random state
// where the draws it stood in for would have left it.
//
// Exact because the values are the very floats rndn()/rnd() return after the
// same srand(), recorded with no rndn() spare pending; a replay may only stand
// in when no spare is pending at the start of the frame either (otherwise the
// first rndn() of the frame would return the old spare).

#include "gfx/Random.h"

#include <vector>

namespace branching {

class DrawTape
{
public:
    // What a step's recorder gets: call normal() and uniform() in exactly the
    // order the generation draws.
    class Recorder
    {
    public:
        explicit Recorder(std::vector<float>& into) : values(into) {}
        void normal() { values.push_back(rndn()); }
        void uniform() { values.push_back(rnd()); }
        void normals(int count)
        {
            for (int i = 0; i < count; ++i)
                normal();
        }

    private:
        std::vector<float>& values;
    };

    // Records `steps` steps after srand(seed), each made by recordStep(Recorder&).
    // The process-wide random state is put back as it was, so recording takes
    // nothing from the program's own sequence.
    template <class RecordStep>
    void record(unsigned int seed, int steps, RecordStep recordStep)
    {
        const gfx::RandomState saved = gfx::randomState();
        values.clear();
        states.clear();
        // Start from no spare pending, as every frame of the component does.
        gfx::RandomState clean = saved;
        clean.hasSpare = false;
        gfx::setRandomState(clean);
        gfx::srand(seed);
        states.push_back(gfx::randomState());
        Recorder recorder(values);
        for (int i = 0; i < steps; ++i) {
            recordStep(recorder);
            states.push_back(gfx::randomState());
        }
        gfx::setRandomState(saved);
    }

    const float* draws() const { return values.data(); }
    int drawCount() const { return static_cast<int>(values.size()); }
    int steps() const { return static_cast<int>(states.size()) - 1; }

    // Puts the process-wide random state where srand(seed) and the draws of
    // the first `step` steps leave it. rndn()'s last pair is left alone when
    // no step was drawn, as the generation would leave it.
    void restoreStateAfter(int step) const;

private:
    std::vector<float> values;
    std::vector<gfx::RandomState> states;
};

// The main steps a main branch with growth budget `budget` makes (one per unit
// of budget still above 0, as the main-branch loop counts them), or `limit` if
// that is fewer. A NaN budget, which the loop would never finish, gives `limit`.
int mainBranchSteps(float budget, int limit);

// Hands out a tape's draws in order, advancing the caller's pointer: the
// stand-in for rndn() (and rnd()) in a replayed generation.
struct TapeDraw
{
    const float*& next;
    float operator()() const { return *next++; }
};

} // namespace branching
