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

// A whole-memory pass holds as much of physical memory as the address
// space leaves room for, less this much, so that the program can still draw
// and show a box while the pass holds its memory.
inline constexpr std::uint64_t kAddressSpaceReserve = std::uint64_t{64} << 20;
// Where the address space is too fragmented for a block, a pass tries one
// half the size, down to this; a block this small that does not fit ends
// the holding.
inline constexpr std::uint64_t kSmallestPassBlock = std::uint64_t{1} << 20;

// The bytes one whole-memory pass holds: all of physical memory, or what
// the free address space can hold less the reserve when that is less.
std::uint64_t TweakPassBytes(std::uint64_t totalPhys, std::uint64_t availVirtual);

// Level 1: one pass over up to 1024 one-megabyte blocks. Levels 2 and up:
// that many passes over as much of physical memory as the address space
// can hold. Levels below 1 do nothing. The gauge, when given, shows the
// progress and is hidden at the end; a commit the system refuses shows
// kLowMemoryMessage.
void TweakMemory(platform::Os& os, int level, gui::TGauge* gauge);

// Commits `count` (at most 1024) non-cached one-megabyte blocks, zeroing
// each at once, then releases them all.
void TweakMemoryBlocks(platform::Os& os, int count, gui::TGauge* gauge);

// Commits `size` bytes, in one block where the address space has room for
// it and otherwise in smaller ones; sweeps all of it with zeros, then writes
// it page by page with 0xFF, and releases it. The gauge counts the pages.
// When the address space runs out first, the pass sweeps what it holds;
// when the commit charge refuses, it shows kLowMemoryMessage and sweeps
// nothing.
void TweakMemoryWhole(platform::Os& os, std::uint64_t size, gui::TGauge* gauge);

}  // namespace optimize
