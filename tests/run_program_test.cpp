// End-to-end runs of the built program, each in a fresh temporary directory.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace wavetrak {
namespace {

using testing::mask_elapsed;
using testing::run_program;
using testing::TempDir;

const std::string banner =
    "\n b_wavetrak  version 1.1   August 25, 2005\n"
    "\n by the b_wavetrak maintainers, maintainers@b-wavetrak.example.org \n"
    "\n This program performs a sine curve-fit for an input file. \n"
    "\n The input file must be: time(sec) and amplitude(units) "
    "\n Format is free, but no header lines allowed.\n"
    "\n Please enter the input filename. \n";

const std::string closing =
    "\n\n Output Files \n"
    "\n  Best trial function: synth.out"
    "\n  Error file:          error.out"
    "\n\n Please call the output files into your own plotting program. \n"
    "\n Press any key to exit.\n\n"
    "\n\n";

const std::string untouched = "left by an earlier run";

std::string signal_text(int n, double rate) {
    std::string text;
    char line[80];
    for (int i = 0; i < n; ++i) {
        double t = i / rate;
        std::snprintf(line, sizeof line, "%.6f %.6f\n", t,
                      1.2 * std::sin(2 * M_PI * 12 * t - 0.5) + 0.4 * std::sin(2 * M_PI * 31 * t));
        text += line;
    }
    return text;
}

struct Record {
    double time;
    double value;
};

// Parses an output file, checking its layout: a line break before each record, none after the
// last, and every record in the exact "\n %14.7e \t %14.7e" form.
std::vector<Record> parse_output(const std::string& text) {
    std::vector<Record> records;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "") << "an output file begins with a line break";
    while (std::getline(in, line)) {
        Record r{};
        EXPECT_EQ(line.size(), 1 + 14 + 3 + 14u) << line;
        EXPECT_EQ(std::sscanf(line.c_str(), " %lf \t %lf", &r.time, &r.value), 2) << line;
        char expected[64];
        std::snprintf(expected, sizeof expected, " %14.7e \t %14.7e", r.time, r.value);
        EXPECT_EQ(line, expected);
        records.push_back(r);
    }
    if (!text.empty()) {
        EXPECT_NE(text.back(), '\n');
    }
    return records;
}

TEST(Run, StepOneTranscriptWithNoCases) {
    TempDir dir;
    dir.write("wavetrak.in", "300\n0\n");
    dir.write("b.in", "0 1\n0.00125 2\n0.0025 3\n0.00375 4\n0.005 5\n");
    dir.write("a.in", "");
    auto result = run_program(dir);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, banner +
                              "\n\n"
                              " File: wavetrak.in opened. \n"
                              " File: b.in opened. \n"
                              " File: b.out opened. \n"
                              "\n"
                              "\n\n Enter the number of trials per frequency. \n"
                              "\n\n Enter the number of frequencies. \n"
                              "\n number of input file points = 5"
                              "\n sample rate =        800  dr= 1 \n"
                              "\n\n"
                              "\n" +
                              closing);
    EXPECT_EQ(dir.read("b.out"), "0");
    EXPECT_EQ(dir.read("error.out"), "");
    EXPECT_EQ(dir.read("synth.out"), "");
}

TEST(Run, EachCasePrintsItsHeadingAndElapsedTime) {
    TempDir dir;
    dir.write("wavetrak.in", "0\n2\n12 2\n30 5\n");
    dir.write("b.in", signal_text(100, 400));
    dir.write("a.in", "");
    auto result = run_program(dir);
    EXPECT_EQ(result.status, 0);
    std::string out = mask_elapsed(result.out);
    EXPECT_NE(out.find("\n number of input file points = 100\n sample rate =        400  dr= 1 \n"
                       "\n frequency case 1 \n ave="),
              std::string::npos);
    EXPECT_NE(out.find("\n\n elapsed time = # sec\n\n\n frequency case 2 \n ave="),
              std::string::npos);
    EXPECT_NE(out.find("\n\n elapsed time = # sec\n\n\n\n\n\n amp="), std::string::npos);
}

struct OpenFailure {
    std::string name;
    std::vector<std::string> missing;    // inputs not written
    std::string directory;               // an output name taken by a directory
    std::string transcript_end;          // how the transcript ends
    std::vector<std::string> untouched;  // outputs that must keep their earlier contents
};

TEST(Run, AFileThatCannotBeOpenedEndsTheRunWithStatusOne) {
    const OpenFailure cases[] = {
        {"no parameter file",
         {"wavetrak.in"},
         "",
         banner + "\n\n\n Failed to open file: wavetrak.in \n",
         {"b.out", "error.out", "synth.out"}},
        {"no time history",
         {"b.in"},
         "",
         banner + "\n\n File: wavetrak.in opened. \n\n Failed to open file: b.in \n",
         {"b.out", "error.out", "synth.out"}},
        {"component file not writable",
         {},
         "b.out",
         " File: b.in opened. \n\n Failed to open file: b.out \n",
         {"error.out", "synth.out"}},
        {"no reference",
         {"a.in"},
         "",
         "\n\n\n Failed to open file: a.in \n",
         {"error.out", "synth.out"}},
        {"synthesis file not writable",
         {},
         "synth.out",
         "\n\n\n Failed to open file: synth.out \n",
         {}},
    };
    for (const OpenFailure& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        for (const char* input : {"wavetrak.in", "b.in", "a.in"}) {
            bool missing = false;
            for (const std::string& m : c.missing) missing = missing || m == input;
            if (!missing)
                dir.write(input, std::string(input) == "wavetrak.in" ? "20\n1\n12 2\n"
                                                                     : signal_text(50, 400));
        }
        for (const char* output : {"b.out", "error.out", "synth.out"}) {
            if (c.directory == output) {
                std::filesystem::create_directory(dir.path() / output);
            } else {
                dir.write(output, untouched);
            }
        }
        auto result = run_program(dir);
        EXPECT_EQ(result.status, 1);
        ASSERT_GE(result.out.size(), c.transcript_end.size());
        EXPECT_EQ(result.out.substr(result.out.size() - c.transcript_end.size()), c.transcript_end);
        for (const std::string& name : c.untouched) EXPECT_EQ(dir.read(name), untouched) << name;
        if (c.directory == "synth.out") {
            EXPECT_EQ(dir.read("error.out"), "");  // opened, emptied, left empty
        }
    }
}

TEST(Run, NoCasesSynthesizesZeroAndRepeatsTheReference) {
    TempDir dir;
    dir.write("wavetrak.in", "100\n0\n");
    dir.write("b.in", signal_text(20, 400));
    dir.write("a.in", "0 1.5\n0.5 -2.25\r\n1.0 1e-3\n");
    auto result = run_program(dir);
    EXPECT_EQ(result.status, 0);
    auto error = parse_output(dir.read("error.out"));
    auto synth = parse_output(dir.read("synth.out"));
    const std::vector<Record> reference = {{0, 1.5}, {0.5, -2.25}, {1.0, 1e-3}};
    ASSERT_EQ(error.size(), reference.size());
    ASSERT_EQ(synth.size(), reference.size());
    for (std::size_t k = 0; k < reference.size(); ++k) {
        EXPECT_EQ(error[k].time, reference[k].time);
        EXPECT_EQ(error[k].value, reference[k].value);
        EXPECT_EQ(synth[k].time, reference[k].time);
        EXPECT_EQ(synth[k].value, 0.0);
    }
}

// The synthesis recomputed here from "b.out" as written: the error file must hold the
// reference less every component, to the last printed digit.
TEST(Run, ErrorFileIsTheReferenceLessTheComponentsAsStored) {
    TempDir dir;
    std::string signal = signal_text(400, 400);
    dir.write("wavetrak.in", "150\n2\n12 2\n31 3\n");
    dir.write("b.in", signal);
    dir.write("a.in", signal);
    auto result = run_program(dir);
    ASSERT_EQ(result.status, 0);

    std::vector<double> amp, omega, phase;
    std::istringstream components(dir.read("b.out"));
    int leading = -1;
    components >> leading;
    EXPECT_EQ(leading, 0);
    for (double a, w, p; components >> a >> w >> p;) {
        amp.push_back(a);
        omega.push_back(w);
        phase.push_back(p);
    }
    ASSERT_EQ(amp.size(), 2u);
    EXPECT_NE(result.out.find("\n amp="), std::string::npos);

    auto error = parse_output(dir.read("error.out"));
    auto synth = parse_output(dir.read("synth.out"));
    ASSERT_EQ(error.size(), 400u);
    ASSERT_EQ(synth.size(), 400u);
    std::istringstream points(signal);
    double before = 0;
    double after = 0;
    for (std::size_t k = 0; k < 400; ++k) {
        double t = 0;
        double value = 0;
        points >> t >> value;
        double s = 0.0;
        double e = value;
        for (std::size_t q = 0; q < amp.size(); ++q) {
            double term = std::sin(omega[q] * t - phase[q]) * amp[q];
            s = s + term;
            e = e - term;
        }
        char expected[64];
        std::snprintf(expected, sizeof expected, "%14.7e %14.7e", e, s);
        char got[64];
        std::snprintf(got, sizeof got, "%14.7e %14.7e", error[k].value, synth[k].value);
        ASSERT_STREQ(got, expected) << "point " << k;
        EXPECT_EQ(error[k].time, synth[k].time);
        before += value * value;
        after += e * e;
    }
    EXPECT_LT(after, 0.5 * before);  // the fit removed most of the signal
}

TEST(Run, ReferenceFileEdgeCases) {
    struct ReferenceCase {
        std::string name;
        std::string text;
        std::string expected;  // the error file, with no components
    };
    const ReferenceCase cases[] = {
        {"header of words", "time value\n0 1\n", ""},
        {"numeric header", "2 columns\n0 1\n", "\n  2.0000000e+00 \t  0.0000000e+00"},
        {"last line a time only", "0 1\n0.5\n",
         "\n  0.0000000e+00 \t  1.0000000e+00\n  5.0000000e-01 \t  0.0000000e+00"},
    };
    for (const ReferenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("wavetrak.in", "10\n0\n");
        dir.write("b.in", "0 1\n1 2\n");
        dir.write("a.in", c.text);
        auto result = run_program(dir);
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(dir.exists("error.out"));
        EXPECT_EQ(dir.read("error.out"), c.expected);
        EXPECT_EQ(dir.read("synth.out").size(), c.expected.size());
    }
}

TEST(Run, CarriageReturnsReadLikePlainLineEnds) {
    std::string plain = signal_text(200, 400);
    std::string crlf;
    for (char c : plain) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    std::string outputs[2];
    for (int variant = 0; variant < 2; ++variant) {
        TempDir dir;
        dir.write("wavetrak.in", variant == 0 ? "60\n1\n12 2\n" : "60\r\n1\r\n12 2\r\n");
        dir.write("b.in", variant == 0 ? plain : crlf);
        dir.write("a.in", variant == 0 ? plain : crlf);
        auto result = run_program(dir);
        EXPECT_EQ(result.status, 0);
        outputs[variant] = mask_elapsed(result.out) + dir.read("b.out") + dir.read("error.out") +
                           dir.read("synth.out");
    }
    EXPECT_EQ(outputs[0], outputs[1]);
}

// A small complete run whose every byte is fixed: the transcript (elapsed seconds masked) and
// the three files. Regenerate the files in tests/golden only on purpose.
TEST(Run, GoldenSmallRun) {
    const std::filesystem::path golden =
        std::filesystem::path(WAVETRAK_SOURCE_DIR) / "tests" / "golden";
    auto golden_file = [&](const std::string& name) {
        std::ifstream in(golden / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    TempDir dir;
    for (const char* input : {"wavetrak.in", "b.in", "a.in"}) dir.write(input, golden_file(input));
    auto result = run_program(dir);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(mask_elapsed(result.out), golden_file("transcript.txt"));
    for (const char* output : {"b.out", "error.out", "synth.out"}) {
        EXPECT_EQ(dir.read(output), golden_file(output)) << output;
    }
}

}  // namespace
}  // namespace wavetrak

namespace wavetrak {
namespace {

// Failures that a run must not report as success: a write that fails (an output linked to
// /dev/full) and a read that fails before the end of its file (a directory in place of "b.in").
TEST(Run, FailedReadsAndWritesEndTheRunWithStatusOne) {
    struct IoFailure {
        std::string name;
        std::string full_output;  // linked to /dev/full
        bool time_history_is_directory;
        std::string message;
    };
    const IoFailure cases[] = {
        {"component file on a full disk", "b.out", false,
         "b_wavetrak: error writing b.out: No space left on device\n"},
        {"error file on a full disk", "error.out", false,
         "b_wavetrak: error writing error.out: No space left on device\n"},
        {"synthesis file on a full disk", "synth.out", false,
         "b_wavetrak: error writing synth.out: No space left on device\n"},
        {"time history is a directory", "", true,
         "b_wavetrak: error reading b.in: Is a directory\n"},
    };
    for (const IoFailure& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        dir.write("wavetrak.in", "30\n1\n12 2\n");
        dir.write("a.in", signal_text(300, 400));
        if (c.time_history_is_directory) {
            std::filesystem::create_directory(dir.path() / "b.in");
        } else {
            dir.write("b.in", signal_text(300, 400));
        }
        if (!c.full_output.empty())
            std::filesystem::create_symlink("/dev/full", dir.path() / c.full_output);
        auto result = testing::run_program(dir);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(result.out.find("Output Files"), std::string::npos);
    }
}

TEST(Run, ACleanRunPrintsNothingOnStandardError) {
    testing::TempDir dir;
    dir.write("wavetrak.in", "30\n2\n12 2\n31 3\n");
    dir.write("b.in", signal_text(300, 400));
    dir.write("a.in", signal_text(30, 100));
    auto result = testing::run_program(dir);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
}

TEST(Run, StoppedReadsAreDiagnosedOnStandardErrorOnly) {
    testing::TempDir dir;
    dir.write("wavetrak.in", "30\n1\n12 2\n");
    dir.write("b.in", "0 1\n0.01 2\n0.02 3,5\n0.03 4\n");
    dir.write("a.in", "t v\n");
    auto result = testing::run_program(dir);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(
        result.err,
        "b_wavetrak: b.in: line 3, column 7: reading stopped at \",5\", which is not a number; "
        "3 points kept\n"
        "b_wavetrak: a.in: line 1, column 1: reading stopped at \"t v\", which is not a number; "
        "0 points kept\n");
    EXPECT_EQ(result.out.find("b_wavetrak:"), std::string::npos);
}

}  // namespace
}  // namespace wavetrak

namespace wavetrak {
namespace {

TEST(Run, ATranscriptThatCannotBeWrittenFailsTheRun) {
    testing::TempDir dir;
    dir.write("wavetrak.in", "30\n1\n12 2\n");
    dir.write("b.in", signal_text(100, 400));
    dir.write("a.in", signal_text(10, 400));
    std::string command =
        "cd '" + dir.path().string() + "' && '" WAVETRAK_BINARY "' > /dev/full 2> err.txt";
    int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_NE(dir.read("err.txt").find("error writing the transcript"), std::string::npos);
}

// Hostile bytes: a line of megabytes, a number of 100,000 digits, bytes above 127, NUL and 26.
TEST(Run, HostileInputIsReadSafely) {
    struct HostileCase {
        std::string name;
        std::string time_history;
        std::string points_line;
        std::string diagnostic;
    };
    std::string long_number = "1" + std::string(100000, '0');
    const HostileCase cases[] = {
        {"a line of megabytes", "0 1\n1 2\n" + std::string(3 << 20, 'x') + "\n", "points = 2",
         "line 3, column 1: reading stopped at \"xxxxxxxxxxxxxxxxxxxxxxxx...\""},
        {"a number of 100,000 digits", "0 " + long_number + "\n1 2\n", "points = 2", ""},
        {"bytes above 127", "0 1\n1 2\xc3\xa9\n", "points = 2",
         "reading stopped at \"\\xC3\\xA9\""},
        {"NUL", std::string("0 1\n1 2\n\0\n", 9), "points = 2", "reading stopped at \"\\x00\""},
        {"byte 26", "0 1\n1 2\n\x1a", "points = 2", "reading stopped at \"\\x1A\""},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        dir.write("wavetrak.in", "10\n1\n12 2\n");
        dir.write("b.in", c.time_history);
        dir.write("a.in", "0 1\n");
        auto result = testing::run_program(dir);
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find(c.points_line), std::string::npos);
        if (c.diagnostic.empty()) {
            EXPECT_EQ(result.err, "");
        } else {
            EXPECT_NE(result.err.find(c.diagnostic), std::string::npos) << result.err;
        }
    }
}

}  // namespace
}  // namespace wavetrak

namespace wavetrak {
namespace {

// More than 1000 cases: every case is fitted and recorded, the synthesis reads back only the
// first 1000 components and says so on standard error.
TEST(Run, SynthesisReadsBackAtMostOneThousandComponents) {
    testing::TempDir dir;
    std::string parameters = "0\n1005\n";
    for (int k = 0; k < 1005; ++k) parameters += "12 2\n";
    dir.write("wavetrak.in", parameters);
    dir.write("b.in", "0 1\n1 2\n");
    dir.write("a.in", "0 1\n");
    auto result = testing::run_program(dir);
    EXPECT_EQ(result.status, 0);
    std::string components = dir.read("b.out");
    EXPECT_EQ(std::count(components.begin(), components.end(), '\n'), 1005);
    std::string out = result.out;
    std::size_t echoed = 0;
    for (std::size_t at = out.find("\n amp="); at != std::string::npos;
         at = out.find("\n amp=", at + 1))
        ++echoed;
    EXPECT_EQ(echoed, 1000u);
    EXPECT_EQ(result.err,
              "b_wavetrak: b.out: only the first 1000 components are read; the rest is ignored\n");
}

}  // namespace
}  // namespace wavetrak
