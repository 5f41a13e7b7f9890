#pragma once

// What a surface holds while it lives, as base/LiveCounts.h counts it, and
// what the process holds from the system: a surface that is gone must leave
// none of the first behind, and a hundred of them must not grow the second.

#include "base/LiveCounts.h"

#include <SDL.h>

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <ostream>

struct LiveObjects
{
    int surfaces = 0;
    int components = 0;  // scenes and their components
    int audioDevices = 0;
    int audioStreams = 0;
    bool sdlAudio = false;  // SDL's audio subsystem still initialised

    static LiveObjects now()
    {
        using base::Counted;
        return {base::liveCount(Counted::Surfaces), base::liveCount(Counted::SceneComponents),
                base::liveCount(Counted::AudioDevices), base::liveCount(Counted::AudioStreams),
                SDL_WasInit(SDL_INIT_AUDIO) != 0};
    }

    bool operator==(const LiveObjects& o) const
    {
        return surfaces == o.surfaces && components == o.components && audioDevices == o.audioDevices
            && audioStreams == o.audioStreams && sdlAudio == o.sdlAudio;
    }
    bool operator!=(const LiveObjects& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& out, const LiveObjects& o)
{
    return out << "{surfaces " << o.surfaces << ", components " << o.components << ", audio devices "
               << o.audioDevices << ", streams " << o.audioStreams << ", SDL audio " << (o.sdlAudio ? "on" : "off")
               << "}";
}

// Resident set size of this process in KiB.
inline long residentKiB()
{
    long pages = 0;
    long resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Entries of a /proc/self directory: threads in "task", descriptors in "fd".
inline int procEntries(const char* directory)
{
    int count = 0;
    if (DIR* dir = opendir(directory)) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.')
                ++count;
        }
        closedir(dir);
    }
    return count;
}

// AddressSanitizer keeps freed memory in quarantine and slows everything down
// several times: resident size says nothing about leaks there, and long runs
// are cut short.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizerBuild = true;
#else
constexpr bool kSanitizerBuild = false;
#endif
#else
constexpr bool kSanitizerBuild = false;
#endif
