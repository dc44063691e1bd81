#include "run/read_diagnostics.h"

#include <cerrno>
#include <cstring>

namespace wavetrak {
namespace {

constexpr int shown_bytes = 24;

// Skips white space and tells whether anything but white space is left.
bool text_remains(std::FILE* file) {
    int c = getc_unlocked(file);
    while (c == ' ' || (c >= '\t' && c <= '\r')) c = getc_unlocked(file);
    if (c == EOF) return false;
    ungetc(c, file);
    return true;
}

struct Position {
    long line = 1;
    long column = 1;
};

// Line and column (both from 1, column in bytes) of byte `offset`, found by reading the file
// again from its start. Only called on the rare path where a read stopped early.
Position position_of(std::FILE* file, long offset) {
    Position position;
    std::rewind(file);
    for (long i = 0; i < offset; ++i) {
        int c = getc_unlocked(file);
        if (c == EOF) break;
        if (c == '\n') {
            ++position.line;
            position.column = 1;
        } else {
            ++position.column;
        }
    }
    return position;
}

// The stopping text up to the end of its line, escaped and shortened for one line of output.
void print_excerpt(std::FILE* out, std::FILE* file) {
    std::fputc('"', out);
    for (int shown = 0;; ++shown) {
        int c = getc_unlocked(file);
        if (c == EOF || c == '\n' || c == '\r') break;
        if (shown == shown_bytes) {
            std::fputs("...", out);
            break;
        }
        if (c == '"' || c == '\\') {
            std::fprintf(out, "\\%c", c);
        } else if (c >= 32 && c < 127) {
            std::fputc(c, out);
        } else {
            std::fprintf(out, "\\x%02X", static_cast<unsigned>(c));
        }
    }
    std::fputc('"', out);
}

}  // namespace

void report_read_stop(std::FILE* diagnostics, std::FILE* file, const char* file_name,
                      long records_kept, const char* record_word) {
    if (diagnostics == nullptr || std::ferror(file) || !text_remains(file)) return;
    long offset = std::ftell(file);
    std::fprintf(diagnostics, "b_wavetrak: %s: ", file_name);
    if (offset >= 0) {
        Position position = position_of(file, offset);
        std::fseek(file, offset, SEEK_SET);
        std::fprintf(diagnostics, "line %ld, column %ld: ", position.line, position.column);
    }
    std::fputs("reading stopped at ", diagnostics);
    print_excerpt(diagnostics, file);
    std::fprintf(diagnostics, ", which is not a number; %ld %s kept\n", records_kept, record_word);
}

void report_capacity(std::FILE* diagnostics, std::FILE* file, const char* file_name, long capacity,
                     const char* record_word) {
    if (diagnostics == nullptr || std::ferror(file) || !text_remains(file)) return;
    std::fprintf(diagnostics,
                 "b_wavetrak: %s: only the first %ld %s are read; the rest is ignored\n", file_name,
                 capacity, record_word);
}

bool report_read_error(std::FILE* diagnostics, std::FILE* file, const char* file_name) {
    if (!std::ferror(file)) return false;
    int error = errno;
    if (diagnostics != nullptr) {
        std::fprintf(diagnostics, "b_wavetrak: error reading %s: %s\n", file_name,
                     std::strerror(error));
    }
    return true;
}

}  // namespace wavetrak
