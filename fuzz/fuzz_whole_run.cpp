// Fuzzes a whole run on arbitrary contents of the three input files, in a scratch directory.
// Input: two bytes giving the length of the parameter file's part, two for the time history,
// then the parts; the rest is the reference file. The trial count is kept small (taken from the
// first byte) so each run is quick; the fuzzed parameter text follows it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>

#include "fit/worker_pool.h"
#include "run/run_sequence.h"
#include "run/run_state.h"

namespace {

std::FILE* sink = nullptr;
wavetrak::WorkerPool* pool = nullptr;
// A fresh state is megabytes of zeros; copying a pristine one over the working one is much
// cheaper than allocating and clearing a new one for every input.
static_assert(std::is_trivially_copyable_v<wavetrak::RunState>);
wavetrak::RunState* pristine = nullptr;
wavetrak::RunState* state = nullptr;

void write_file(const char* name, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(name, "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/wavetrak-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) std::abort();
    sink = std::fopen("/dev/null", "w");
    pool = new wavetrak::WorkerPool(2);
    pristine = new wavetrak::RunState();
    wavetrak::init_constants(*pristine);
    pristine->transcript = sink;
    pristine->diagnostics = sink;
    state = new wavetrak::RunState(*pristine);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    std::size_t parameter_size = (data[1] | (data[2] << 8)) % (size - 4);
    std::size_t rest = size - 5 - parameter_size;
    std::size_t history_size = rest == 0 ? 0 : (data[3] | (data[4] << 8)) % (rest + 1);
    const std::uint8_t* parameters = data + 5;
    const std::uint8_t* history = parameters + parameter_size;
    const std::uint8_t* reference = history + history_size;
    std::size_t reference_size = size - 5 - parameter_size - history_size;

    std::string parameter_text = std::to_string(data[0] % 24) + " ";
    parameter_text.append(reinterpret_cast<const char*>(parameters), parameter_size);
    write_file("wavetrak.in", reinterpret_cast<const std::uint8_t*>(parameter_text.data()),
               parameter_text.size());
    write_file("b.in", history, history_size);
    write_file("a.in", reference, reference_size);

    std::memcpy(static_cast<void*>(state), pristine, sizeof *state);
    int status = wavetrak::run_wavetrak(*state, *pool);
    if (status != 0) std::abort();  // every file exists and can be written: the run must complete
    return 0;
}
