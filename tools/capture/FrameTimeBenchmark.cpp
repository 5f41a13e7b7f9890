#include "FrameTimeBenchmark.h"

#include "Interruption.h"
#include "Progress.h"

#include "app/FrameTimer.h"
#include "app/Schedule.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cxxabi.h>
#include <memory>
#include <string>
#include <typeinfo>

namespace {

using Clock = std::chrono::steady_clock;

void printRow(std::FILE* out, const char* interval, const std::string& scenes,
              const std::vector<FrameTimeBenchmark::Timing>& timings)
{
    std::vector<double> generate;
    std::vector<double> draw;
    std::vector<double> frame;
    for (const FrameTimeBenchmark::Timing& timing : timings) {
        generate.push_back(timing.generateMs);
        draw.push_back(timing.drawMs);
        frame.push_back(timing.generateMs + timing.drawMs);
    }
    const FrameTimeBenchmark::Spread f = FrameTimeBenchmark::spreadOf(frame);
    const FrameTimeBenchmark::Spread g = FrameTimeBenchmark::spreadOf(generate);
    const FrameTimeBenchmark::Spread d = FrameTimeBenchmark::spreadOf(draw);
    // Three decimals: optimised generation takes a few microseconds a frame.
    std::fprintf(out, "%-13s %-26s %6zu  %7.3f %7.3f %7.3f  %7.3f %7.3f %7.3f  %7.3f %7.3f %7.3f\n", interval,
                 scenes.c_str(), timings.size(), f.median, f.p99, f.max, g.median, g.p99, g.max, d.median, d.p99,
                 d.max);
}

} // namespace

FrameTimeBenchmark::FrameTimeBenchmark(const FrameRange& frameRange) : range(frameRange)
{
}

FrameTimeBenchmark::Spread FrameTimeBenchmark::spreadOf(std::vector<double> values)
{
    if (values.empty())
        return {0.0, 0.0, 0.0};
    std::sort(values.begin(), values.end());
    const auto rank = [&values](double p) {
        const auto index = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
        return values[std::min(index, values.size() - 1)];
    };
    return {rank(0.5), rank(0.99), values.back()};
}

std::string FrameTimeBenchmark::sceneName(const ISceneComponent& scene)
{
    const char* mangled = typeid(scene).name();
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                           std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    const std::string suffix = "Scene";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    return name;
}

std::vector<double> FrameTimeBenchmark::stretchBounds(const Schedule& schedule) const
{
    std::vector<double> bounds = {range.from(), range.to()};
    for (const Schedule::SceneInfo& entry : schedule.scenes()) {
        for (const double bound : {static_cast<double>(entry.start), static_cast<double>(entry.end)}) {
            if (bound > range.from() && bound < range.to())
                bounds.push_back(bound);
        }
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    return bounds;
}

void FrameTimeBenchmark::run(OffscreenRenderer& renderer, Schedule& schedule)
{
    const std::int64_t total = range.frameCount();
    frames.clear();
    frames.reserve(static_cast<std::size_t>(total));
    Progress progress(total, stderr);
    {
        FrameTimer timer;
        const Clock::time_point started = Clock::now();
        for (std::int64_t n = 0; n < total && !Interruption::requested(); ++n) {
            const FrameTimer::Split split = timer.time(renderer, schedule, range.timeOf(n));
            frames.push_back({range.secondsOf(n), split.generateMs, split.drawMs});
            progress.update(n + 1);
        }
        wallSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    }
    progress.finish(static_cast<std::int64_t>(frames.size()));
}

void FrameTimeBenchmark::print(std::FILE* out, const Schedule& schedule, int width, int height) const
{
    // The stretches: between every scene start and end inside the range.
    const std::vector<double> bounds = stretchBounds(schedule);

    const auto rate = range.rate();
    std::fprintf(out, "Frame times at %dx%d, %lld/%lld fps, demo time %g to %g s, in milliseconds:\n", width, height,
                 static_cast<long long>(rate.num), static_cast<long long>(rate.den), range.from(), range.to());
    std::fprintf(out, "%-13s %-26s %6s  %-23s  %-23s  %-23s\n", "", "", "", "frame", "generation", "GL drawing");
    std::fprintf(out, "%-13s %-26s %6s  %7s %7s %7s  %7s %7s %7s  %7s %7s %7s\n", "seconds", "scenes", "frames",
                 "median", "p99", "max", "median", "p99", "max", "median", "p99", "max");
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        const double a = bounds[i];
        const double b = bounds[i + 1];
        std::vector<Timing> inside;
        for (const Timing& timing : frames) {
            if (timing.seconds >= a && timing.seconds < b)
                inside.push_back(timing);
        }
        if (inside.empty())
            continue;
        // A stretch shows the scenes that draw all through it.
        std::string scenes;
        const double middle = (a + b) / 2.0;
        for (const Schedule::SceneInfo& entry : schedule.scenes()) {
            if (entry.start <= middle && middle <= entry.end)
                scenes += (scenes.empty() ? "" : " + ") + FrameTimeBenchmark::sceneName(*entry.scene);
        }
        char interval[32];
        std::snprintf(interval, sizeof interval, "%g-%g", a, b);
        printRow(out, interval, scenes.empty() ? "(none)" : scenes, inside);
    }
    printRow(out, "all", "", frames);
    const double fps = wallSeconds > 0.0 ? static_cast<double>(frames.size()) / wallSeconds : 0.0;
    std::fprintf(out, "%zu frames in %.1f s: %.1f frames per second\n", frames.size(), wallSeconds, fps);
}
