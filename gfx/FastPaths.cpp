#include "gfx/FastPaths.h"

namespace {

bool replay = true;

} // namespace

namespace gfx {

bool replayEnabled()
{
    return replay;
}

void setReplayEnabled(bool on)
{
    replay = on;
}

} // namespace gfx
