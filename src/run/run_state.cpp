#include "run/run_state.h"

#include <cmath>

namespace wavetrak {

void init_constants(RunState& state) {
    state.pi = std::atan2(0.0, -1.0);
    state.two_pi = 2.0 * state.pi;
}

}  // namespace wavetrak
