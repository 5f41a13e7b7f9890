#pragma once

// The GL state the surface sets once, before it builds its scenes: white clear
// colour, no depth test, the nicest smoothing hints.
void initializeSurfaceState();
