#include "synth/synthesis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "fit/component_file.h"
#include "run/file_slots.h"
#include "run/input_files.h"
#include "run/read_diagnostics.h"
#include "synth/record_format.h"

namespace wavetrak {
namespace {

// Points are synthesized and formatted a chunk at a time, in parallel, then written in order.
constexpr int chunk_points = 16384;
constexpr int chunk_parts = 32;

bool close_input(RunState& state, int slot) {
    bool failed =
        report_read_error(state.diagnostics, state.slots[slot].file, state.slots[slot].name);
    close_slot(state, slot);
    return !failed;
}

}  // namespace

int read_and_echo_components(RunState& state, std::FILE* component_file, const char* file_name) {
    int count = read_components(component_file, state.components);
    for (int q = 1; q <= count; ++q) {
        const Component& c = state.components[q];
        std::fprintf(state.transcript, "\n amp=%10.4f   freq=%10.3f   phase=%10.3f", c.amp,
                     c.omega / state.two_pi, c.phase);
    }
    if (count == max_components) {
        report_capacity(state.diagnostics, component_file, file_name, max_components, "components");
    } else {
        report_read_stop(state.diagnostics, component_file, file_name, count, "components");
    }
    return count;
}

int read_reference(RunState& state, std::FILE* reference_file, const char* file_name) {
    return read_point_pairs(state, reference_file, file_name, state.reference.data());
}

void synthesize_points(RunState& state, WorkerPool& pool, int n_components, int n_points,
                       std::FILE* error_file, std::FILE* synth_file) {
    // Each piece of a chunk is summed and formatted on the pool into its own stretch of the
    // buffers; the stretches are then written in point order.
    const std::size_t buffer_size =
        static_cast<std::size_t>(std::min(n_points, chunk_points)) * max_record_length;
    std::unique_ptr<char[]> error_buffer(new char[buffer_size]);
    std::unique_ptr<char[]> synth_buffer(new char[buffer_size]);
    char* const error_text = error_buffer.get();
    char* const synth_text = synth_buffer.get();
    std::array<std::size_t, chunk_parts> error_length{};
    std::array<std::size_t, chunk_parts> synth_length{};
    for (int chunk_start = 1; chunk_start <= n_points; chunk_start += chunk_points) {
        int chunk_end = std::min(n_points, chunk_start + chunk_points - 1);
        int chunk_size = chunk_end - chunk_start + 1;
        int part_size = (chunk_size + chunk_parts - 1) / chunk_parts;
        int parts = (chunk_size + part_size - 1) / part_size;
        auto job = [&](int part) {
            int first = chunk_start + part * part_size;
            int last = std::min(chunk_end, first + part_size - 1);
            std::size_t offset = static_cast<std::size_t>(part) * part_size * max_record_length;
            char* error_out = error_text + offset;
            char* synth_out = synth_text + offset;
            for (int k = first; k <= last; ++k) {
                double s = 0.0;
                for (int q = 1; q <= n_components; ++q) {
                    const Component& c = state.components[q];
                    double term = std::sin(c.omega * state.time[k] - c.phase) * c.amp;
                    s = s + term;
                    state.reference[k] = state.reference[k] - term;
                }
                error_out += format_record(error_out, state.time[k], state.reference[k]);
                synth_out += format_record(synth_out, state.time[k], s);
            }
            error_length[part] = static_cast<std::size_t>(error_out - (error_text + offset));
            synth_length[part] = static_cast<std::size_t>(synth_out - (synth_text + offset));
        };
        pool.run(parts, job);

        for (int part = 0; part < parts; ++part) {
            std::size_t offset = static_cast<std::size_t>(part) * part_size * max_record_length;
            std::fwrite(error_text + offset, 1, error_length[part], error_file);
        }
        for (int part = 0; part < parts; ++part) {
            std::size_t offset = static_cast<std::size_t>(part) * part_size * max_record_length;
            std::fwrite(synth_text + offset, 1, synth_length[part], synth_file);
        }
    }
}

bool synthesize(RunState& state, WorkerPool& pool) {
    set_slot_name(state, 0, "b.out");
    set_slot_name(state, 1, "a.in");
    set_slot_name(state, 2, "error.out");
    set_slot_name(state, 3, "synth.out");
    std::fputs("\n\n", state.transcript);
    if (!open_slots(state, 4, false)) return false;
    std::fputs("\n", state.transcript);

    int n_components = read_and_echo_components(state, state.slots[0].file, state.slots[0].name);
    if (!close_input(state, 0)) return false;
    int n_points = read_reference(state, state.slots[1].file, state.slots[1].name);
    if (!close_input(state, 1)) return false;

    synthesize_points(state, pool, n_components, n_points, state.slots[2].file,
                      state.slots[3].file);
    bool error_written = close_output_slot(state, 2);
    bool synth_written = close_output_slot(state, 3);
    if (!error_written || !synth_written) return false;

    std::fputs("\n\n Output Files \n", state.transcript);
    std::fputs("\n  Best trial function: synth.out", state.transcript);
    std::fputs("\n  Error file:          error.out", state.transcript);
    std::fputs("\n\n Please call the output files into your own plotting program. \n",
               state.transcript);
    std::fputs("\n Press any key to exit.\n\n", state.transcript);
    return true;
}

}  // namespace wavetrak
