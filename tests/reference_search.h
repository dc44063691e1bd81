#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "fit/component_file.h"
#include "fit/generator.h"
#include "run/run_state.h"

namespace wavetrak::testing {

// The band search written out plainly, one trial after another with every trial summed over
// every point, to check the program's parallel search with its shortcuts against.
inline void reference_fit_band(RunState& s, std::FILE* out, std::FILE* component_file) {
    auto sq = [](double x) { return x * x; };
    auto stats = [&](double& ave, double& sd) {
        double sum = 0.0;
        double sum_sq = 0.0;
        for (int i = 1; i <= s.n_points; ++i) {
            sum += s.amplitude[i];
            sum_sq += sq(s.amplitude[i]);
        }
        ave = sum / static_cast<double>(s.n_points);
        double v = sum_sq / static_cast<double>(s.n_points) - sq(ave);
        sd = v < 0.0 ? 0.0 : std::sqrt(v);
    };
    double ave = 0.0;
    double sd = 0.0;
    stats(ave, sd);
    std::fprintf(out, "\n ave=%12.4g  sd=%12.4g", ave, sd);
    double best_error = 1e53;
    double amp_ceiling = 2.0 * sd;
    std::fprintf(out, "\n\n  Trial     Error      Amplitude   Freq(Hz)   Phase(rad) \n");
    for (std::int64_t index = 1; index <= s.n_trials; index += s.dr) {
        Component trial;
        trial.amp = next_uniform(s.generator) * amp_ceiling;
        trial.omega = ((s.f_high - s.f_low) * next_uniform(s.generator) + s.f_low) * s.two_pi;
        trial.phase = ((1.0 - 0.0) * next_uniform(s.generator) + 0.0) * s.two_pi;
        if (index > static_cast<std::int32_t>(s.n_trials * 0.3333333333333333)) {
            trial.amp = (next_uniform(s.generator) * 0.1 + 0.95) * s.best.amp;
            trial.omega = (next_uniform(s.generator) * 0.04 + 0.98) * s.best.omega;
            trial.phase = (next_uniform(s.generator) * 0.08 + 0.96) * (s.best.phase + s.two_pi);
        }
        if (trial.phase > s.two_pi) trial.phase -= s.two_pi;
        if (index == 1) trial.amp = 0.0;
        double sum = 0.0;
        for (int i = 1; i <= s.n_points; ++i) {
            sum += sq(s.amplitude[i] - std::sin(s.time[i] * trial.omega - trial.phase) * trial.amp);
        }
        double error = std::sqrt(sum);
        if (error < best_error) {
            s.best = trial;
            std::fprintf(out, "\n %6ld  %13.4e  %9.4f %9.4f %9.4f", static_cast<long>(index), error,
                         trial.amp, trial.omega / s.two_pi, trial.phase);
            best_error = error;
        }
    }
    for (int i = 1; i <= s.n_points; ++i) {
        s.amplitude[i] =
            s.amplitude[i] - std::sin(s.time[i] * s.best.omega - s.best.phase) * s.best.amp;
    }
    stats(ave, sd);
    std::fprintf(out, "\n %12.4g %12.4g", ave, sd);
    write_component(component_file, s.best);
}

}  // namespace wavetrak::testing
