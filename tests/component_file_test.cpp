#include "fit/component_file.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace wavetrak {
namespace {

using testing::contents;
using testing::input_file;

std::array<Component, max_components + 1> table{};

TEST(ComponentFile, WritesTheLeadingFieldAndRecords) {
    std::FILE* file = std::tmpfile();
    write_component_header(file);
    write_component(file, {1.5, 75.39822368615503, 0.25});
    write_component(file, {0.0, 1234567.891, -1e-5});
    EXPECT_EQ(contents(file),
              "0"
              "\n" +
                  std::string(12, ' ') + "1.5" + std::string(7, ' ') + "75.39822" +
                  std::string(11, ' ') +
                  "0.25"
                  "\n" +
                  std::string(14, ' ') + "0" + std::string(8, ' ') + "1234568" +
                  std::string(9, ' ') + "-1e-05");
    std::fclose(file);
}

TEST(ComponentFile, ReadsBackToSevenDigits) {
    std::FILE* file = std::tmpfile();
    write_component_header(file);
    write_component(file, {2.0000001234, 62.83185307179586, 6.1});
    std::rewind(file);
    ASSERT_EQ(read_components(file, table), 1);
    EXPECT_EQ(table[1].amp, 2.0);
    EXPECT_EQ(table[1].omega, 62.83185);
    EXPECT_EQ(table[1].phase, 6.1);
    std::fclose(file);
}

TEST(ComponentFile, ReadsRecordsWhereverTheLinesBreak) {
    struct ReadCase {
        std::string text;
        int count;
        Component last;
    };
    const ReadCase cases[] = {
        {"0", 0, {}},
        {"", 0, {}},
        {"0\n 1 2 3\n 4 5 6", 2, {4, 5, 6}},
        {"0 1 2\n3 4\n5 6", 2, {4, 5, 6}},
        {"0\n 1 2 3\n 4", 2, {4, 0, 0}},  // a short last record counts; its gaps are 0.0
        {"0\n 1 2 3\n 4 5", 2, {4, 5, 0}},
        {"0\r\n 1 2 3\r\n", 1, {1, 2, 3}},
        {"x\n 1 2 3", 0, {}},  // the leading field stops everything when it is text
        {"0\n 1 2 3\n nan 5 6", 1, {1, 2, 3}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.text);
        table.fill(Component{9, 9, 9});
        std::FILE* file = input_file(c.text);
        ASSERT_EQ(read_components(file, table), c.count);
        if (c.count > 0) {
            EXPECT_EQ(table[c.count].amp, c.last.amp);
            EXPECT_EQ(table[c.count].omega, c.last.omega);
            EXPECT_EQ(table[c.count].phase, c.last.phase);
        }
        std::fclose(file);
    }
}

TEST(ComponentFile, ReadsAtMostOneThousandRecords) {
    std::FILE* file = std::tmpfile();
    write_component_header(file);
    for (int q = 1; q <= 1005; ++q) write_component(file, {static_cast<double>(q), 1, 2});
    std::rewind(file);
    EXPECT_EQ(read_components(file, table), max_components);
    EXPECT_EQ(table[max_components].amp, 1000);
    std::fclose(file);
}

}  // namespace
}  // namespace wavetrak
