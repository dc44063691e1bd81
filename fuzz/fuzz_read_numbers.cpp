// Fuzzes the numeric reader: the first byte picks the pattern of calls (integer, two reals or
// three reals), the rest is the file. Checks the result range and that a failed number leaves
// its target as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "run/numeric_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    unsigned pattern = data[0];
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data + 1), size - 1, "rb");
    if (file == nullptr) return 0;  // an empty buffer on some C libraries
    for (int call = 0, failures = 0; call < 100000 && failures < 3; ++call) {
        unsigned kind = (pattern >> (2 * (call % 4))) & 3u;
        int result = 0;
        if (kind == 0) {
            std::int32_t value = -7;
            result = wavetrak::read_numbers(file, value);
            if (result != 1 && value != -7) std::abort();
            if (result < wavetrak::end_of_input || result > 1) std::abort();
        } else {
            int count = kind == 1 ? 2 : 3;
            const double sentinel = -7.5;
            double values[3] = {sentinel, sentinel, sentinel};
            double* const targets[] = {&values[0], &values[1], &values[2]};
            result = wavetrak::read_numbers(file, std::span<double* const>(targets, count));
            if (result < wavetrak::end_of_input || result > count) std::abort();
            for (int i = result < 0 ? 0 : result; i < count; ++i) {
                if (std::memcmp(&values[i], &sentinel, sizeof sentinel) != 0) std::abort();
            }
        }
        if (result <= 0) ++failures;
        if (result == wavetrak::end_of_input) break;
    }
    std::fclose(file);
    return 0;
}
