#include "optimize/tweak.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "monitor/memory_status.h"

namespace optimize {

bool TweakBusy = false;

namespace {

// The writes are the whole point of the tweak: keep the compiler from
// treating them as dead stores to memory that is released right after.
inline void KeepWrites(void* memory) { asm volatile("" : : "r"(memory) : "memory"); }

// The level-1 block table. Whatever it still holds when it goes is
// released, so a path that throws gives the memory back too.
class BlockTable {
 public:
  BlockTable(platform::Os& os, int size) : os_(os), blocks_(static_cast<std::size_t>(size), nullptr) {}
  ~BlockTable() {
    for (void*& block : blocks_) Release(block);
  }
  BlockTable(const BlockTable&) = delete;
  BlockTable& operator=(const BlockTable&) = delete;
  void*& operator[](int i) { return blocks_[static_cast<std::size_t>(i)]; }
  void Release(void*& block) {
    if (block != nullptr) os_.VirtualFree(block, 0, platform::kMemRelease);
    block = nullptr;
  }

 private:
  platform::Os& os_;
  std::vector<void*> blocks_;
};

class BusyMark {
 public:
  BusyMark() { TweakBusy = true; }
  ~BusyMark() { TweakBusy = false; }
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;
};

}  // namespace

std::uint64_t TweakPassBytes(std::uint64_t totalPhys, std::uint64_t availVirtual) {
  const std::uint64_t room = availVirtual > kAddressSpaceReserve ? availVirtual - kAddressSpaceReserve : 0;
  return std::min(totalPhys, room);
}

TweakResult TweakMemory(platform::Os& os, int level, TweakProgress& progress) {
  const monitor::MemoryStatus m = monitor::TakeMemoryStatus(os);
  const std::uint64_t total = m.ullTotalPhys;
  TweakResult result;
  if (level == 1) {
    // Past 1023 megabytes the count is cut to 1024 anyway.
    const std::uint64_t count = std::min<std::uint64_t>(total / kTweakBlockSize + 1, kMaxTweakBlocks);
    result = TweakMemoryBlocks(os, static_cast<int>(count), progress);
  } else if (level >= 2) {
    // Every pass gives back all it held, so each finds the same room.
    const std::uint64_t bytes = TweakPassBytes(total, m.ullAvailVirtual);
    for (int pass = 0; pass < level; ++pass) {
      const TweakResult one = TweakMemoryWhole(os, bytes, progress);
      result.passes += one.passes;
      result.refusals += one.refusals;
    }
  }
  return result;
}

TweakResult TweakMemoryBlocks(platform::Os& os, int count, TweakProgress& progress) {
  TweakResult result;
  if (TweakBusy) return result;
  BusyMark busy;
  const int n = std::clamp(count, 0, kMaxTweakBlocks);
  BlockTable table(os, n);
  progress.Begin(n);
  for (int i = 0; i < n; ++i) {
    void* block = os.VirtualAlloc(nullptr, kTweakBlockSize, platform::kMemCommit,
                                  platform::kPageReadWrite | platform::kPageNoCache);
    if (block == nullptr) {
      // What is held so far is still given back below.
      ++result.refusals;
      progress.CommitRefused();
      break;
    }
    table[i] = block;
    auto* words = static_cast<std::uint32_t*>(block);
    for (std::size_t w = 0; w < kTweakBlockSize / sizeof(std::uint32_t); ++w) words[w] = 0;
    KeepWrites(block);
    progress.Step();
  }
  progress.Restart();
  for (int i = 0; i < n; ++i) {
    table.Release(table[i]);
    progress.Step();
  }
  progress.End();
  result.passes = 1;
  return result;
}

namespace {

// The blocks of one whole-memory pass. Whatever it still holds when it goes
// is released, so a path that throws gives the memory back too.
class PassBlocks {
 public:
  explicit PassBlocks(platform::Os& os) : os_(os) {}
  ~PassBlocks() { ReleaseAll(); }
  PassBlocks(const PassBlocks&) = delete;
  PassBlocks& operator=(const PassBlocks&) = delete;

  struct Block {
    std::uint8_t* address;
    std::uint64_t size;
  };
  void Add(void* address, std::uint64_t size) {
    blocks_.push_back(Block{static_cast<std::uint8_t*>(address), size});
    bytes_ += size;
  }
  void ReleaseAll() {
    for (const Block& b : blocks_) os_.VirtualFree(b.address, 0, platform::kMemRelease);
    blocks_.clear();
    bytes_ = 0;
  }
  const std::vector<Block>& Blocks() const { return blocks_; }
  std::uint64_t Bytes() const { return bytes_; }

 private:
  platform::Os& os_;
  std::vector<Block> blocks_;
  std::uint64_t bytes_ = 0;
};

// A commit can fail for want of address space or of commit charge, and
// only the second is the low-memory case. NT names the commit charge in its
// error; elsewhere, a range the address space can still reserve means the
// refusal was the commit charge's.
bool CommitChargeRefused(platform::Os& os, std::uint64_t size) {
  if (os.GetLastError() == platform::kErrorCommitmentLimit) return true;
  void* range = os.VirtualAlloc(nullptr, static_cast<std::size_t>(size), platform::kMemReserve,
                                platform::kPageNoAccess);
  if (range == nullptr) return false;
  os.VirtualFree(range, 0, platform::kMemRelease);
  return true;
}

enum class Holding { kAll, kAddressSpaceFull, kRefused };

// Commits `size` bytes into `blocks`: in one block first, then, wherever the
// address space has no room for a block, in blocks half as large, kept to
// whole pages so that every page but the last block's tail lies inside one
// block.
Holding HoldPassMemory(platform::Os& os, std::uint64_t size, std::uint64_t page, PassBlocks& blocks) {
  std::uint64_t block = size;
  while (blocks.Bytes() < size) {
    const std::uint64_t want = std::min(block, size - blocks.Bytes());
    if (want > SIZE_MAX) {
      block = SIZE_MAX / page * page;
      continue;
    }
    void* address = os.VirtualAlloc(nullptr, static_cast<std::size_t>(want), platform::kMemCommit,
                                    platform::kPageReadWrite);
    if (address != nullptr) {
      blocks.Add(address, want);
      continue;
    }
    if (CommitChargeRefused(os, want)) return Holding::kRefused;
    if (want <= kSmallestPassBlock) return Holding::kAddressSpaceFull;
    block = std::max(kSmallestPassBlock, want / 2 / page * page);
  }
  return Holding::kAll;
}

}  // namespace

TweakResult TweakMemoryWhole(platform::Os& os, std::uint64_t size, TweakProgress& progress) {
  TweakResult result;
  platform::SystemInfo info;
  os.GetSystemInfo(&info);
  const std::uint64_t page = info.dwPageSize;
  // A system that reports no page size gets the zero sweep only.
  const std::uint64_t pages = page != 0 ? size / page : 0;
  progress.Begin(static_cast<std::int64_t>(pages));
  PassBlocks blocks(os);
  if (HoldPassMemory(os, size, page != 0 ? page : 1, blocks) == Holding::kRefused) {
    // Nothing is swept: the memory goes back before the box comes up.
    blocks.ReleaseAll();
    ++result.refusals;
    progress.CommitRefused();
    progress.End();
    return result;
  }
  for (const PassBlocks::Block& b : blocks.Blocks()) {
    std::memset(b.address, 0x00, static_cast<std::size_t>(b.size));
    KeepWrites(b.address);
  }
  // Where the address space ran out, the progress counts what is held.
  const std::uint64_t heldPages = page != 0 ? blocks.Bytes() / page : 0;
  if (heldPages != pages) progress.Shorten(static_cast<std::int64_t>(heldPages));
  progress.Restart();
  if (page != 0) {
    // Page by page over the blocks in order; a tail past the last whole page
    // gets only the zero sweep.
    for (const PassBlocks::Block& b : blocks.Blocks()) {
      for (std::uint64_t at = 0; at + page <= b.size; at += page) {
        std::memset(b.address + at, 0xFF, static_cast<std::size_t>(page));
        KeepWrites(b.address);
        progress.Step();
      }
    }
  }
  // The release comes before the progress leaves view, as the order of the
  // work has it.
  blocks.ReleaseAll();
  progress.End();
  result.passes = 1;
  return result;
}

}  // namespace optimize
