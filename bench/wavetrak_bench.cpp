// Measures the search and a whole run on a generated recording: 199,999 points at 48,000
// samples per second, tones switched on and off in bursts with noise, 5 bands of 300 trials,
// 2 of them holding no tone. Prints the times and the ratios the project aims for.
//
//   cmake -S . -B build -DWAVETRAK_BENCH=ON && cmake --build build -j2 &&
//   build/bench/wavetrak_bench
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "fit/band_search.h"
#include "fit/worker_pool.h"
#include "run/file_slots.h"
#include "run/input_files.h"
#include "run/run_sequence.h"
#include "run/run_state.h"
#include "synth/synthesis.h"

namespace {

using namespace wavetrak;
using Clock = std::chrono::steady_clock;

constexpr int n_points = max_points;
constexpr double rate = 48000.0;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Tones at 250, 800 and 1500 Hz in bursts, noise throughout; bands at 2200 and 3000 Hz are empty.
void write_inputs(const std::filesystem::path& dir) {
    std::mt19937 engine(20261211);
    std::normal_distribution<double> noise(0.0, 0.15);
    std::FILE* b = std::fopen((dir / "b.in").c_str(), "w");
    std::FILE* a = std::fopen((dir / "a.in").c_str(), "w");
    for (int i = 0; i < n_points; ++i) {
        double t = i / rate;
        double burst_a = std::fmod(t, 0.8) < 0.5 ? 1.0 : 0.0;
        double burst_b = std::fmod(t + 0.3, 1.1) < 0.4 ? 1.0 : 0.0;
        double burst_c = std::fmod(t, 1.3) > 0.2 ? 1.0 : 0.0;
        double v = burst_a * 1.0 * std::sin(2 * M_PI * 250 * t - 0.4) +
                   burst_b * 0.6 * std::sin(2 * M_PI * 800 * t - 1.3) +
                   burst_c * 0.3 * std::sin(2 * M_PI * 1500 * t - 2.2) + noise(engine);
        std::fprintf(b, "%.7e %.7e\n", t, v);
        std::fprintf(a, "%.7e %.7e\n", t, v);
    }
    std::fclose(b);
    std::fclose(a);
    std::FILE* p = std::fopen((dir / "wavetrak.in").c_str(), "w");
    std::fprintf(p, "300\n5\n250 20\n800 40\n1500 60\n2200 80\n3000 100\n");
    std::fclose(p);
}

std::unique_ptr<RunState> fresh_state(std::FILE* sink) {
    auto state = std::make_unique<RunState>();
    init_constants(*state);
    state->transcript = sink;
    state->diagnostics = sink;
    return state;
}

// Reads the inputs into a state ready for the search, and returns the seconds reading took.
double load_inputs(RunState& state) {
    set_slot_name(state, 0, "wavetrak.in");
    set_slot_name(state, 1, "b.in");
    set_slot_name(state, 2, "b.out");
    open_slots(state, 3, false);
    auto start = Clock::now();
    read_inputs(state);
    return seconds_since(start);
}

double time_search(int threads, bool shortcuts, std::FILE* sink) {
    auto state = fresh_state(sink);
    load_inputs(*state);
    state->shortcuts = shortcuts;
    WorkerPool pool(threads);
    auto start = Clock::now();
    for (int k = 1; k <= state->n_cases; ++k) {
        state->f_low = state->band_low[k];
        state->f_high = state->band_high[k];
        fit_band(*state, pool);
    }
    double elapsed = seconds_since(start);
    close_all_slots(*state);
    return elapsed;
}

struct WholeRun {
    double total = 0;
    double reading = 0;       // the parameter file and b.in
    double reading_back = 0;  // b.out and a.in
    double synthesizing = 0;  // summing the components and writing both output files
};

WholeRun time_whole_run(int threads, std::FILE* sink) {
    WholeRun run;
    auto start = Clock::now();
    auto state = fresh_state(sink);
    run.reading = load_inputs(*state);
    WorkerPool pool(threads);
    for (int k = 1; k <= state->n_cases; ++k) {
        state->f_low = state->band_low[k];
        state->f_high = state->band_high[k];
        fit_band(*state, pool);
    }
    close_all_slots(*state);

    // The synthesis phase, step by step, on the files the search wrote.
    auto read_start = Clock::now();
    set_slot_name(*state, 0, "b.out");
    set_slot_name(*state, 1, "a.in");
    set_slot_name(*state, 2, "error.out");
    set_slot_name(*state, 3, "synth.out");
    open_slots(*state, 4, false);
    int n_components = read_and_echo_components(*state, state->slots[0].file, "b.out");
    int n_reference = read_reference(*state, state->slots[1].file, "a.in");
    run.reading_back = seconds_since(read_start);
    auto write_start = Clock::now();
    synthesize_points(*state, pool, n_components, n_reference, state->slots[2].file,
                      state->slots[3].file);
    close_all_slots(*state);
    run.synthesizing = seconds_since(write_start);
    run.total = seconds_since(start);
    return run;
}

long peak_memory_kib_of_program() {
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execl(WAVETRAK_BINARY, WAVETRAK_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "wavetrak-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    std::filesystem::path dir = pattern;
    write_inputs(dir);
    std::filesystem::current_path(dir);
    std::FILE* sink = std::fopen("/dev/null", "w");
    int cores = default_thread_count();

    std::printf(
        "b_wavetrak benchmark: %d points at %.0f samples/s, 5 bands x 300 trials, %d cores\n",
        n_points, rate, cores);
    double plain = time_search(1, false, sink);
    std::printf("  search, every trial over every point, 1 thread : %8.3f s\n", plain);
    double plain_all = time_search(cores, false, sink);
    std::printf("  search, every trial over every point, %d threads: %8.3f s\n", cores, plain_all);
    double one = time_search(1, true, sink);
    std::printf("  search with shortcuts, 1 thread                : %8.3f s\n", one);
    double all = time_search(cores, true, sink);
    std::printf("  search with shortcuts, %d threads               : %8.3f s\n", cores, all);
    WholeRun run = time_whole_run(cores, sink);
    std::printf("  whole run, %d threads                           : %8.3f s\n", cores, run.total);
    std::printf("    reading wavetrak.in and b.in                  : %8.3f s\n", run.reading);
    std::printf("    reading back b.out and a.in                   : %8.3f s\n", run.reading_back);
    std::printf("    synthesizing and writing both outputs         : %8.3f s\n", run.synthesizing);
    long peak_kib = peak_memory_kib_of_program();
    std::printf("  peak memory of the program on these files       : %8.1f MB\n",
                peak_kib / 1024.0);

    std::printf("\nratios (target in brackets)\n");
    std::printf("  plain search / shortcuts on %d threads : %5.2f  (at least 3)\n", cores,
                plain / all);
    std::printf("  shortcuts: 1 thread / %d threads       : %5.2f  (at least 1.8 on 2 cores)\n",
                cores, one / all);
    std::printf("  plain search / shortcuts on 1 thread  : %5.2f\n", plain / one);
    std::printf("  reading b.in and writing the outputs  : %5.2f %% of the run (under 2 %%)\n",
                100.0 * (run.reading + run.synthesizing) / run.total);
    std::printf("  all reading and writing               : %5.2f %% of the run\n",
                100.0 * (run.reading + run.reading_back + run.synthesizing) / run.total);
    std::printf("  peak memory                           : %5.1f MB (under 16 MB)\n",
                peak_kib / 1024.0);

    std::fclose(sink);
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}
