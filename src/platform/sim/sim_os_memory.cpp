// SimOs: working sets, committed memory and the clipboard, the calls the
// optimizations make.

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>

#include "platform/sim/sim_os.h"

namespace platform {

bool SimOs::SetProcessWorkingSetSize(Handle process, std::size_t minimum, std::size_t maximum) {
  auto handle = processHandles_.find(process);
  const std::string who = process == kCurrentProcessPseudo ? std::string("self")
                          : handle != processHandles_.end() ? std::to_string(handle->second.pid)
                                                            : "handle " + std::to_string(process);
  Log("SetProcessWorkingSetSize(" + who + ")");
  if (Failing("SetProcessWorkingSetSize")) return false;
  SimProcess* target = nullptr;
  if (process == kCurrentProcessPseudo) {
    ++selfTrims_;
    target = FindProcess(currentProcessId);
  } else {
    if (ProcessOf(process, kProcessSetQuota) == nullptr) return false;
    target = FindProcess(processHandles_.at(process).pid);
  }
  if (minimum != kTrimAll || maximum != kTrimAll || target == nullptr) return true;
  trimmedPids.push_back(target->pid);
  if (target->workingSet > target->minimumWorkingSet) {
    const std::uint64_t freed = target->workingSet - target->minimumWorkingSet;
    target->workingSet = target->minimumWorkingSet;
    memory.dwAvailPhys = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(memory.dwTotalPhys, memory.dwAvailPhys + freed));
  }
  return true;
}

void SimOs::GetSystemInfo(SystemInfo* info) {
  Log("GetSystemInfo");
  *info = systemInfo;
}

void* SimOs::VirtualAlloc(void* address, std::size_t size, std::uint32_t allocationType,
                          std::uint32_t protect) {
  if (Logging()) {
    char text[64];
    std::snprintf(text, sizeof text, "VirtualAlloc(%zu,0x%X,0x%X)", size, allocationType, protect);
    Log(text);
  }
  if (Failing("VirtualAlloc")) return nullptr;
  // Only fresh commits at an address of the system's choosing are modelled.
  constexpr std::uint32_t kKnownProtections = kPageReadWrite | kPageNoCache;
  if (address != nullptr || allocationType != kMemCommit || size == 0 ||
      (protect & ~kKnownProtections) != 0 || (protect & kPageReadWrite) == 0) {
    lastError_ = kErrorInvalidParameter;
    return nullptr;
  }
  ++commitsMade_;
  if ((refuseCommitAt_ != 0 && commitsMade_ == refuseCommitAt_) ||
      committedBytes_ + size > commitLimit) {
    lastError_ = kErrorCommitmentLimit;
    return nullptr;
  }
  // Fresh anonymous pages, as the system commits them: page-aligned, zero,
  // given real memory only when first touched, and gone again at release.
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  blocks_[block] = size;
  committedBytes_ += size;
  return block;
}

bool SimOs::VirtualFree(void* address, std::size_t size, std::uint32_t freeType) {
  Log("VirtualFree");
  if (Failing("VirtualFree")) return false;
  auto it = blocks_.find(address);
  // A release names the base of a region and no size.
  if (it == blocks_.end() || size != 0 || freeType != kMemRelease) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  committedBytes_ -= it->second;
  munmap(it->first, it->second);
  blocks_.erase(it);
  return true;
}

bool SimOs::OpenClipboard(std::uintptr_t /*owner*/) {
  Log("OpenClipboard");
  if (Failing("OpenClipboard")) return false;
  if (clipboardHeldElsewhere) {
    lastError_ = kErrorAccessDenied;
    return false;
  }
  clipboardOpen_ = true;
  return true;
}

bool SimOs::EmptyClipboard() {
  Log("EmptyClipboard");
  if (Failing("EmptyClipboard")) return false;
  if (!clipboardOpen_) {
    lastError_ = kErrorClipboardNotOpen;
    return false;
  }
  clipboardFormats.clear();
  return true;
}

bool SimOs::CloseClipboard() {
  Log("CloseClipboard");
  if (Failing("CloseClipboard")) return false;
  if (!clipboardOpen_) {
    lastError_ = kErrorClipboardNotOpen;
    return false;
  }
  clipboardOpen_ = false;
  return true;
}

}  // namespace platform
