#pragma once

#include <algorithm>
#include <cmath>

#include "run/run_state.h"

namespace wavetrak {

// The correctly rounded square. Every square of the search goes through here: pow(x, 2.0) is
// folded into x * x only when optimising, and libm's pow differs in the last bit for some x.
inline double square(double x) { return x * x; }

// Mean and standard deviation of values[1..n], summed in index order. Rounding can leave the
// variance a hair below zero for a constant signal; the deviation is then 0, not a NaN.
struct Statistics {
    double sum_of_squares = 0.0;
    double ave = 0.0;
    double sd = 0.0;
};
Statistics statistics_from_sums(double sum, double sum_of_squares, int n);
Statistics residual_statistics(const double* values, int n);

// How often the early stop of trial_error is checked, in points.
inline constexpr int stop_check_interval = 256;

// Root of the summed squared misfit of `trial` against amplitude[1..n] at time[1..n], in
// index order. The partial sums only grow (each term is a square, and adding a non-negative
// number never lowers a rounded sum), so once the root of one reaches the bound the trial cannot
// beat it: the sum stops there and that partial root, at least the bound, is returned.
// `bound()` is asked again at every check, so it may tighten while the sum runs.
template <class Bound>
double trial_error(const double* time, const double* amplitude, int n, const Component& trial,
                   Bound&& bound) {
    double sum = 0.0;
    int i = 1;
    while (i <= n) {
        int block_end = std::min(n, i + stop_check_interval - 1);
        for (; i <= block_end; ++i) {
            sum += square(amplitude[i] - std::sin(time[i] * trial.omega - trial.phase) * trial.amp);
        }
        if (i <= n && std::sqrt(sum) >= bound()) break;
    }
    return std::sqrt(sum);
}

}  // namespace wavetrak
