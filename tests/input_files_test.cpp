#include "run/input_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "test_support.h"

namespace wavetrak {
namespace {

using testing::input_file;
using testing::TestState;

struct Band {
    double low;
    double high;
};

struct ParameterCase {
    std::string name;
    std::string text;
    int n_trials;
    int n_cases;
    std::vector<Band> bands;  // cases 1..n_cases
    double f_max;
    bool diagnosed;  // whether a line goes to the diagnostics
};

const std::vector<ParameterCase> parameter_cases = {
    {"plain", "300\n2\n12.0 2.0\n50 5\n", 300, 2, {{10, 14}, {45, 55}}, 50, false},
    {"one line", "300 2 12 2 50 5", 300, 2, {{10, 14}, {45, 55}}, 50, false},
    // The fraction stays behind and the case count cannot be read: no cases.
    {"trial count 300.0", "300.0\n1\n12 2\n", 300, 0, {}, 0, true},
    {"trial count 3e2", "3e2\n1\n12 2\n", 3, 0, {}, 0, true},
    // The .0 left behind is read as the first centre, and every value moves one place.
    {"case count 3.0", "300\n3.0\n12 2\n", 300, 3, {{-12, 12}, {-10, 14}, {-10, 14}}, 2, false},
    // Pairs cut short keep the values last read; none read gives 0 to 0 Hz.
    {"pairs cut short", "10\n3\n12 2\n20", 10, 3, {{10, 14}, {18, 22}, {18, 22}}, 20, false},
    {"no pairs", "10\n2\n", 10, 2, {{0, 0}, {0, 0}}, 0, false},
    {"centres not positive", "10\n2\n-5 1\n0 1\n", 10, 2, {{-6, -4}, {-1, 1}}, 0, false},
    {"empty file", "", 0, 0, {}, 0, true},
    {"negative case count", "10\n-3\n12 2\n", 10, -3, {}, 0, false},
};

TEST(ReadParameters, ReadsCountsAndBands) {
    for (const ParameterCase& c : parameter_cases) {
        SCOPED_TRACE(c.name);
        TestState t;
        std::FILE* file = input_file(c.text);
        read_parameters(*t.state, file, "wavetrak.in");
        std::fclose(file);
        EXPECT_EQ(t.state->n_trials, c.n_trials);
        EXPECT_EQ(t.state->n_cases, c.n_cases);
        for (std::size_t k = 0; k < c.bands.size(); ++k) {
            EXPECT_EQ(t.state->band_low[k + 1], c.bands[k].low) << "case " << k + 1;
            EXPECT_EQ(t.state->band_high[k + 1], c.bands[k].high) << "case " << k + 1;
        }
        EXPECT_EQ(t.state->f_max, c.f_max);
        EXPECT_EQ(t.diagnostics().empty(), !c.diagnosed) << t.diagnostics();
        std::string newlines(static_cast<std::size_t>(std::max(c.n_cases, 0)), '\n');
        EXPECT_EQ(t.transcript(),
                  "\n\n Enter the number of trials per frequency. \n"
                  "\n\n Enter the number of frequencies. \n" +
                      newlines);
    }
}

TEST(ReadParameters, ReadsAtMostTheBandTable) {
    std::string text = "10\n2500\n";
    for (int k = 1; k <= 2500; ++k) text += std::to_string(k) + " 1\n";
    TestState t;
    std::FILE* file = input_file(text);
    read_parameters(*t.state, file, "wavetrak.in");
    std::fclose(file);
    EXPECT_EQ(t.state->n_cases, max_cases);
    EXPECT_EQ(t.state->band_low[max_cases], max_cases - 1);
    EXPECT_EQ(t.state->f_max, max_cases);
    EXPECT_NE(t.diagnostics().find("2500 frequency cases"), std::string::npos);
}

struct Point {
    double time;
    double amplitude;
};

struct HistoryCase {
    std::string name;
    std::string text;
    std::vector<Point> points;
    std::string diagnostic;  // a text the diagnostics line must hold, or empty for none
};

const std::vector<HistoryCase> history_cases = {
    {"pairs", "0 1\n0.1 2\n0.2 3\n", {{0, 1}, {0.1, 2}, {0.2, 3}}, ""},
    {"crlf", "0 1\r\n0.1 2\r\n0.2 3\r\n", {{0, 1}, {0.1, 2}, {0.2, 3}}, ""},
    {"spread over lines", "0 1 0.1\n2\n\n0.2\n 3", {{0, 1}, {0.1, 2}, {0.2, 3}}, ""},
    {"last line a time only", "0 1\n0.1 2\n0.2\n", {{0, 1}, {0.1, 2}, {0.2, 0}}, ""},
    {"header of words",
     "time amplitude\n0 1\n",
     {},
     "line 1, column 1: reading stopped at \"time amplitude\""},
    {"header starting with a number", "2 columns\n0 1\n", {{2, 0}}, "line 1, column 3"},
    {"stray text",
     "0 1\n0.1 2;\n0.2 3\n",
     {{0, 1}, {0.1, 2}},
     "line 2, column 6: reading stopped at \";\", which is not a number; 2 points kept"},
    {"decimal comma", "0 1,5\n", {{0, 1}}, "\",5\""},
    {"empty", "", {}, ""},
};

TEST(ReadTimeHistory, ReadsPairsUntilTheFirstFailure) {
    for (const HistoryCase& c : history_cases) {
        SCOPED_TRACE(c.name);
        TestState t;
        std::FILE* file = input_file(c.text);
        EXPECT_TRUE(read_time_history(*t.state, file, "b.in"));
        std::fclose(file);
        ASSERT_EQ(t.state->n_points, static_cast<int>(c.points.size()));
        for (std::size_t i = 0; i < c.points.size(); ++i) {
            EXPECT_EQ(t.state->time[i + 1], c.points[i].time);
            EXPECT_EQ(t.state->amplitude[i + 1], c.points[i].amplitude);
        }
        EXPECT_EQ(t.transcript(),
                  "\n number of input file points = " + std::to_string(c.points.size()));
        if (c.diagnostic.empty()) {
            EXPECT_EQ(t.diagnostics(), "");
        } else {
            EXPECT_NE(t.diagnostics().find(c.diagnostic), std::string::npos) << t.diagnostics();
            EXPECT_EQ(t.diagnostics().rfind("b_wavetrak: b.in: ", 0), 0u);
        }
    }
}

TEST(ReadTimeHistory, HoldsAtMost199999Points) {
    std::string text;
    for (int i = 1; i <= max_points + 2; ++i) text += std::to_string(i) + " 1\n";
    TestState t;
    std::FILE* file = input_file(text);
    EXPECT_TRUE(read_time_history(*t.state, file, "b.in"));
    std::fclose(file);
    EXPECT_EQ(t.state->n_points, max_points);
    EXPECT_EQ(t.state->time[max_points], max_points);
    EXPECT_EQ(t.state->time[point_slots - 1 + 1 - 1], max_points);
    EXPECT_NE(t.diagnostics().find("only the first 199999 points"), std::string::npos);
}

TEST(ReadTimeHistory, ExactlyFullFileGivesNoDiagnostic) {
    std::string text;
    for (int i = 1; i <= max_points; ++i) text += std::to_string(i) + " 1\n";
    TestState t;
    std::FILE* file = input_file(text);
    EXPECT_TRUE(read_time_history(*t.state, file, "b.in"));
    std::fclose(file);
    EXPECT_EQ(t.state->n_points, max_points);
    EXPECT_EQ(t.diagnostics(), "");
}

TEST(ReadTimeHistory, ReportsAReadErrorThatIsNotTheEnd) {
    testing::TempDir dir;
    std::FILE* directory = std::fopen(dir.path().c_str(), "rb");
    ASSERT_NE(directory, nullptr);
    TestState t;
    EXPECT_FALSE(read_time_history(*t.state, directory, "b.in"));
    std::fclose(directory);
    EXPECT_NE(t.diagnostics().find("error reading b.in"), std::string::npos);
}

TEST(TrialStep, IsLimitedBeforeConversion) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    struct StepCase {
        double sample_rate;
        double f_max;
        int dr;
    };
    const StepCase cases[] = {
        {800, 10, 5},  {800, 100, 1}, {800, 1, 10},       {110.4, 1, 6}, {32, 1, 2},
        {31.9, 1, 1},  {160, 1, 10},  {175, 1, 10},       {800, 0, 1},   {-800, 10, 1},
        {-inf, 10, 1}, {nan, 10, 1},  {1e300, 1e-300, 1}, {1e20, 1, 10}, {800, -5, 1},
    };
    for (const StepCase& c : cases) {
        EXPECT_EQ(trial_step(c.sample_rate, c.f_max), c.dr)
            << c.sample_rate << " / (" << c.f_max << " * 16)";
    }
}

TEST(DeriveSampling, UsesTheFirstAndLastTimes) {
    struct SamplingCase {
        std::vector<double> times;
        double f_max;
        std::string printed;
    };
    const SamplingCase cases[] = {
        {{0, 0.00125, 0.0025, 0.00375, 0.005}, 10, "\n sample rate =        800  dr= 5 \n"},
        {{}, 10, "\n sample rate =       -inf  dr= 1 \n"},
        {{3}, 10, "\n sample rate =       -nan  dr= 1 \n"},
    };
    for (const SamplingCase& c : cases) {
        TestState t;
        for (std::size_t i = 0; i < c.times.size(); ++i) t.state->time[i + 1] = c.times[i];
        t.state->n_points = static_cast<int>(c.times.size());
        t.state->f_max = c.f_max;
        derive_sampling(*t.state);
        EXPECT_EQ(t.transcript(), c.printed);
    }
}

}  // namespace
}  // namespace wavetrak
