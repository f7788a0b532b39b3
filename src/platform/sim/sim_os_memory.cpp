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
    memory.ullAvailPhys = std::min(memory.ullTotalPhys, memory.ullAvailPhys + freed);
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
  // Only fresh commits and reservations at an address of the system's
  // choosing are modelled.
  constexpr std::uint32_t kKnownProtections = kPageReadWrite | kPageNoCache;
  const bool commit = allocationType == kMemCommit;
  const bool reserve = allocationType == kMemReserve;
  const bool knownProtection = commit ? (protect & ~kKnownProtections) == 0 && (protect & kPageReadWrite) != 0
                                      : protect == kPageNoAccess || protect == kPageReadWrite;
  if (address != nullptr || (!commit && !reserve) || size == 0 || !knownProtection) {
    lastError_ = kErrorInvalidParameter;
    return nullptr;
  }
  // The address range comes first, the commit charge second, as the
  // system takes them.
  if (size > largestAddressRegion || HeldBytes() + size > memory.ullAvailVirtual) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  if (commit) {
    ++commitsMade_;
    if ((refuseCommitAt_ != 0 && commitsMade_ == refuseCommitAt_) ||
        committedBytes_ + size > commitLimit) {
      lastError_ = kErrorCommitmentLimit;
      return nullptr;
    }
  }
  // Fresh anonymous pages, as the system commits them: page-aligned, zero,
  // given real memory only when first touched, and gone again at release.
  void* block = mmap(nullptr, size, commit ? PROT_READ | PROT_WRITE : PROT_NONE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (block == MAP_FAILED) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  if (commit) {
    blocks_[block] = size;
    committedBytes_ += size;
  } else {
    reservations_[block] = size;
  }
  peakHeldBytes_ = std::max(peakHeldBytes_, HeldBytes());
  return block;
}

bool SimOs::VirtualFree(void* address, std::size_t size, std::uint32_t freeType) {
  Log("VirtualFree");
  if (Failing("VirtualFree")) return false;
  // A release names the base of a region and no size.
  if (size != 0 || freeType != kMemRelease) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  if (auto it = blocks_.find(address); it != blocks_.end()) {
    committedBytes_ -= it->second;
    munmap(it->first, it->second);
    blocks_.erase(it);
    return true;
  }
  if (auto it = reservations_.find(address); it != reservations_.end()) {
    munmap(it->first, it->second);
    reservations_.erase(it);
    return true;
  }
  lastError_ = kErrorInvalidParameter;
  return false;
}

std::uint64_t SimOs::HeldBytes() const {
  std::uint64_t held = committedBytes_;
  for (const auto& [address, size] : reservations_) held += size;
  return held;
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
