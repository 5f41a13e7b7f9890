#include "gfx/FastPaths.h"

namespace {

bool replay = true;
bool culling = true;

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

bool cullingEnabled()
{
    return culling;
}

void setCullingEnabled(bool on)
{
    culling = on;
}

} // namespace gfx
