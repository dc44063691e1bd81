#include <memory>

#include "fit/worker_pool.h"
#include "run/run_sequence.h"
#include "run/run_state.h"

// Arguments are ignored and the console is never read: the run takes its answers from the
// parameter file and its data from fixed file names in the working directory.
int main() {
    auto state = std::make_unique<wavetrak::RunState>();
    wavetrak::init_constants(*state);
    wavetrak::WorkerPool pool(wavetrak::default_thread_count());
    return wavetrak::run_wavetrak(*state, pool);
}
