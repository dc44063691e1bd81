#include "run/numeric_reader.h"

#include <charconv>
#include <cstdlib>
#include <limits>
#include <string>

namespace wavetrak {
namespace {

bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(int c) { return c >= '0' && c <= '9'; }

// The accepted text of one number. Ordinary numbers fit the fixed buffer; a longer one (a
// hundred thousand digits is legal input) moves to a string.
class NumberText {
public:
    void clear() {
        size_ = 0;
        long_text_.clear();
    }

    void push(int c) {
        if (size_ + 1 < sizeof short_text_) {
            short_text_[size_] = static_cast<char>(c);
        } else {
            if (long_text_.empty()) long_text_.assign(short_text_, size_);
            long_text_.push_back(static_cast<char>(c));
        }
        ++size_;
    }

    std::size_t size() const { return size_; }

    const char* c_str() {
        if (long_text_.empty()) {
            short_text_[size_] = '\0';
            return short_text_;
        }
        return long_text_.c_str();
    }

private:
    char short_text_[64] = {};
    std::size_t size_ = 0;
    std::string long_text_;
};

enum class Scan { number, failed, failed_at_end };

int skip_space(std::FILE* file) {
    int c = getc_unlocked(file);
    while (is_space(c)) c = getc_unlocked(file);
    return c;
}

// Puts back the one character looked at past the number, so the next read sees it first.
// White space is the exception: every read skips it first, so taking it now changes nothing
// that a later read or the end of a read loop can see, and it spares the stream's lock that
// ungetc takes (the usual case, after each number of a file).
Scan stop_at(std::FILE* file, int c, Scan outcome) {
    if (c != EOF && !is_space(c)) ungetc(c, file);
    if (outcome == Scan::failed && c == EOF) return Scan::failed_at_end;
    return outcome;
}

int take_sign(std::FILE* file, int c, NumberText& text) {
    if (c != '+' && c != '-') return c;
    text.push(c);
    return getc_unlocked(file);
}

Scan scan_real(std::FILE* file, NumberText& text) {
    int c = take_sign(file, skip_space(file), text);
    bool has_digit = false;
    for (; is_digit(c); c = getc_unlocked(file)) {
        text.push(c);
        has_digit = true;
    }
    if (c == '.') {
        text.push(c);
        for (c = getc_unlocked(file); is_digit(c); c = getc_unlocked(file)) {
            text.push(c);
            has_digit = true;
        }
    }
    if (!has_digit) return stop_at(file, c, Scan::failed);

    if (c == 'e' || c == 'E') {
        c = getc_unlocked(file);
        int sign = 0;
        if (c == '+' || c == '-') {
            sign = c;
            c = getc_unlocked(file);
        }
        // A mark (and sign) with no digits after it is consumed and left out of the value.
        if (is_digit(c)) {
            text.push('e');
            if (sign != 0) text.push(sign);
            for (; is_digit(c); c = getc_unlocked(file)) text.push(c);
        }
    }
    return stop_at(file, c, Scan::number);
}

Scan scan_integer(std::FILE* file, std::int32_t& value) {
    int c = skip_space(file);
    bool negative = c == '-';
    if (c == '+' || c == '-') c = getc_unlocked(file);
    if (!is_digit(c)) return stop_at(file, c, Scan::failed);

    // Accumulate the magnitude, holding it at one past the 32-bit range so every digit is
    // consumed without overflow.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; is_digit(c); c = getc_unlocked(file)) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) magnitude = limit;
    }
    std::int64_t signed_value = negative ? -magnitude : magnitude;
    if (signed_value > std::numeric_limits<std::int32_t>::max()) {
        signed_value = std::numeric_limits<std::int32_t>::max();
    }
    value = static_cast<std::int32_t>(signed_value);
    return stop_at(file, c, Scan::number);
}

// Converts text already checked against the syntax. from_chars rounds correctly and is fast;
// for a value beyond the double range it stores nothing, and strtod then gives the signed
// infinity or the zero.
double convert(NumberText& text) {
    const char* begin = text.c_str();
    const char* end = begin + text.size();
    const char* digits = *begin == '+' ? begin + 1 : begin;
    double value = 0.0;
    auto result = std::from_chars(digits, end, value);
    if (result.ec == std::errc{} && result.ptr == end) return value;
    return std::strtod(begin, nullptr);
}

int failed_result(Scan outcome, int converted) {
    return converted == 0 && outcome == Scan::failed_at_end ? end_of_input : converted;
}

}  // namespace

int read_numbers(std::FILE* file, std::int32_t& target) {
    Scan outcome = scan_integer(file, target);
    return outcome == Scan::number ? 1 : failed_result(outcome, 0);
}

int read_numbers(std::FILE* file, std::span<double* const> targets) {
    NumberText text;
    int converted = 0;
    for (double* target : targets) {
        text.clear();
        Scan outcome = scan_real(file, text);
        if (outcome != Scan::number) return failed_result(outcome, converted);
        *target = convert(text);
        ++converted;
    }
    return converted;
}

}  // namespace wavetrak
