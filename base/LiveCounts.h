#pragma once

// How many objects of each counted kind are alive now, for the leak checks of
// the tests: a surface that is gone must leave none of its scenes and
// components, nor its audio device and streams, behind. A counted class holds
// a LiveCount of its kind (as a base or a member; it holds no data), and
// liveCount(kind) reads the count. The only seam between the product and
// those checks. Objects are made and destroyed on one thread only.

#include <array>
#include <cstddef>

namespace base {

enum class Counted : std::size_t { Surfaces, SceneComponents, AudioDevices, AudioStreams, Kinds };

namespace detail {
inline std::array<int, static_cast<std::size_t>(Counted::Kinds)> liveCounts{};
} // namespace detail

inline int liveCount(Counted kind)
{
    return detail::liveCounts[static_cast<std::size_t>(kind)];
}

template <Counted kind>
class LiveCount
{
public:
    LiveCount() noexcept { ++count(); }
    LiveCount(const LiveCount&) noexcept { ++count(); }
    LiveCount& operator=(const LiveCount&) = default;
    ~LiveCount() { --count(); }

private:
    static int& count() { return detail::liveCounts[static_cast<std::size_t>(kind)]; }
};

} // namespace base
