#pragma once

#include <cstdio>
#include <span>

#include "run/run_state.h"

namespace wavetrak {

// The component file: a leading integer field, then one record per case with amp, omega
// (rad/s) and phase (rad) to 7 significant digits. Every record starts with its line break.
void write_component_header(std::FILE* file);
void write_component(std::FILE* file, const Component& component);

// Reads the leading field and then up to max_components records into table[1..], clearing
// each slot before its read, so a record cut short has 0.0 in the fields it lacks. Returns the
// number of components read.
int read_components(std::FILE* file, std::span<Component, max_components + 1> table);

}  // namespace wavetrak
