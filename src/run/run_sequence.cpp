#include "run/run_sequence.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "fit/band_search.h"
#include "fit/component_file.h"
#include "run/file_slots.h"
#include "run/input_files.h"
#include "synth/synthesis.h"

namespace wavetrak {
namespace {

double wall_clock_seconds() { return static_cast<double>(std::time(nullptr)); }

// Ends a run that failed: files still open are closed and the transcript is written out.
int fail(RunState& state) {
    close_all_slots(state);
    std::fflush(state.transcript);
    return 1;
}

bool transcript_written(RunState& state) {
    if (std::fflush(state.transcript) == 0 && !std::ferror(state.transcript)) return true;
    std::fprintf(state.diagnostics, "b_wavetrak: error writing the transcript: %s\n",
                 std::strerror(errno));
    return false;
}

}  // namespace

void print_banner(std::FILE* transcript) {
    std::fputs("\n b_wavetrak  version 1.1   August 25, 2005\n", transcript);
    std::fputs("\n by the b_wavetrak maintainers, maintainers@b-wavetrak.example.org \n",
               transcript);
    std::fputs("\n This program performs a sine curve-fit for an input file. \n", transcript);
    std::fputs("\n The input file must be: time(sec) and amplitude(units) ", transcript);
    std::fputs("\n Format is free, but no header lines allowed.\n", transcript);
    std::fputs("\n Please enter the input filename. \n", transcript);
}

void report_elapsed(const RunState& state) {
    std::fprintf(state.transcript, "\n\n elapsed time = %12.5g sec\n",
                 wall_clock_seconds() - state.start_time);
}

int run_wavetrak(RunState& state, WorkerPool& pool) {
    state.start_time = wall_clock_seconds();
    print_banner(state.transcript);

    set_slot_name(state, 0, "wavetrak.in");
    set_slot_name(state, 1, "b.in");
    set_slot_name(state, 2, "b.out");
    std::fputs("\n\n", state.transcript);
    if (!open_slots(state, 3, true)) return fail(state);
    std::fputs("\n", state.transcript);

    write_component_header(state.slots[2].file);
    state.best = Component{};
    if (!read_inputs(state)) return fail(state);

    for (int k = 1; k <= state.n_cases; ++k) {
        std::fprintf(state.transcript, "\n frequency case %ld ", static_cast<long>(k));
        state.f_low = state.band_low[k];
        state.f_high = state.band_high[k];
        fit_band(state, pool);
        report_elapsed(state);
        std::fputs("\n", state.transcript);
    }

    close_slot(state, 0);
    close_slot(state, 1);
    // The component file is read back next: a write that failed must not pass as a short fit.
    if (!close_output_slot(state, 2)) return fail(state);

    if (!synthesize(state, pool)) return fail(state);
    std::fputs("\n\n", state.transcript);
    return transcript_written(state) ? 0 : 1;
}

}  // namespace wavetrak
