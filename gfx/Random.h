#pragma once

// Uniform random number in [0, 1] from the process-wide rand() generator.
float rnd();

// Standard normal random number (Box-Muller). The second value of each pair is
// kept as a spare that srand() does not clear, so callers that reseed and then
// draw an even count see the same values every time.
float rndn();

// Whether rndn() holds a spare value for its next call.
bool rndnSparePending();
