#pragma once

#include <cstdio>

namespace wavetrak {

// Lines on the diagnostics channel (standard error) about input that the reader stopped on or
// left out. The transcript never sees them, and a clean input produces none.

// After a read loop over records has stopped: says nothing when only white space is left;
// otherwise names the file, the line and column of the text that stopped it, shows that text
// and how many records were kept.
void report_read_stop(std::FILE* diagnostics, std::FILE* file, const char* file_name,
                      long records_kept, const char* record_word);

// After a read loop has stopped at its capacity: one line if the file still holds numbers.
void report_capacity(std::FILE* diagnostics, std::FILE* file, const char* file_name, long capacity,
                     const char* record_word);

// A read error that is not the end of the file (for example a directory given as a file).
// Returns true, and prints a line naming the file, when the file reports one.
bool report_read_error(std::FILE* diagnostics, std::FILE* file, const char* file_name);

}  // namespace wavetrak
