#pragma once

#include <cstdint>
#include <cstdio>

#include "run/run_state.h"

namespace wavetrak {

// Parameter file: trial count, case count, then a centre frequency and a half-width per case.
// Fills n_trials, n_cases (0 when unreadable, at most max_cases), the band table and f_max.
void read_parameters(RunState& state, std::FILE* file, const char* file_name);

// Pairs of time and value into time[1..] and values[1..], at most max_points, until the first
// read that converts no number; a pair cut short keeps 0.0 for its value. Says on the
// diagnostics where reading stopped early, or that points beyond the limit were left out.
// Returns the number of pairs read.
int read_point_pairs(RunState& state, std::FILE* file, const char* file_name, double* values);

// Time-history file: pairs of time and amplitude, at most max_points. Sets n_points and prints
// it. Returns false on a read error that is not the end of the file.
bool read_time_history(RunState& state, std::FILE* file, const char* file_name);

// The trial step: how many times the sample rate exceeds 16 samples per cycle of f_max,
// limited to 1..10 before any conversion, so no quotient can overflow it.
std::int32_t trial_step(double sample_rate, double f_max);

// sample_rate from the first and last point, and dr; prints both.
void derive_sampling(RunState& state);

// Reads the parameter file (slot 0) and the time-history file (slot 1) and derives the
// sampling figures. Returns false on a read error.
bool read_inputs(RunState& state);

}  // namespace wavetrak
