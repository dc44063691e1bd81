#pragma once

#include "run/run_state.h"

namespace wavetrak {

// Linear congruential step modulo 2^32; returns bits 16 to 30 of the new state (0 to 32767).
int next_draw(Generator& generator);

// next_draw() / 32767.0: both 0.0 and 1.0 can come out.
double next_uniform(Generator& generator);

}  // namespace wavetrak
