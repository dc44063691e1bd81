#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace wavetrak::testing {

std::FILE* input_file(std::string_view content) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) throw std::runtime_error("tmpfile failed");
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    return file;
}

std::string contents(std::FILE* file) {
    std::fflush(file);
    long end = std::ftell(file);
    std::string text(static_cast<std::size_t>(end), '\0');
    std::rewind(file);
    std::size_t got = std::fread(text.data(), 1, text.size(), file);
    text.resize(got);
    std::fseek(file, 0, SEEK_END);
    return text;
}

TestState::TestState() : state(std::make_unique<RunState>()) {
    init_constants(*state);
    state->transcript = std::tmpfile();
    state->diagnostics = std::tmpfile();
}

TestState::~TestState() {
    for (FileSlot& slot : state->slots) {
        if (slot.file != nullptr) std::fclose(slot.file);
    }
    std::fclose(state->transcript);
    std::fclose(state->diagnostics);
}

std::string TestState::transcript() { return contents(state->transcript); }
std::string TestState::diagnostics() { return contents(state->diagnostics); }

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wavetrak-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, std::string_view content) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempDir::exists(const std::string& name) const {
    return std::filesystem::exists(std::filesystem::symlink_status(path_ / name));
}

ProgramResult run_program(const TempDir& dir) {
    std::string command = "cd '" + dir.path().string() +
                          "' && '" WAVETRAK_BINARY "' > .transcript 2> .diagnostics < /dev/null";
    int raw = std::system(command.c_str());
    ProgramResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = dir.read(".transcript");
    result.err = dir.read(".diagnostics");
    std::filesystem::remove(dir.path() / ".transcript");
    std::filesystem::remove(dir.path() / ".diagnostics");
    return result;
}

std::string mask_elapsed(std::string transcript) {
    const std::string label = "elapsed time = ";
    std::string masked;
    std::size_t copied = 0;
    for (std::size_t at = transcript.find(label); at != std::string::npos;
         at = transcript.find(label, at + 1)) {
        std::size_t value = transcript.find_first_not_of(' ', at + label.size());
        std::size_t end = value == std::string::npos ? value : transcript.find(' ', value);
        if (end == std::string::npos) break;
        masked.append(transcript, copied, at + label.size() - copied);
        masked.push_back('#');
        copied = end;
    }
    masked.append(transcript, copied, std::string::npos);
    return masked;
}

}  // namespace wavetrak::testing
