#pragma once

#include <cstddef>

namespace wavetrak {

// Longest record format_record writes: a line break, a blank, two numbers of at most 15
// characters ("-1.0000000e+308") and the separator " \t ".
inline constexpr std::size_t max_record_length = 2 + 15 + 3 + 15;

// Writes the record "\n %14.7e \t %14.7e" of a time and a value to `out`, byte for byte what
// printf writes, and returns its length. std::to_chars with a precision is defined to give
// printf's digits and rounding, and is several times faster.
std::size_t format_record(char* out, double time, double value);

}  // namespace wavetrak
