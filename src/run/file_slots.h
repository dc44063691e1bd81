#pragma once

#include "run/run_state.h"

namespace wavetrak {

void set_slot_name(RunState& state, int slot, const char* name);

// Opens slots 0 to count - 1 in order: slots 0 and 1 for reading as stored ("rb"), slots 2 and
// 3 for writing as text ("w"). With `announce`, each open is reported on the transcript. On the
// first failure the failure message is printed and false returned; later slots stay unopened,
// so an output file behind the failing slot is neither created nor emptied.
bool open_slots(RunState& state, int count, bool announce);

// Closes a slot. Returns false when the file reports an earlier read or write error, or the
// close itself fails (a full disk shows up here for buffered output).
bool close_slot(RunState& state, int slot);

// Closes an output slot; when the file reports a failed write, flush or close, a line naming it
// goes to the diagnostics and false is returned.
bool close_output_slot(RunState& state, int slot);

// Closes every slot that is still open, without checking: used when a run is ending anyway.
void close_all_slots(RunState& state);

}  // namespace wavetrak
