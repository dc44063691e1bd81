#include "run/input_files.h"

#include <cmath>

#include "run/numeric_reader.h"
#include "run/read_diagnostics.h"

namespace wavetrak {

void read_parameters(RunState& state, std::FILE* file, const char* file_name) {
    std::fputs("\n\n Enter the number of trials per frequency. \n", state.transcript);
    read_numbers(file, state.n_trials);

    std::fputs("\n\n Enter the number of frequencies. \n", state.transcript);
    state.n_cases = 0;
    if (read_numbers(file, state.n_cases) != 1 && state.diagnostics != nullptr) {
        std::fprintf(
            state.diagnostics,
            "b_wavetrak: %s: the number of frequencies cannot be read; no case is fitted\n",
            file_name);
    }
    if (state.n_cases > max_cases) {
        if (state.diagnostics != nullptr) {
            std::fprintf(state.diagnostics,
                         "b_wavetrak: %s: %ld frequency cases asked for; only the first %d are "
                         "read and fitted\n",
                         file_name, static_cast<long>(state.n_cases), max_cases);
        }
        state.n_cases = max_cases;
    }

    // A pair cut short keeps the values of the previous pair, so both survive the loop.
    double centre = 0.0;
    double half_width = 0.0;
    double* const pair[] = {&centre, &half_width};
    state.f_max = 0.0;
    for (int k = 1; k <= state.n_cases; ++k) {
        read_numbers(file, pair);
        state.band_low[k] = centre - half_width;
        state.band_high[k] = centre + half_width;
        if (centre > state.f_max) state.f_max = centre;
        std::fputs("\n", state.transcript);
    }
}

int read_point_pairs(RunState& state, std::FILE* file, const char* file_name, double* values) {
    int i = 1;
    int result = 0;
    for (;;) {
        // Cleared first, so a last line holding only a time gives the value 0.0.
        state.time[i] = 0.0;
        values[i] = 0.0;
        double* const point[] = {&state.time[i], &values[i]};
        result = read_numbers(file, point);
        if (result == 0 || result == end_of_input) break;
        ++i;
        if (i == point_slots) break;
    }
    if (i == point_slots) {
        report_capacity(state.diagnostics, file, file_name, max_points, "points");
    } else if (result == 0) {
        report_read_stop(state.diagnostics, file, file_name, i - 1, "points");
    }
    return i - 1;
}

bool read_time_history(RunState& state, std::FILE* file, const char* file_name) {
    state.n_points = read_point_pairs(state, file, file_name, state.amplitude.data());
    if (report_read_error(state.diagnostics, file, file_name)) return false;
    std::fprintf(state.transcript, "\n number of input file points = %ld",
                 static_cast<long>(state.n_points));
    return true;
}

std::int32_t trial_step(double sample_rate, double f_max) {
    double quotient = sample_rate / (f_max * 16.0);
    if (!std::isfinite(quotient) || quotient < 2.0) return 1;
    if (quotient > 10.0) return 10;
    return static_cast<std::int32_t>(quotient);
}

void derive_sampling(RunState& state) {
    int n = state.n_points;
    state.sample_rate = 1.0 / ((state.time[n] - state.time[1]) / static_cast<double>(n - 1));
    state.dr = trial_step(state.sample_rate, state.f_max);
    std::fprintf(state.transcript, "\n sample rate = %10.4g  dr= %ld \n", state.sample_rate,
                 static_cast<long>(state.dr));
}

bool read_inputs(RunState& state) {
    read_parameters(state, state.slots[0].file, state.slots[0].name);
    if (report_read_error(state.diagnostics, state.slots[0].file, state.slots[0].name)) {
        return false;
    }
    if (!read_time_history(state, state.slots[1].file, state.slots[1].name)) return false;
    derive_sampling(state);
    return true;
}

}  // namespace wavetrak
