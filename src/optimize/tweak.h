#pragma once
// The physical-memory tweak: the program takes a great deal of memory for a
// moment, writing every page so the system must hand it real memory by
// pushing other processes' pages out, then gives it all back at once.

#include <cstddef>
#include <cstdint>

#include "platform/os.h"

namespace optimize {

// What a tweak tells whoever shows its progress, in the order it happens.
// Every step does nothing here, so a tweak that nobody watches passes this.
class TweakProgress {
 public:
  virtual ~TweakProgress() = default;
  // A run of `maximum` steps begins at 0 and comes into view.
  virtual void Begin(std::int64_t maximum) { (void)maximum; }
  // Fewer steps than announced will come: the run ends at `maximum`.
  virtual void Shorten(std::int64_t maximum) { (void)maximum; }
  // The count goes back to 0 for the run's second half.
  virtual void Restart() {}
  virtual void Step() {}
  // The run is over and leaves view.
  virtual void End() {}
  // The system refused the commit charge: kLowMemoryMessage, shown while
  // the call waits. The tweak goes on from where it was.
  virtual void CommitRefused() {}
};

// What a tweak did.
struct TweakResult {
  // Passes over memory that ran to their end.
  int passes = 0;
  // Commits the system refused for want of commit charge, each told to the
  // progress as it happened.
  int refusals = 0;
};

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
// can hold. Levels below 1 do nothing. `progress` sees every step and each
// refused commit.
TweakResult TweakMemory(platform::Os& os, int level, TweakProgress& progress);

// Commits `count` (at most 1024) non-cached one-megabyte blocks, zeroing
// each at once, then releases them all.
TweakResult TweakMemoryBlocks(platform::Os& os, int count, TweakProgress& progress);

// Commits `size` bytes, in one block where the address space has room for
// it and otherwise in smaller ones; sweeps all of it with zeros, then writes
// it page by page with 0xFF, and releases it. The progress counts the
// pages. When the address space runs out first, the pass sweeps what it
// holds; when the commit charge refuses, it gives the memory back, tells
// the progress, and sweeps nothing.
TweakResult TweakMemoryWhole(platform::Os& os, std::uint64_t size, TweakProgress& progress);

}  // namespace optimize
