#include "fit/misfit.h"

#include <algorithm>
#include <cmath>

namespace wavetrak {

Statistics statistics_from_sums(double sum, double sum_of_squares, int n) {
    Statistics stats;
    stats.sum_of_squares = sum_of_squares;
    double count = static_cast<double>(n);
    stats.ave = sum / count;
    double variance = sum_of_squares / count - square(stats.ave);
    stats.sd = variance < 0.0 ? 0.0 : std::sqrt(variance);
    return stats;
}

Statistics residual_statistics(const double* values, int n) {
    double sum = 0.0;
    double sum_of_squares = 0.0;
    for (int i = 1; i <= n; ++i) {
        sum += values[i];
        sum_of_squares += square(values[i]);
    }
    return statistics_from_sums(sum, sum_of_squares, n);
}

double trial_error(const double* time, const double* amplitude, int n, const Component& trial,
                   double bound) {
    double sum = 0.0;
    int i = 1;
    while (i <= n) {
        int block_end = std::min(n, i + stop_check_interval - 1);
        for (; i <= block_end; ++i) {
            sum += square(amplitude[i] - std::sin(time[i] * trial.omega - trial.phase) * trial.amp);
        }
        if (i <= n && std::sqrt(sum) >= bound) break;
    }
    return std::sqrt(sum);
}

}  // namespace wavetrak
