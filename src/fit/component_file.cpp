#include "fit/component_file.h"

#include <cstdint>

#include "run/numeric_reader.h"

namespace wavetrak {

void write_component_header(std::FILE* file) { std::fprintf(file, "%ld", 0L); }

void write_component(std::FILE* file, const Component& component) {
    std::fprintf(file, "\n %14.7g %14.7g %14.7g", component.amp, component.omega, component.phase);
}

int read_components(std::FILE* file, std::span<Component, max_components + 1> table) {
    std::int32_t leading_field = 0;
    read_numbers(file, leading_field);

    int q = 1;
    while (q <= max_components) {
        Component& component = table[q];
        component = Component{};
        double* const fields[] = {&component.amp, &component.omega, &component.phase};
        int result = read_numbers(file, fields);
        if (result == 0 || result == end_of_input) break;
        ++q;
    }
    return q - 1;
}

}  // namespace wavetrak
