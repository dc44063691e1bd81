#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "run/run_state.h"

namespace wavetrak::testing {

// A scratch file holding `content`, positioned at its start; closed by the caller.
std::FILE* input_file(std::string_view content);

// Everything written to `file` so far.
std::string contents(std::FILE* file);

// Zeroed state with pi set, writing its transcript and diagnostics to scratch files.
struct TestState {
    TestState();
    ~TestState();
    std::string transcript();
    std::string diagnostics();
    std::unique_ptr<RunState> state;
};

// A fresh directory removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, std::string_view content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Runs the built program in `dir` with no arguments and no standard input.
struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
};
ProgramResult run_program(const TempDir& dir);

// The transcript with every elapsed-time figure replaced by "#", for comparing runs.
std::string mask_elapsed(std::string transcript);

}  // namespace wavetrak::testing
