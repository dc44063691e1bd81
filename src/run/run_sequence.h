#pragma once

#include "fit/worker_pool.h"
#include "run/run_state.h"

namespace wavetrak {

void print_banner(std::FILE* transcript);

// Prints the whole seconds since the start of the run.
void report_elapsed(const RunState& state);

// The whole run in the working directory, with its fixed file names: the fitting phase case by
// case, then the synthesis. Returns the exit status: 0 when the run completes, 1 when a file
// cannot be opened, read or written (the reason is on the transcript or the diagnostics).
int run_wavetrak(RunState& state, WorkerPool& pool);

}  // namespace wavetrak
