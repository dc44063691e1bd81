#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

namespace wavetrak {

// Table capacities. Tables are indexed from 1, so a table of N slots holds N - 1 values.
inline constexpr int point_slots = 200000;
inline constexpr int max_points = point_slots - 1;
inline constexpr int case_slots = 2000;
inline constexpr int max_cases = case_slots - 1;
inline constexpr int max_components = 1000;
inline constexpr int slot_count = 4;

// One fitted sinusoid: amp * sin(t * omega - phase).
struct Component {
    double amp = 0.0;
    double omega = 0.0;  // rad/s
    double phase = 0.0;  // rad
};

struct FileSlot {
    char name[20] = {};
    std::FILE* file = nullptr;
};

// The generator behind every random value of the search. Never seeded: a run repeats exactly.
struct Generator {
    std::uint32_t state = 1;
};

// Everything the run holds from start to end. Its tables are megabytes, so it lives on the heap;
// every table and value starts at zero, which the input reading relies on.
struct RunState {
    double pi = 0.0;
    double two_pi = 0.0;
    double start_time = 0.0;
    std::array<FileSlot, slot_count> slots{};

    std::int32_t n_trials = 0;
    std::int32_t n_cases = 0;
    std::array<double, case_slots> band_low{};
    std::array<double, case_slots> band_high{};
    double f_max = 0.0;

    std::array<double, point_slots> time{};
    std::array<double, point_slots> amplitude{};
    std::int32_t n_points = 0;
    double sample_rate = 0.0;
    std::int32_t dr = 0;

    Component best{};
    double f_low = 0.0;
    double f_high = 0.0;
    Generator generator{};

    // Synthesis tables: the components read back and the reference values (later the error).
    std::array<Component, max_components + 1> components{};
    std::array<double, point_slots> reference{};

    // Where the transcript and the diagnostics go.
    std::FILE* transcript = stdout;
    std::FILE* diagnostics = stderr;
    // The search skips work whose result cannot matter; off only to measure what that saves.
    bool shortcuts = true;
};

// Sets pi and two_pi: pi from the arc tangent, so it is the double nearest the true value.
void init_constants(RunState& state);

}  // namespace wavetrak
