#include "fit/misfit.h"

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

}  // namespace wavetrak
