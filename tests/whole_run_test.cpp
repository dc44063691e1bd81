// Whole runs in-process, to show that the transcript and all three files are the same bytes
// for any number of threads and with or without the search's shortcuts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "run/run_sequence.h"
#include "test_support.h"

namespace wavetrak {
namespace {

using testing::TempDir;

std::string tones_with_bursts(int n, double rate) {
    std::string text;
    char line[80];
    for (int i = 0; i < n; ++i) {
        double t = i / rate;
        double burst = std::fmod(t, 0.5) < 0.25 ? 1.0 : 0.0;
        double v = 1.3 * std::sin(2 * M_PI * 50 * t - 0.2) +
                   burst * 0.8 * std::sin(2 * M_PI * 120 * t - 1.0) + 0.1 * std::sin(i * 12.9898);
        std::snprintf(line, sizeof line, "%.7f %.7f\n", t, v);
        text += line;
    }
    return text;
}

struct RunInput {
    std::string name;
    std::string parameters;
    std::string time_history;
};

std::string run_in(const TempDir& dir, const RunInput& input, int threads, bool shortcuts) {
    for (const char* output : {"b.out", "error.out", "synth.out"})
        std::filesystem::remove(dir.path() / output);
    dir.write("wavetrak.in", input.parameters);
    dir.write("b.in", input.time_history);
    dir.write("a.in", input.time_history);
    testing::TestState t;
    t.state->shortcuts = shortcuts;
    WorkerPool pool(threads);
    int status = run_wavetrak(*t.state, pool);
    return std::to_string(status) + testing::mask_elapsed(t.transcript()) + t.diagnostics() + "|" +
           dir.read("b.out") + "|" + dir.read("error.out") + "|" + dir.read("synth.out");
}

TEST(WholeRun, SameBytesForAnyThreadCountAndWithoutShortcuts) {
    const RunInput inputs[] = {
        {"bursts, an empty band", "240\n4\n50 5\n120 10\n300 20\n50 2\n",
         tones_with_bursts(6000, 2000)},
        {"one and two trials", "1\n2\n50 5\n120 10\n", tones_with_bursts(5000, 2000)},
        {"two trials", "2\n1\n50 5\n", tones_with_bursts(5000, 2000)},
        {"constant", "60\n2\n50 5\n120 10\n", "0 0.1\n1 0.1\n2 0.1\n"},
        {"no points", "60\n2\n50 5\n120 10\n", ""},
        {"an infinite time", "90\n2\n50 5\n120 10\n", tones_with_bursts(5000, 2000) + "1e999 0.5\n"},
    };
    TempDir dir;
    std::string previous = std::filesystem::current_path();
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    for (const RunInput& input : inputs) {
        SCOPED_TRACE(input.name);
        std::string expected = run_in(dir, input, 1, false);
        EXPECT_EQ(expected.substr(0, 1), "0");
        for (int threads : {1, 2, 3, 8}) {
            EXPECT_EQ(run_in(dir, input, threads, true), expected) << threads << " threads";
        }
        EXPECT_EQ(run_in(dir, input, 3, false), expected);
    }
    ASSERT_EQ(chdir(previous.c_str()), 0);
}

}  // namespace
}  // namespace wavetrak
