#include "synth/record_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace wavetrak {
namespace {

std::string printf_record(double time, double value) {
    char text[128];
    std::snprintf(text, sizeof text, "\n %14.7e \t %14.7e", time, value);
    return text;
}

std::string fast_record(double time, double value) {
    char text[max_record_length];
    return std::string(text, format_record(text, time, value));
}

TEST(FormatRecord, MatchesPrintfOnSpecialValues) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double values[] = {0.0,
                             -0.0,
                             inf,
                             -inf,
                             std::nan(""),
                             -std::nan(""),
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             1e100,
                             -1e-100,
                             0.5,
                             9.99999995e-5,
                             9.999999949999999e-5,
                             123456785.0,
                             1.00000005,
                             2.5e-8};
    for (double a : values) {
        for (double b : values) EXPECT_EQ(fast_record(a, b), printf_record(a, b)) << a << " " << b;
    }
}

TEST(FormatRecord, MatchesPrintfOnRandomDoubles) {
    std::mt19937_64 engine(7);
    for (int i = 0; i < 200000; ++i) {
        double a = 0;
        std::uint64_t bits = engine();
        std::memcpy(&a, &bits, sizeof a);
        double b =
            std::ldexp(static_cast<double>(engine() >> 11), static_cast<int>(engine() % 80) - 93);
        ASSERT_EQ(fast_record(a, b), printf_record(a, b)) << i;
    }
}

}  // namespace
}  // namespace wavetrak
