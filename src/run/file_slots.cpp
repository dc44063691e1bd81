#include "run/file_slots.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace wavetrak {

void set_slot_name(RunState& state, int slot, const char* name) {
    std::snprintf(state.slots[slot].name, sizeof state.slots[slot].name, "%s", name);
}

bool open_slots(RunState& state, int count, bool announce) {
    for (int slot = 0; slot < count; ++slot) {
        FileSlot& file_slot = state.slots[slot];
        file_slot.file = std::fopen(file_slot.name, slot < 2 ? "rb" : "w");
        if (file_slot.file == nullptr) {
            std::fprintf(state.transcript, "\n Failed to open file: %s \n", file_slot.name);
            return false;
        }
        if (announce) std::fprintf(state.transcript, " File: %s opened. \n", file_slot.name);
    }
    return true;
}

bool close_slot(RunState& state, int slot) {
    std::FILE*& file = state.slots[slot].file;
    if (file == nullptr) return true;
    bool had_error = std::ferror(file) != 0;
    bool closed = std::fclose(file) == 0;
    file = nullptr;
    return closed && !had_error;
}

bool close_output_slot(RunState& state, int slot) {
    errno = 0;
    if (close_slot(state, slot)) return true;
    const char* reason = errno != 0 ? std::strerror(errno) : "write failed";
    if (state.diagnostics != nullptr) {
        std::fprintf(state.diagnostics, "b_wavetrak: error writing %s: %s\n",
                     state.slots[slot].name, reason);
    }
    return false;
}

void close_all_slots(RunState& state) {
    for (FileSlot& slot : state.slots) {
        if (slot.file != nullptr) std::fclose(slot.file);
        slot.file = nullptr;
    }
}

}  // namespace wavetrak
