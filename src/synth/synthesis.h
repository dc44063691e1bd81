#pragma once

#include "fit/worker_pool.h"
#include "run/run_state.h"

namespace wavetrak {

// The second phase: names and opens slots 0 to 3 ("b.out", "a.in", "error.out", "synth.out")
// silently, echoes the components read back from the component file, evaluates their sum at
// every reference time and writes the synthesized and error records, then prints the closing
// lines. Returns false when a file cannot be opened, read or written; the reason is printed.
bool synthesize(RunState& state, WorkerPool& pool);

// The steps of the phase, on open files.
// Reads the components into `components`, echoing each; returns their count.
int read_and_echo_components(RunState& state, std::FILE* component_file, const char* file_name);
// Reads the reference points into `time` and `reference`; returns their count.
int read_reference(RunState& state, std::FILE* reference_file, const char* file_name);
// Subtracts components 1..n_components from reference[1..n_points] in place and writes one
// record per point to each file: the error, and the sum of the components.
void synthesize_points(RunState& state, WorkerPool& pool, int n_components, int n_points,
                       std::FILE* error_file, std::FILE* synth_file);

}  // namespace wavetrak
