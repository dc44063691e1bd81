#include "fit/band_search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>

#include "fit/component_file.h"
#include "fit/generator.h"
#include "fit/misfit.h"

namespace wavetrak {
namespace {

// Trials are drawn ahead and evaluated in batches, then put through the acceptance test in
// trial order. First-stage trials do not depend on `best`, so several per thread are evaluated
// at once. A second-stage trial does, so only one per thread is evaluated ahead, and those that
// follow an acceptance in their batch are evaluated again around the new `best`.
constexpr int batch_capacity = 64;
constexpr int first_stage_trials_per_thread = 8;

// Points per piece when the residual update is spread over the threads.
constexpr int update_piece = 4096;

// Below this many points a trial costs less than handing it to another thread; such a search
// runs on the calling thread alone (with the same results, as for any thread count).
constexpr int min_points_to_share = 4096;

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

        threads_ = s.n_points < min_points_to_share ? 1 : pool_.size();
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
            int per_thread = trial_index > refine_after_ ? 1 : first_stage_trials_per_thread;
            int depth = std::min(threads_ * per_thread, batch_capacity);
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

    template <class Bound>
    double evaluate(const Component& trial, Bound&& bound) const {
        const RunState& s = state_;
        if (!shortcuts_) {
            // Comparisons with a NaN are false: the sum never stops early.
            auto never = [] { return std::numeric_limits<double>::quiet_NaN(); };
            return trial_error(s.time.data(), s.amplitude.data(), s.n_points, trial, never);
        }
        if (trial.amp == 0.0 && arguments_finite(reach_, trial)) return residual_norm_;
        return trial_error(s.time.data(), s.amplitude.data(), s.n_points, trial, bound);
    }

    // Evaluates batch_[first..count) on the pool. Each trial stops early against the best error
    // before the batch or, tighter, against any result of an earlier trial of the batch that is
    // already in: whether that trial was accepted or not, `best_error` at this trial can be no
    // larger. (A second-stage result that an acceptance before it makes void only feeds trials
    // that are void too and evaluated again.)
    void evaluate_from(int first, int count) {
        const double start_bound = best_error_;
        for (int k = first; k < count; ++k) {
            published_[k].store(std::numeric_limits<double>::infinity(), std::memory_order_relaxed);
        }
        auto job = [&](int offset) {
            const int k = first + offset;
            TrialSlot& slot = batch_[k];
            slot.trial = make_trial(slot);
            auto bound = [&] {
                double tightest = start_bound;
                for (int j = first; j < k; ++j) {
                    tightest = std::min(tightest, published_[j].load(std::memory_order_relaxed));
                }
                return tightest;
            };
            slot.error = evaluate(slot.trial, bound);
            published_[k].store(slot.error, std::memory_order_relaxed);
        };
        if (threads_ == 1) {
            for (int offset = 0; offset < count - first; ++offset) job(offset);
        } else {
            pool_.run(count - first, job);
        }
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
        std::fprintf(s.transcript, "\n %6ld  %13.4e  %9.4f %9.4f %9.4f",
                     static_cast<long>(slot.index), slot.error, slot.trial.amp,
                     slot.trial.omega / s.two_pi, slot.trial.phase);
    }

    // The new residual is worked out point by point on the pool; its sums then run in index
    // order on this thread.
    void update_residual() {
        RunState& s = state_;
        const Component best = s.best;
        const int n = s.n_points;
        auto job = [&](int piece) {
            int first = 1 + piece * update_piece;
            int last = std::min(n, first + update_piece - 1);
            for (int i = first; i <= last; ++i) {
                s.amplitude[i] =
                    s.amplitude[i] - std::sin(s.time[i] * best.omega - best.phase) * best.amp;
            }
        };
        pool_.run((n + update_piece - 1) / update_piece, job);
        Statistics stats = residual_statistics(s.amplitude.data(), n);
        std::fprintf(s.transcript, "\n %12.4g %12.4g", stats.ave, stats.sd);
    }

    RunState& state_;
    WorkerPool& pool_;
    bool shortcuts_;
    int threads_ = 1;
    double best_error_ = 1e53;
    double amp_ceiling_ = 0.0;
    double residual_norm_ = 0.0;
    TimeReach reach_{};
    std::int32_t refine_after_ = 0;
    std::array<TrialSlot, batch_capacity> batch_{};
    std::array<std::atomic<double>, batch_capacity> published_{};
};

}  // namespace

void fit_band(RunState& state, WorkerPool& pool) { BandSearch(state, pool, state.shortcuts).run(); }

}  // namespace wavetrak
