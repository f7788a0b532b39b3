#include "optimize/tweak.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gui/application.h"
#include "monitor/memory_status.h"

namespace optimize {

bool TweakBusy = false;

namespace {

// The writes are the whole point of the tweak: keep the compiler from
// treating them as dead stores to memory that is released right after.
inline void KeepWrites(void* memory) { asm volatile("" : : "r"(memory) : "memory"); }

void ShowLowMemoryMessage() {
  if (gui::HasApplication()) gui::Application().ShowMessageBox(kLowMemoryMessage);
}

// The gauge steps, each skipped when there is no gauge. The range comes
// before the progress so each value is checked against the bounds in place.
void StartGauge(gui::TGauge* gauge, std::int64_t maximum) {
  if (gauge == nullptr) return;
  gauge->SetMinValue(0);
  gauge->SetMaxValue(maximum);
  gauge->SetProgress(0);
  gauge->Show();
}
void SetGauge(gui::TGauge* gauge, std::int64_t progress) {
  if (gauge != nullptr) gauge->SetProgress(progress);
}
void StepGauge(gui::TGauge* gauge) {
  if (gauge != nullptr) gauge->SetProgress(gauge->Progress() + 1);
}
void HideGauge(gui::TGauge* gauge) {
  if (gauge != nullptr) gauge->Hide();
}

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

void TweakMemory(platform::Os& os, int level, gui::TGauge* gauge) {
  const monitor::MemoryStatus m = monitor::TakeMemoryStatus(os);
  const std::uint32_t total = m.dwTotalPhys;
  if (level == 1) {
    // At most 4096 megabytes plus one: the count always fits.
    TweakMemoryBlocks(os, static_cast<int>(total / kTweakBlockSize + 1), gauge);
  } else if (level >= 2) {
    for (int pass = 0; pass < level; ++pass) TweakMemoryWhole(os, total, gauge);
  }
}

void TweakMemoryBlocks(platform::Os& os, int count, gui::TGauge* gauge) {
  if (TweakBusy) return;
  BusyMark busy;
  const int n = std::clamp(count, 0, kMaxTweakBlocks);
  BlockTable table(os, n);
  StartGauge(gauge, n);
  for (int i = 0; i < n; ++i) {
    void* block = os.VirtualAlloc(nullptr, kTweakBlockSize, platform::kMemCommit,
                                  platform::kPageReadWrite | platform::kPageNoCache);
    if (block == nullptr) {
      // What is held so far is still given back below.
      ShowLowMemoryMessage();
      break;
    }
    table[i] = block;
    auto* words = static_cast<std::uint32_t*>(block);
    for (std::size_t w = 0; w < kTweakBlockSize / sizeof(std::uint32_t); ++w) words[w] = 0;
    KeepWrites(block);
    StepGauge(gauge);
  }
  SetGauge(gauge, 0);
  for (int i = 0; i < n; ++i) {
    table.Release(table[i]);
    StepGauge(gauge);
  }
  HideGauge(gauge);
}

void TweakMemoryWhole(platform::Os& os, std::uint32_t size, gui::TGauge* gauge) {
  platform::SystemInfo info;
  os.GetSystemInfo(&info);
  const std::uint32_t page = info.dwPageSize;
  // A system that reports no page size gets the zero sweep only.
  const std::uint32_t pages = page != 0 ? size / page : 0;
  StartGauge(gauge, pages);
  auto* block = static_cast<std::uint8_t*>(
      os.VirtualAlloc(nullptr, size, platform::kMemCommit, platform::kPageReadWrite));
  if (block == nullptr) {
    ShowLowMemoryMessage();
    HideGauge(gauge);
    return;
  }
  struct Release {
    platform::Os& os;
    void* block;
    ~Release() {
      if (block != nullptr) os.VirtualFree(block, 0, platform::kMemRelease);
    }
  } release{os, block};
  std::memset(block, 0x00, size);
  KeepWrites(block);
  SetGauge(gauge, 0);
  for (std::uint32_t i = 0; i < pages; ++i) {
    std::memset(block + static_cast<std::size_t>(i) * page, 0xFF, page);
    KeepWrites(block);
    StepGauge(gauge);
  }
  // The release comes before the gauge is hidden, as the order of the work
  // has it; the guard above only matters on a path that throws.
  release.block = nullptr;
  os.VirtualFree(block, 0, platform::kMemRelease);
  HideGauge(gauge);
}

}  // namespace optimize
