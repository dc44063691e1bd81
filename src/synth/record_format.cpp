#include "synth/record_format.h"

#include <charconv>
#include <cstring>

namespace wavetrak {
namespace {

constexpr int field_width = 14;
constexpr int digits_after_point = 7;

// One number as "%14.7e": exponent form, right-aligned in 14 characters.
char* format_field(char* out, double value) {
    char digits[32];
    auto result = std::to_chars(digits, digits + sizeof digits, value,
                                std::chars_format::scientific, digits_after_point);
    auto length = static_cast<int>(result.ptr - digits);
    for (int pad = field_width - length; pad > 0; --pad) *out++ = ' ';
    std::memcpy(out, digits, static_cast<std::size_t>(length));
    return out + length;
}

}  // namespace

std::size_t format_record(char* out, double time, double value) {
    char* end = out;
    *end++ = '\n';
    *end++ = ' ';
    end = format_field(end, time);
    *end++ = ' ';
    *end++ = '\t';
    *end++ = ' ';
    end = format_field(end, value);
    return static_cast<std::size_t>(end - out);
}

}  // namespace wavetrak
