#pragma once
// Working-set trimming: asks the system to take every page it can out of a
// process's working set, so those pages count as available memory again.

#include "platform/os.h"
#include "process/process_list.h"

namespace optimize {

// Trims every element of a freshly filled list, in snapshot order. An
// element the program could not open with full access (a zero handle, or
// query rights only) fails quietly, as does one that has ended: nothing is
// filtered beforehand and no result is looked at.
void TrimWorkingSets(platform::Os& os, const process::TProcessList& list);

// The way every optimization trims: a list of its own, filled, trimmed and
// released within the one call.
void TrimAllProcesses(platform::Os& os);

}  // namespace optimize
