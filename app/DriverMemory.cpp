#include "app/DriverMemory.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

#if defined(__GLIBC__)
// Well above a frame's peak (tens of MiB at the end of the demo), so the heap
// settles at that peak after the first busy frame instead of shrinking and
// growing with every frame.
constexpr int kTrimThreshold = 512 * 1024 * 1024;
constexpr int kTopPad = 64 * 1024 * 1024;
// The largest the library accepts on 64-bit: bigger blocks would be mapped
// and unmapped on their own, with the same faults.
constexpr int kMmapThreshold = 32 * 1024 * 1024;
#endif

} // namespace

bool keepFreedMemoryMapped()
{
#if defined(__GLIBC__)
    return mallopt(M_TRIM_THRESHOLD, kTrimThreshold) == 1 && mallopt(M_TOP_PAD, kTopPad) == 1 &&
           mallopt(M_MMAP_THRESHOLD, kMmapThreshold) == 1;
#else
    return false;
#endif
}
