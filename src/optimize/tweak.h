#pragma once
// The physical-memory tweak: the program takes a great deal of memory for a
// moment, writing every page so the system must hand it real memory by
// pushing other processes' pages out, then gives it all back at once.

#include <cstddef>
#include <cstdint>

#include "gui/controls.h"
#include "platform/os.h"

namespace optimize {

inline constexpr const char* kLowMemoryMessage =
    "Unable to tweak RAM, please increase system virtual memory.";

// Level 1 works in blocks of this size and never holds more than
// kMaxTweakBlocks of them.
inline constexpr std::size_t kTweakBlockSize = 1048576;
inline constexpr int kMaxTweakBlocks = 1024;

// True while a level-1 tweak runs. A tweak started again from a modal box
// that the first one shows (a timer, the tray, a hotkey) then does nothing.
extern bool TweakBusy;

// Level 1: one pass over up to 1024 one-megabyte blocks. Levels 2 and up:
// that many passes over one block as large as physical memory. Levels below
// 1 do nothing. The gauge, when given, shows the progress and is hidden at
// the end; a commit the system refuses shows kLowMemoryMessage.
void TweakMemory(platform::Os& os, int level, gui::TGauge* gauge);

// Commits `count` (at most 1024) non-cached one-megabyte blocks, zeroing
// each at once, then releases them all.
void TweakMemoryBlocks(platform::Os& os, int count, gui::TGauge* gauge);

// Commits one block of `size` bytes, sweeps it with zeros, then writes it
// page by page with 0xFF, and releases it.
void TweakMemoryWhole(platform::Os& os, std::uint32_t size, gui::TGauge* gauge);

}  // namespace optimize
