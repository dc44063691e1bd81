#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

namespace wavetrak {

// Result of a read that failed on its first number at the end of the file.
inline constexpr int end_of_input = -1;

// Free-format numeric reader shared by every input file.
//
// Skips white space (bytes 9 to 13 and 32) before each number and takes the longest text that
// fits the number syntax: an optional sign, digits with an optional point ("." only) and at
// least one digit, then - only after a digit - an optional exponent (e or E, optional sign,
// digits). An exponent mark with no digits is consumed and ignored. An integer is a sign and
// digits only; one beyond the 32-bit range saturates. The character after a number is left
// unread, unless it is white space (which the next read would skip). A converted number is
// stored at once; a target whose number fails keeps its value.
//
// Returns the count of numbers converted, or end_of_input when the first number fails at the
// end of the file.
int read_numbers(std::FILE* file, std::int32_t& target);
int read_numbers(std::FILE* file, std::span<double* const> targets);

}  // namespace wavetrak
