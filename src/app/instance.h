#pragma once
// One instance per desktop: a named, manual-reset event that the running
// instance keeps signalled.

#include "platform/handles.h"

namespace app {

inline constexpr const char* kInstanceEventName = "QuorvelEvent20070409";

bool IsAnotherInstanceRunning(platform::Os& os);
// Creates (or opens) the event and signals it. The returned handle keeps
// the event alive for as long as this instance runs; it is empty when the
// event could not be had, and the program then runs unmarked.
platform::UniqueHandle MarkInstanceRunning(platform::Os& os);
void ClearInstanceMark(platform::Os& os);

}  // namespace app
