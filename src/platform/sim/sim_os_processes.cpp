// SimOs: the process table, tool-help snapshots, the PSAPI counters and
// the NT system information the processor sampler reads.

#include <algorithm>
#include <cstring>

#include "platform/sim/sim_os.h"

namespace platform {

SimProcess* SimOs::FindProcess(std::uint32_t pid) {
  auto it = processIndex_.find(pid);
  return it == processIndex_.end() ? nullptr : &processes_[it->second];
}

void SimOs::ReindexProcesses() {
  processIndex_.clear();
  for (std::size_t i = 0; i < processes_.size(); ++i) processIndex_[processes_[i].pid] = i;
}

void SimOs::AddProcess(const SimProcess& process) {
  if (SimProcess* existing = FindProcess(process.pid)) {
    *existing = process;
  } else {
    processes_.push_back(process);
    processIndex_[process.pid] = processes_.size() - 1;
  }
}

void SimOs::RemoveProcess(std::uint32_t pid) {
  if (FindProcess(pid) == nullptr) return;
  processes_.erase(std::remove_if(processes_.begin(), processes_.end(),
                                  [&](const SimProcess& p) { return p.pid == pid; }),
                   processes_.end());
  ReindexProcesses();
}

void SimOs::AdvanceProcessorTime(std::int64_t elapsed, std::int64_t idle) {
  systemTime += elapsed;
  idleTime += idle;
}

Handle SimOs::OpenProcess(std::uint32_t access, bool /*inherit*/, std::uint32_t pid) {
  if (Logging()) {
    char mask[16];
    std::snprintf(mask, sizeof mask, "0x%X", access);
    Log("OpenProcess(" + std::to_string(pid) + "," + mask + ")");
  }
  if (Failing("OpenProcess")) return kNoHandle;
  const SimProcess* it = FindProcess(pid);
  if (it == nullptr) {
    lastError_ = kErrorInvalidParameter;  // what the system answers for an unknown id
    return kNoHandle;
  }
  constexpr std::uint32_t kQueryAccess = kProcessQueryInformation | kProcessVmRead;
  if (it->refuseAllAccess || (it->refuseFullAccess && (access & ~kQueryAccess) != 0)) {
    lastError_ = kErrorAccessDenied;
    return kNoHandle;
  }
  const Handle h = NewHandle("process", std::to_string(pid));
  processHandles_[h] = ProcessHandle{pid, access};
  lastError_ = kErrorSuccess;
  return h;
}

const SimProcess* SimOs::ProcessOf(Handle h, std::uint32_t access) {
  auto it = processHandles_.find(h);
  if (it == processHandles_.end()) {
    lastError_ = kErrorInvalidHandle;
    return nullptr;
  }
  if ((it->second.access & access) != access) {
    lastError_ = kErrorAccessDenied;
    return nullptr;
  }
  const SimProcess* p = FindProcess(it->second.pid);
  if (p == nullptr) {
    // The handle outlived its process: its memory can no longer be read.
    lastError_ = kErrorPartialCopy;
    return nullptr;
  }
  return p;
}

Handle SimOs::CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t pid) {
  if (Logging()) {
    Log("CreateToolhelp32Snapshot(" + std::to_string(flags) + "," + std::to_string(pid) + ")");
  }
  if (!toolhelpAvailable) return kNoHandle;
  if (Failing("CreateToolhelp32Snapshot")) return kNoHandle;
  Snapshot snapshot;
  if ((flags & kTh32csSnapProcess) != 0) {
    snapshot.processes.reserve(processes_.size());
    for (const SimProcess& p : processes_) {
      snapshot.processes.push_back({p.pid, p.parentPid, p.basePriority, p.exeName});
    }
  }
  const auto ends = [](const SimProcess& p) { return p.endsAfterSnapshot; };
  if (std::any_of(processes_.begin(), processes_.end(), ends)) {
    processes_.erase(std::remove_if(processes_.begin(), processes_.end(), ends), processes_.end());
    ReindexProcesses();
  }
  const Handle h = NewHandle("snapshot", "processes");
  snapshots_[h] = std::move(snapshot);
  return h;
}

bool SimOs::NextProcessEntry(Handle h, ProcessEntry32* entry, bool first) {
  if (!toolhelpAvailable) return false;
  if (Failing(first ? "Process32First" : "Process32Next")) return false;
  auto it = snapshots_.find(h);
  if (it == snapshots_.end()) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  if (entry->dwSize < sizeof(ProcessEntry32)) {
    lastError_ = kErrorBadLength;
    return false;
  }
  Snapshot& snapshot = it->second;
  if (first) snapshot.next = 0;
  if (snapshot.next >= snapshot.processes.size()) {
    lastError_ = kErrorNoMoreFiles;
    return false;
  }
  const SnapshotEntry& p = snapshot.processes[snapshot.next++];
  const std::uint32_t size = entry->dwSize;
  *entry = ProcessEntry32{};
  entry->dwSize = size;
  entry->th32ProcessID = p.pid;
  entry->cntThreads = 1;
  entry->th32ParentProcessID = p.parentPid;
  entry->pcPriClassBase = p.basePriority;
  std::memcpy(entry->szExeFile, p.exeName.data(),
              std::min<std::size_t>(p.exeName.size(), kMaxPath));
  return true;
}

bool SimOs::Process32First(Handle snapshot, ProcessEntry32* entry) {
  Log("Process32First");
  return NextProcessEntry(snapshot, entry, true);
}

bool SimOs::Process32Next(Handle snapshot, ProcessEntry32* entry) {
  Log("Process32Next");
  return NextProcessEntry(snapshot, entry, false);
}

std::uint32_t SimOs::GetModuleFileNameExA(Handle process, Handle module, char* buffer,
                                          std::uint32_t size) {
  Log("GetModuleFileNameExA");
  if (!psapiAvailable) return 0;
  if (Failing("GetModuleFileNameExA")) return 0;
  const SimProcess* p = ProcessOf(process, kProcessQueryInformation | kProcessVmRead);
  if (p == nullptr) return 0;
  if (module != kNoHandle) {
    lastError_ = kErrorInvalidHandle;
    return 0;
  }
  if (buffer == nullptr || size == 0) {
    lastError_ = kErrorInsufficientBuffer;
    return 0;
  }
  // As the older systems do: a path that does not fit is cut to the buffer
  // and left without its terminator.
  const std::uint32_t copied =
      static_cast<std::uint32_t>(std::min<std::size_t>(p->path.size(), size));
  std::memcpy(buffer, p->path.data(), copied);
  if (copied < size) buffer[copied] = '\0';
  lastError_ = kErrorSuccess;
  return copied;
}

bool SimOs::QueryFullProcessImageNameA(Handle process, std::uint32_t /*flags*/, char* buffer,
                                       std::uint32_t* size) {
  Log("QueryFullProcessImageNameA");
  if (!imageNameAvailable) return false;
  if (Failing("QueryFullProcessImageNameA")) return false;
  const SimProcess* p = ProcessOf(process, kProcessQueryInformation);
  if (p == nullptr) return false;
  if (p->imagePath.empty()) {
    lastError_ = 31;  // ERROR_GEN_FAILURE
    return false;
  }
  if (p->imagePath.size() + 1 > *size) {
    lastError_ = kErrorInsufficientBuffer;
    return false;
  }
  std::memcpy(buffer, p->imagePath.c_str(), p->imagePath.size() + 1);
  *size = static_cast<std::uint32_t>(p->imagePath.size());
  return true;
}

bool SimOs::GetProcessMemoryInfo(Handle process, ProcessMemoryCounters* counters,
                                 std::uint32_t size) {
  Log("GetProcessMemoryInfo");
  if (!psapiAvailable) return false;
  if (Failing("GetProcessMemoryInfo")) return false;
  const SimProcess* p = ProcessOf(process, kProcessQueryInformation | kProcessVmRead);
  if (p == nullptr) return false;
  if (size < sizeof(ProcessMemoryCounters)) {
    lastError_ = kErrorInsufficientBuffer;
    return false;
  }
  *counters = ProcessMemoryCounters{};
  counters->cb = sizeof(ProcessMemoryCounters);
  counters->PageFaultCount = p->pageFaults;
  counters->PeakWorkingSetSize = p->peakWorkingSet;
  counters->WorkingSetSize = p->workingSet;
  return true;
}

NtStatus SimOs::NtQuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                         std::uint32_t length, std::uint32_t* returnLength) {
  if (Logging()) Log("NtQuerySystemInformation(" + std::to_string(infoClass) + ")");
  if (Failing("NtQuerySystemInformation")) {
    return lastError_ != 0 ? static_cast<NtStatus>(lastError_) : kStatusUnsuccessful;
  }
  if (failQueryClass && *failQueryClass == infoClass) return kStatusUnsuccessful;
  std::uint32_t needed = 0;
  std::uint32_t offset = 0;
  std::vector<std::uint8_t> field;
  switch (infoClass) {
    case kSystemBasicInformation:
      needed = kSystemBasicInformationSize;
      offset = kSystemBasicProcessorCountOffset;
      field.push_back(processorCount);
      break;
    case kSystemPerformanceInformation:
      needed = kSystemPerformanceInformationSize;
      offset = kSystemPerformanceIdleTimeOffset;
      field.resize(8);
      std::memcpy(field.data(), &idleTime, 8);
      break;
    case kSystemTimeOfDayInformation:
      needed = kSystemTimeOfDayInformationSize;
      offset = kSystemTimeOfDayCurrentTimeOffset;
      field.resize(8);
      std::memcpy(field.data(), &systemTime, 8);
      break;
    default:
      return kStatusInvalidInfoClass;
  }
  if (returnLength != nullptr) *returnLength = needed;
  if (length != needed) return kStatusInfoLengthMismatch;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::memset(bytes, 0, length);
  std::memcpy(bytes + offset, field.data(), field.size());
  return kStatusSuccess;
}

}  // namespace platform
