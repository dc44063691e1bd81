#include "run/numeric_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace wavetrak {
namespace {

using testing::input_file;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double untouched = 7.25;  // what a target holds before the call
constexpr int int_max = std::numeric_limits<std::int32_t>::max();
constexpr int int_min = std::numeric_limits<std::int32_t>::min();

enum class Kind { integer, real };

struct ReaderCase {
    std::string text;
    Kind kind;
    int count;
    int result;
    std::vector<double> values;  // one per target after the call
    std::string unread;          // what the file still holds after the call
};

std::string rest_of(std::FILE* file) {
    std::string rest;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        rest.push_back(static_cast<char>(c));
    return rest;
}

const std::vector<ReaderCase> reader_cases = {
    // White space: bytes 9 to 13 and blank, carriage returns included. The one character after
    // a number is left unread unless it is white space, which every read skips anyway.
    {" \t1.5\r\n\v\f-2\r\n", Kind::real, 2, 2, {1.5, -2.0}, "\n"},
    {"1 2 3", Kind::real, 3, 3, {1, 2, 3}, ""},
    // Signs and points.
    {"+3 .5", Kind::real, 2, 2, {3, 0.5}, ""},
    {"1. -.25", Kind::real, 2, 2, {1, -0.25}, ""},
    // Exponents, with and without digits.
    {"1e5 1E-2", Kind::real, 2, 2, {1e5, 0.01}, ""},
    {"1.e5 2", Kind::real, 2, 2, {1e5, 2}, ""},
    {"2.5E+3x", Kind::real, 2, 1, {2500, untouched}, "x"},
    {"1e x", Kind::real, 2, 1, {1, untouched}, "x"},
    {"2.5E- 3", Kind::real, 2, 2, {2.5, 3}, ""},
    {".e5", Kind::real, 2, 0, {untouched, untouched}, "e5"},
    // A lone sign or point fails after consuming it; at the end of the file that is end-of-input.
    {"+-5 6", Kind::real, 2, 0, {untouched, untouched}, "-5 6"},
    {"-", Kind::real, 2, end_of_input, {untouched, untouched}, ""},
    {" .", Kind::real, 2, end_of_input, {untouched, untouched}, ""},
    {"+.", Kind::real, 2, end_of_input, {untouched, untouched}, ""},
    {"  \n ", Kind::real, 2, end_of_input, {untouched, untouched}, ""},
    {"", Kind::real, 3, end_of_input, {untouched, untouched, untouched}, ""},
    {"4", Kind::real, 2, 1, {4, untouched}, ""},
    {"4 -", Kind::real, 2, 1, {4, untouched}, ""},
    // Text that is not a number stops the call and stays unread.
    {"abc", Kind::real, 2, 0, {untouched, untouched}, "abc"},
    {"1 abc", Kind::real, 2, 1, {1, untouched}, "abc"},
    {"1,5 2", Kind::real, 2, 1, {1, untouched}, ",5 2"},
    {"0x10", Kind::real, 2, 1, {0, untouched}, "x10"},
    {"1d5", Kind::real, 2, 1, {1, untouched}, "d5"},
    {"inf nan", Kind::real, 2, 0, {untouched, untouched}, "inf nan"},
    {"1\x1a"
     "2",
     Kind::real,
     2,
     1,
     {1, untouched},
     "\x1a"
     "2"},
    {"1\xc2\xa0"
     "2",
     Kind::real,
     2,
     1,
     {1, untouched},
     "\xc2\xa0"
     "2"},
    {std::string("1\0"
                 "2",
                 3),
     Kind::real,
     2,
     1,
     {1, untouched},
     std::string("\0"
                 "2",
                 2)},
    // Out of the double range.
    {"1e999 -1e999", Kind::real, 2, 2, {inf, -inf}, ""},
    {"1e-999 5e-324", Kind::real, 2, 2, {0, 5e-324}, ""},
    // Integers: no point, no exponent; saturation beyond 32 bits, every digit consumed.
    {"300", Kind::integer, 1, 1, {300}, ""},
    {"300.0\n", Kind::integer, 1, 1, {300}, ".0\n"},
    {"3e2", Kind::integer, 1, 1, {3}, "e2"},
    {" -42 ", Kind::integer, 1, 1, {-42}, ""},
    {"+7", Kind::integer, 1, 1, {7}, ""},
    {".5", Kind::integer, 1, 0, {untouched}, ".5"},
    {"+x", Kind::integer, 1, 0, {untouched}, "x"},
    {"-", Kind::integer, 1, end_of_input, {untouched}, ""},
    {"", Kind::integer, 1, end_of_input, {untouched}, ""},
    {"2147483647", Kind::integer, 1, 1, {int_max}, ""},
    {"2147483648", Kind::integer, 1, 1, {int_max}, ""},
    {"99999999999999999999999 5", Kind::integer, 1, 1, {int_max}, "5"},
    {"-2147483648", Kind::integer, 1, 1, {int_min}, ""},
    {"-99999999999999999999999", Kind::integer, 1, 1, {int_min}, ""},
};

TEST(ReadNumbers, FollowsTheNumberSyntax) {
    for (const ReaderCase& c : reader_cases) {
        SCOPED_TRACE("input \"" + c.text + "\"");
        std::FILE* file = input_file(c.text);
        std::vector<double> values(static_cast<std::size_t>(c.count), untouched);
        int result = 0;
        if (c.kind == Kind::integer) {
            std::int32_t target = 123;
            result = read_numbers(file, target);
            values[0] = target == 123 ? untouched : target;
        } else {
            std::vector<double*> targets;
            for (double& v : values) targets.push_back(&v);
            result = read_numbers(file, std::span<double* const>(targets));
        }
        EXPECT_EQ(result, c.result);
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(values[i], c.values[i]) << "target " << i;
        EXPECT_EQ(rest_of(file), c.unread);
        std::fclose(file);
    }
}

TEST(ReadNumbers, NegativeZeroKeepsItsSign) {
    std::FILE* file = input_file("-0 -1e-999");
    double a = 1;
    double b = 1;
    double* const targets[] = {&a, &b};
    EXPECT_EQ(read_numbers(file, targets), 2);
    EXPECT_TRUE(a == 0.0 && std::signbit(a));
    EXPECT_TRUE(b == 0.0 && std::signbit(b));
    std::fclose(file);
}

TEST(ReadNumbers, ASignConsumedByAFailureStaysConsumed) {
    std::FILE* file = input_file("+-5 6");
    double a = 0;
    double b = 0;
    double* const targets[] = {&a, &b};
    EXPECT_EQ(read_numbers(file, targets), 0);
    EXPECT_EQ(read_numbers(file, targets), 2);
    EXPECT_EQ(a, -5);
    EXPECT_EQ(b, 6);
    std::fclose(file);
}

TEST(ReadNumbers, AFailureRepeatsOnEveryLaterCall) {
    std::FILE* file = input_file("1 2 x 3 4");
    double a = 0;
    double b = 0;
    double* const targets[] = {&a, &b};
    EXPECT_EQ(read_numbers(file, targets), 2);
    EXPECT_EQ(read_numbers(file, targets), 0);
    EXPECT_EQ(read_numbers(file, targets), 0);
    std::fclose(file);
}

TEST(ReadNumbers, HandlesVeryLongNumbersExactly) {
    std::string huge = "1" + std::string(100000, '0');
    std::string tiny = "0." + std::string(99999, '0') + "1";
    std::string exact = std::string(100000, '0') + "12.5" + std::string(50000, '0');
    std::string long_exponent = "1e-" + std::string(100000, '0') + "3";
    std::FILE* file = input_file(huge + " " + tiny + " " + exact + " " + long_exponent);
    double values[4] = {};
    double* const targets[] = {&values[0], &values[1], &values[2], &values[3]};
    EXPECT_EQ(read_numbers(file, std::span<double* const>(targets)), 4);
    EXPECT_EQ(values[0], inf);
    EXPECT_EQ(values[1], 0.0);
    EXPECT_EQ(values[2], 12.5);
    EXPECT_EQ(values[3], 1e-3);
    std::fclose(file);
}

}  // namespace
}  // namespace wavetrak

namespace wavetrak {
namespace {

// Every text that fits the syntax converts as the C library's strtod converts it.
TEST(ReadNumbers, ConvertsLikeStrtodOnRandomTexts) {
    std::mt19937 engine(11);
    auto digits = [&](int most) {
        std::string text;
        int count = static_cast<int>(engine() % (most + 1));
        for (int i = 0; i < count; ++i) text += static_cast<char>('0' + engine() % 10);
        return text;
    };
    for (int i = 0; i < 50000; ++i) {
        std::string text;
        if (engine() % 3 == 0) text += engine() % 2 ? '-' : '+';
        std::string whole = digits(25);
        std::string fraction;
        if (engine() % 2) {
            fraction.push_back('.');
            fraction.append(digits(25));
        }
        if (whole.empty() && fraction.size() < 2) whole.push_back('7');
        text.append(whole).append(fraction);
        if (engine() % 2) {
            text.push_back(engine() % 2 ? 'e' : 'E');
            if (engine() % 2) text.push_back('-');
            text.push_back('1');
            text.append(digits(2));
        }
        std::FILE* file = testing::input_file(text);
        double value = 0;
        double* const target[] = {&value};
        ASSERT_EQ(read_numbers(file, target), 1) << text;
        double expected = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text;
        std::fclose(file);
    }
}

}  // namespace
}  // namespace wavetrak
