// Building the unit shapes' vertices and drawing random numbers: the work every
// component does at construction.

#include "gfx/Random.h"
#include "gfx/ShapeVertices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

void BM_FillUnitDiskDoubleTrig(benchmark::State& state)
{
    std::vector<float> vertices(gfx::diskFloatCount(360));
    for (auto _ : state) {
        gfx::fillUnitDisk(vertices.data(), 360, gfx::Trig::Double);
        benchmark::DoNotOptimize(vertices.data());
    }
}
BENCHMARK(BM_FillUnitDiskDoubleTrig);

void BM_FillUnitRingSingleTrig(benchmark::State& state)
{
    std::vector<float> vertices(gfx::ringFloatCount(360));
    for (auto _ : state) {
        gfx::fillUnitRing(vertices.data(), 360, gfx::Trig::Single);
        benchmark::DoNotOptimize(vertices.data());
    }
}
BENCHMARK(BM_FillUnitRingSingleTrig);

void BM_RndnPair(benchmark::State& state)
{
    std::srand(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(rndn());
        benchmark::DoNotOptimize(rndn());
    }
}
BENCHMARK(BM_RndnPair);

} // namespace
