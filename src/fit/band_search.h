#pragma once

#include "fit/worker_pool.h"
#include "run/run_state.h"

namespace wavetrak {

// Fits one sinusoid in the band f_low..f_high to the residual held in `amplitude` by the
// two-stage random search, subtracts it, prints the case's lines and appends the component to
// slot 2. `best` carries over from the previous case. Trials are evaluated on the pool's
// threads; the transcript, the component and the residual are the same for any thread count.
void fit_band(RunState& state, WorkerPool& pool);

}  // namespace wavetrak
