#include "fit/band_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "fit/component_file.h"
#include "fit/generator.h"
#include "fit/misfit.h"

namespace wavetrak {
namespace {

// Trials are drawn and evaluated in batches of one per thread, ahead of their acceptance test.
// First-stage trials do not depend on `best`; a second-stage trial does, so those that follow an
// acceptance in their batch are evaluated again. Small batches keep the early-stop bound fresh.
constexpr int batch_capacity = 64;

struct TrialSlot {
    std::int64_t index = 0;
    bool refine = false;
    std::array<double, 6> u{};
    Component trial{};
    double error = 0.0;
};

// Where every sine argument t * omega - phase is a finite number, a zero-amplitude trial
// misfits by exactly the residual's own size; this tells when that is guaranteed.
struct TimeReach {
    bool all_finite = true;
    double max_abs_time = 0.0;
};

TimeReach time_reach(const double* time, int n) {
    TimeReach reach;
    for (int i = 1; i <= n; ++i) {
        if (!std::isfinite(time[i])) reach.all_finite = false;
        reach.max_abs_time = std::max(reach.max_abs_time, std::fabs(time[i]));
    }
    return reach;
}

bool arguments_finite(const TimeReach& reach, const Component& trial) {
    if (!reach.all_finite) return false;
    // Rounding is monotone, so no |t * omega - phase| can exceed this bound.
    double bound = reach.max_abs_time * std::fabs(trial.omega) + std::fabs(trial.phase);
    return std::isfinite(bound);
}

class BandSearch {
public:
    BandSearch(RunState& state, WorkerPool& pool, bool shortcuts)
        : state_(state), pool_(pool), shortcuts_(shortcuts) {}

    void run() {
        RunState& s = state_;
        Statistics stats = residual_statistics(s.amplitude.data(), s.n_points);
        std::fprintf(s.transcript, "\n ave=%12.4g  sd=%12.4g", stats.ave, stats.sd);

        best_error_ = 1e53;
        amp_ceiling_ = 2.0 * stats.sd;
        residual_norm_ = std::sqrt(stats.sum_of_squares);
        reach_ = time_reach(s.time.data(), s.n_points);
        std::fputs("\n\n  Trial     Error      Amplitude   Freq(Hz)   Phase(rad) \n", s.transcript);

        // The product in double is truncated; for counts of 0 or more this is n_trials / 3.
        refine_after_ = static_cast<std::int32_t>(s.n_trials * 0.3333333333333333);
        // A 64-bit counter: a trial count near the 32-bit limit ends the loop normally.
        std::int64_t trial_index = 1;
        while (trial_index <= s.n_trials) {
            int depth = std::min(pool_.size(), batch_capacity);
            int count = 0;
            for (; count < depth && trial_index <= s.n_trials; ++count) {
                draw_trial(batch_[count], trial_index);
                trial_index += s.dr;
            }
            settle_batch(count);
        }

        update_residual();
        write_component(s.slots[2].file, s.best);
    }

private:
    void draw_trial(TrialSlot& slot, std::int64_t index) {
        Generator& g = state_.generator;
        slot.index = index;
        slot.refine = index > refine_after_;
        slot.u[0] = next_uniform(g);
        slot.u[1] = next_uniform(g);
        slot.u[2] = next_uniform(g);
        if (slot.refine) {
            slot.u[3] = next_uniform(g);
            slot.u[4] = next_uniform(g);
            slot.u[5] = next_uniform(g);
        }
    }

    // The candidate of a trial from its draws and the current `best`.
    Component make_trial(const TrialSlot& slot) const {
        const RunState& s = state_;
        constexpr double lower_phase = 0.0;
        constexpr double upper_phase = 1.0;
        const std::array<double, 6>& u = slot.u;
        Component trial;
        trial.amp = u[0] * amp_ceiling_;
        trial.omega = ((s.f_high - s.f_low) * u[1] + s.f_low) * s.two_pi;
        trial.phase = ((upper_phase - lower_phase) * u[2] + lower_phase) * s.two_pi;
        if (slot.refine) {
            trial.amp = (u[3] * 0.1 + 0.95) * s.best.amp;
            trial.omega = (u[4] * 0.04 + 0.98) * s.best.omega;
            trial.phase = (u[5] * 0.08 + 0.96) * (s.best.phase + s.two_pi);
        }
        if (trial.phase > s.two_pi) trial.phase -= s.two_pi;
        if (slot.index == 1) trial.amp = 0.0;
        return trial;
    }

    double evaluate(const Component& trial, double bound) const {
        const RunState& s = state_;
        if (!shortcuts_) {
            return trial_error(s.time.data(), s.amplitude.data(), s.n_points, trial,
                               std::numeric_limits<double>::quiet_NaN());
        }
        if (trial.amp == 0.0 && arguments_finite(reach_, trial)) return residual_norm_;
        return trial_error(s.time.data(), s.amplitude.data(), s.n_points, trial, bound);
    }

    // Evaluates batch_[first..count) in parallel against the current best error.
    void evaluate_from(int first, int count) {
        double bound = best_error_;
        auto job = [&](int k) {
            TrialSlot& slot = batch_[first + k];
            slot.trial = make_trial(slot);
            slot.error = evaluate(slot.trial, bound);
        };
        pool_.run(count - first, job);
    }

    // Runs the acceptance test on the batch in trial order. An error computed against an
    // older, larger bound still decides correctly: a sum stopped early could not have won
    // against the older bound, let alone the current one. After an acceptance only the
    // second-stage trials that follow must be drawn up again around the new `best`.
    void settle_batch(int count) {
        int first = 0;
        while (first < count) {
            evaluate_from(first, count);
            int next = count;
            bool accepted = false;
            for (int k = first; k < count; ++k) {
                if (accepted && batch_[k].refine) {
                    next = k;
                    break;
                }
                if (batch_[k].error < best_error_) {
                    accept(batch_[k]);
                    accepted = true;
                }
            }
            first = next;
        }
    }

    // An error that is not a number never passes the test above, so one degenerate trial
    // cannot turn every later trial and case into not-a-number.
    void accept(const TrialSlot& slot) {
        RunState& s = state_;
        s.best = slot.trial;
        best_error_ = slot.error;
        std::fprintf(s.transcript, "\n %6ld  %13.4e  %9.4f %9.4f %9.4f", static_cast<long>(slot.index),
                     slot.error, slot.trial.amp, slot.trial.omega / s.two_pi, slot.trial.phase);
    }

    void update_residual() {
        RunState& s = state_;
        const Component& best = s.best;
        double sum = 0.0;
        double sum_of_squares = 0.0;
        for (int i = 1; i <= s.n_points; ++i) {
            s.amplitude[i] = s.amplitude[i] - std::sin(s.time[i] * best.omega - best.phase) * best.amp;
            sum += s.amplitude[i];
            sum_of_squares += square(s.amplitude[i]);
        }
        Statistics stats = statistics_from_sums(sum, sum_of_squares, s.n_points);
        std::fprintf(s.transcript, "\n %12.4g %12.4g", stats.ave, stats.sd);
    }

    RunState& state_;
    WorkerPool& pool_;
    bool shortcuts_;
    double best_error_ = 1e53;
    double amp_ceiling_ = 0.0;
    double residual_norm_ = 0.0;
    TimeReach reach_{};
    std::int32_t refine_after_ = 0;
    std::array<TrialSlot, batch_capacity> batch_{};
};

}  // namespace

void fit_band(RunState& state, WorkerPool& pool) {
    BandSearch(state, pool, state.shortcuts).run();
}

}  // namespace wavetrak
