#include "platform/sim/sim_os.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <sys/mman.h>

#include "platform/sim/sim_os_internal.h"

namespace platform {

using sim_internal::Lower;
using sim_internal::RootName;

namespace {

constexpr std::uint32_t kErrorCallNotImplemented = 120;
constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;

}  // namespace

SimOs::SimOs() {
  // A 512 MB NT machine by default; tests change what they need.
  memory.dwMemoryLoad = 40;
  memory.ullTotalPhys = 512u << 20;
  memory.ullAvailPhys = 300u << 20;
  memory.ullTotalPageFile = 1024u << 20;
  memory.ullAvailPageFile = 700u << 20;
  memory.ullTotalVirtual = 2047u << 20;
  memory.ullAvailVirtual = 2000u << 20;
  version.dwOSVersionInfoSize = sizeof(OsVersionInfo);
  version.dwMajorVersion = 5;
  version.dwMinorVersion = 1;
  version.dwBuildNumber = 2600;
  version.dwPlatformId = kVerPlatformWin32NT;
  systemInfo.dwPageSize = 4096;
  systemInfo.lpMinimumApplicationAddress = 0x00010000;
  systemInfo.lpMaximumApplicationAddress = 0x7FFEFFFF;
  systemInfo.dwActiveProcessorMask = 1;
  systemInfo.dwNumberOfProcessors = 1;
  systemInfo.dwProcessorType = 586;
  systemInfo.dwAllocationGranularity = 65536;
}

SimOs::~SimOs() {
  for (const auto& [address, size] : blocks_) munmap(address, size);
  for (const auto& [address, size] : reservations_) munmap(address, size);
}

void SimOs::Log(std::string_view entry) {
  if (!Logging()) return;
  std::string text(entry);
  if (once_ && !onceFired_) lastEntry_ = text;
  if (onCall) onCall(text);
  if (logCalls) calls_.push_back(std::move(text));
}

void SimOs::AddKey(const std::string& path) { keys_[Lower(path)] = KeyPolicy::Open; }
void SimOs::RemoveKey(const std::string& path) {
  keys_.erase(Lower(path));
  values_.erase(Lower(path));
}
bool SimOs::KeyExists(const std::string& path) const { return keys_.count(Lower(path)) != 0; }
void SimOs::DenyKey(const std::string& path) { keys_[Lower(path)] = KeyPolicy::Denied; }
void SimOs::RefuseFullAccess(const std::string& path) {
  keys_[Lower(path)] = KeyPolicy::ReadOnly;
}

void SimOs::SetValue(const std::string& keyPath, const std::string& valueName, std::uint32_t type,
                     std::vector<std::uint8_t> bytes) {
  // Setting a value must not lift a key's denial.
  keys_.emplace(Lower(keyPath), KeyPolicy::Open);
  values_[Lower(keyPath)][Lower(valueName)] = SimRegValue{type, std::move(bytes)};
}

std::optional<SimRegValue> SimOs::GetValue(const std::string& keyPath,
                                           const std::string& valueName) const {
  auto key = values_.find(Lower(keyPath));
  if (key == values_.end()) return std::nullopt;
  auto value = key->second.find(Lower(valueName));
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

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

bool SimOs::EventExists(const std::string& name) const { return events_.count(name) != 0; }

bool SimOs::EventSignalled(const std::string& name) const {
  auto it = events_.find(name);
  return it != events_.end() && it->second.signalled;
}

void SimOs::AddForeignEvent(const std::string& name, bool signalled) {
  Event& e = events_[name];
  e.signalled = signalled;
  ++e.references;  // held by the other process, never released here
}

void SimOs::Fail(const std::string& call, std::uint32_t error) { failing_[call] = error; }
void SimOs::Heal(const std::string& call) { failing_.erase(call); }

void SimOs::EndForeignEvent(const std::string& name) {
  auto e = events_.find(name);
  if (e != events_.end() && --e->second.references <= 0) events_.erase(e);
}

void SimOs::FailOnce(const std::string& call, std::size_t n, std::uint32_t error) {
  once_ = OnceFailure{call, n, error};
  onceFired_ = false;
  onceEntry_.clear();
  counted_.clear();
}

std::size_t SimOs::CallsCounted(const std::string& call) const {
  auto it = counted_.find(call);
  return it == counted_.end() ? 0 : it->second;
}

bool SimOs::Failing(std::string_view call) {
  if (once_) {
    auto counted = counted_.find(call);
    if (counted == counted_.end()) counted = counted_.emplace(std::string(call), 0).first;
    const std::size_t n = ++counted->second;
    if (!onceFired_ && call == once_->call && n == once_->at) {
      onceFired_ = true;
      onceEntry_ = lastEntry_;
      lastError_ = once_->error;
      return true;
    }
  }
  auto it = failing_.find(call);
  if (it == failing_.end()) return false;
  lastError_ = it->second;
  return true;
}

std::size_t SimOs::CountCalls(const std::string& call) const {
  return static_cast<std::size_t>(std::count_if(calls_.begin(), calls_.end(), [&](const std::string& c) {
    return c == call || c.rfind(call + "(", 0) == 0;
  }));
}

std::vector<std::string> SimOs::OpenHandles() const {
  std::vector<std::string> open;
  for (const auto& [h, entry] : handles_) open.push_back(entry.kind + " " + entry.name);
  for (const auto& [k, entry] : openKeys_) open.push_back("key " + entry.path);
  for (const auto& [address, size] : blocks_) open.push_back("block " + std::to_string(size));
  for (const auto& [address, size] : reservations_) {
    open.push_back("reservation " + std::to_string(size));
  }
  for (const SimHotKey& h : hotKeys_) open.push_back("hotkey " + std::to_string(h.id));
  if (clipboardOpen_) open.push_back("clipboard");
  return open;
}

Handle SimOs::NewHandle(const std::string& kind, const std::string& name) {
  Handle h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = HandleEntry{kind, name};
  return h;
}

SimOs::Event* SimOs::EventOf(Handle h) {
  auto it = handles_.find(h);
  if (it == handles_.end() || it->second.kind != "event") return nullptr;
  auto e = events_.find(it->second.name);
  return e == events_.end() ? nullptr : &e->second;
}

void SimOs::Release(Handle h, const HandleEntry& entry) {
  snapshots_.erase(h);
  processHandles_.erase(h);
  if (entry.kind != "event") return;
  auto e = events_.find(entry.name);
  if (e != events_.end() && --e->second.references <= 0) events_.erase(e);
}

void SimOs::GlobalMemoryStatus(MemoryStatus* status) {
  Log("GlobalMemoryStatus");
  const MemoryStatusEx now = CurrentMemory();
  const auto clamp = [this](std::uint64_t v) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, memoryStatusClamp));
  };
  status->dwMemoryLoad = now.dwMemoryLoad;
  status->dwTotalPhys = clamp(now.ullTotalPhys);
  status->dwAvailPhys = clamp(now.ullAvailPhys);
  status->dwTotalPageFile = clamp(now.ullTotalPageFile);
  status->dwAvailPageFile = clamp(now.ullAvailPageFile);
  status->dwTotalVirtual = clamp(now.ullTotalVirtual);
  status->dwAvailVirtual = clamp(now.ullAvailVirtual);
}

bool SimOs::GlobalMemoryStatusEx(MemoryStatusEx* status) {
  Log("GlobalMemoryStatusEx");
  if (!memoryStatusExAvailable) return false;
  if (Failing("GlobalMemoryStatusEx")) return false;
  if (status->dwLength != sizeof(MemoryStatusEx)) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  *status = CurrentMemory();
  status->dwLength = sizeof(MemoryStatusEx);
  return true;
}

MemoryStatusEx SimOs::CurrentMemory() const {
  MemoryStatusEx now = memory;
  const std::uint64_t held = HeldBytes();
  now.ullAvailVirtual = now.ullAvailVirtual > held ? now.ullAvailVirtual - held : 0;
  return now;
}

bool SimOs::GetVersionExA(OsVersionInfo* info) {
  Log("GetVersionExA");
  if (Failing("GetVersionExA")) return false;
  if (info->dwOSVersionInfoSize != sizeof(OsVersionInfo)) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  *info = version;
  info->dwOSVersionInfoSize = sizeof(OsVersionInfo);
  return true;
}

Handle SimOs::GetCurrentProcess() { return kCurrentProcessPseudo; }

bool SimOs::CloseHandle(Handle h) {
  Log("CloseHandle");
  if (Failing("CloseHandle")) return false;
  auto it = handles_.find(h);
  if (it == handles_.end()) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  HandleEntry entry = std::move(it->second);
  handles_.erase(it);
  Release(h, entry);
  return true;
}

Handle SimOs::CreateEventA(bool /*manualReset*/, bool initialState, const std::string& name) {
  Log("CreateEventA(" + name + ")");
  if (Failing("CreateEventA")) return kNoHandle;
  auto existing = events_.find(name);
  if (existing != events_.end()) {
    ++existing->second.references;
    lastError_ = kErrorAlreadyExists;
    return NewHandle("event", name);
  }
  Event& e = events_[name];
  e.signalled = initialState;
  e.references = 1;
  lastError_ = kErrorSuccess;
  return NewHandle("event", name);
}

Handle SimOs::OpenEventA(std::uint32_t access, bool /*inherit*/, const std::string& name) {
  Log("OpenEventA(" + name + ")");
  if (Failing("OpenEventA")) return kNoHandle;
  auto e = events_.find(name);
  if (e == events_.end()) {
    lastError_ = kErrorFileNotFound;
    return kNoHandle;
  }
  if (access != kEventAllAccess && (access & ~kEventAllAccess) != 0) {
    lastError_ = kErrorAccessDenied;
    return kNoHandle;
  }
  ++e->second.references;
  lastError_ = kErrorSuccess;
  return NewHandle("event", name);
}

bool SimOs::SetEvent(Handle h) {
  Log("SetEvent");
  if (Failing("SetEvent")) return false;
  Event* e = EventOf(h);
  if (e == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  e->signalled = true;
  return true;
}

bool SimOs::ResetEvent(Handle h) {
  Log("ResetEvent");
  if (Failing("ResetEvent")) return false;
  Event* e = EventOf(h);
  if (e == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  e->signalled = false;
  return true;
}

std::uint32_t SimOs::WaitForSingleObject(Handle h, std::uint32_t /*milliseconds*/) {
  Log("WaitForSingleObject");
  if (Failing("WaitForSingleObject")) return kWaitFailed;
  Event* e = EventOf(h);
  if (e == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return kWaitFailed;
  }
  // Nothing else runs while a simulated wait would block, so an unsignalled
  // event times out whatever the time-out.
  return e->signalled ? kWaitObject0 : kWaitTimeout;
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

bool SimOs::OpenProcessToken(Handle process, std::uint32_t access, Handle* token) {
  Log("OpenProcessToken");
  *token = kNoHandle;
  if (!tokensAvailable) {
    lastError_ = kErrorCallNotImplemented;
    return false;
  }
  if (Failing("OpenProcessToken")) return false;
  if (process != kCurrentProcessPseudo) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  *token = NewHandle("token", "access " + std::to_string(access));
  return true;
}

bool SimOs::GetTokenInformation(Handle token, std::uint32_t infoClass, void* buffer,
                                std::uint32_t length, std::uint32_t* returnLength) {
  Log("GetTokenInformation");
  if (!tokensAvailable) {
    lastError_ = kErrorCallNotImplemented;
    return false;
  }
  if (Failing("GetTokenInformation")) return false;
  if (handles_.count(token) == 0 || infoClass != kTokenPrivilegesClass) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  // A real token holds many privileges: a one-entry buffer gets the count
  // and the first entry, and the call reports the buffer too small.
  constexpr std::uint32_t kHeld = 5;
  constexpr std::uint32_t kNeeded = 4 + kHeld * 12;
  if (returnLength != nullptr) *returnLength = kNeeded;
  if (length >= 4) std::memcpy(buffer, &kHeld, 4);
  if (length >= 16) {
    TokenPrivileges1 first;
    first.PrivilegeCount = kHeld;
    first.luid = Luid{23, 0};
    first.Attributes = 3;
    std::memcpy(buffer, &first, sizeof first);
  }
  lastError_ = 122;  // ERROR_INSUFFICIENT_BUFFER
  return false;
}

bool SimOs::LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid* luid) {
  Log("LookupPrivilegeValueA(" + name + ")");
  if (!tokensAvailable) {
    lastError_ = kErrorCallNotImplemented;
    return false;
  }
  if (Failing("LookupPrivilegeValueA")) return false;
  if (systemName != nullptr || name != "SeDebugPrivilege") {
    lastError_ = kErrorNoSuchPrivilege;
    return false;
  }
  *luid = debugPrivilegeLuid;
  return true;
}

bool SimOs::AdjustTokenPrivileges(Handle token, bool /*disableAll*/,
                                  const TokenPrivileges1* newState, std::uint32_t /*length*/,
                                  TokenPrivileges1* /*previous*/, std::uint32_t* returnLength) {
  Log("AdjustTokenPrivileges");
  if (!tokensAvailable) {
    lastError_ = kErrorCallNotImplemented;
    return false;
  }
  if (Failing("AdjustTokenPrivileges")) return false;
  if (handles_.count(token) == 0) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  lastAdjustedState = *newState;
  if (returnLength != nullptr) *returnLength = 0;
  const bool isDebug = newState->PrivilegeCount == 1 &&
                       newState->luid.LowPart == debugPrivilegeLuid.LowPart &&
                       newState->luid.HighPart == debugPrivilegeLuid.HighPart;
  lastError_ = (isDebug && userHoldsDebugPrivilege) ? kErrorSuccess : kErrorNotAllAssigned;
  return true;
}

std::int32_t SimOs::RegOpenKeyExA(HKey root, const std::string& subKey, std::uint32_t /*options*/,
                                  std::uint32_t access, HKey* result) {
  const std::string path = RootName(root) + "\\" + subKey;
  Log("RegOpenKeyExA(" + path + ")");
  *result = 0;
  if (Failing("RegOpenKeyExA")) return static_cast<std::int32_t>(lastError_);
  if (keys_.count(Lower(path)) == 0) return static_cast<std::int32_t>(kErrorFileNotFound);
  return OpenKnownKey(path, access, result);
}

std::int32_t SimOs::OpenKnownKey(const std::string& path, std::uint32_t access, HKey* result) {
  const KeyPolicy policy = keys_.at(Lower(path));
  if (policy == KeyPolicy::Denied && access != 0) {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  if (policy == KeyPolicy::ReadOnly && (access & ~kKeyRead) != 0) {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  HKey k = nextKey_;
  nextKey_ += 4;
  openKeys_[k] = KeyEntry{path, access};
  *result = k;
  return 0;
}

std::uint32_t SimOs::RegisterWindowMessageA(const std::string& name) {
  Log("RegisterWindowMessageA(" + name + ")");
  if (Failing("RegisterWindowMessageA")) return 0;
  auto it = messages_.find(Lower(name));
  if (it != messages_.end()) return it->second;
  const std::uint32_t id = 0xC000u + static_cast<std::uint32_t>(messages_.size());
  messages_[Lower(name)] = id;
  return id;
}

namespace {
constexpr std::int32_t kCoEClassString = static_cast<std::int32_t>(0x800401F3u);
}

std::int32_t SimOs::CreateOleObject(const std::string& progId, Handle* object) {
  Log("CreateOleObject(" + progId + ")");
  *object = kNoHandle;
  if (Failing("CreateOleObject")) return static_cast<std::int32_t>(lastError_);
  if (oleClasses.count(progId) == 0) return kCoEClassString;
  *object = NewHandle("ole", progId);
  oleVisible_[*object] = false;
  return 0;
}

std::int32_t SimOs::OleSetProperty(Handle object, const std::string& name, bool value) {
  Log("OleSetProperty(" + name + ")");
  if (Failing("OleSetProperty")) return static_cast<std::int32_t>(lastError_);
  if (handles_.count(object) == 0) return static_cast<std::int32_t>(0x80070006u);
  if (oleSetPropertyResult != 0) return oleSetPropertyResult;
  if (name == "Visible") oleVisible_[object] = value;
  return 0;
}

std::int32_t SimOs::OleInvoke(Handle object, const std::string& method,
                              const std::string& argument) {
  Log("OleInvoke(" + method + "," + argument + ")");
  if (Failing("OleInvoke")) return static_cast<std::int32_t>(lastError_);
  if (handles_.count(object) == 0) return static_cast<std::int32_t>(0x80070006u);
  if (oleInvokeResult != 0) return oleInvokeResult;
  if (method == "Navigate") navigations.push_back(argument);
  return 0;
}

void SimOs::OleRelease(Handle object) {
  Log("OleRelease");
  auto it = handles_.find(object);
  if (it == handles_.end() || it->second.kind != "ole") return;
  handles_.erase(it);
  oleVisible_.erase(object);
}

std::string SimOs::SysErrorMessage(std::int32_t code) {
  switch (static_cast<std::uint32_t>(code)) {
    case 0x800401F3u: return "Invalid class string";
    case 0x80004005u: return "Unspecified error";
    default: return "Error " + std::to_string(static_cast<std::uint32_t>(code));
  }
}

std::uintptr_t SimOs::ShellExecuteA(std::uintptr_t /*owner*/, const char* verb,
                                    const std::string& file, const char* parameters,
                                    const char* directory, int show) {
  Log(std::string("ShellExecuteA(") + (verb ? verb : "null") + "," + file + "," +
      (parameters ? parameters : "null") + "," + (directory ? directory : "null") + "," +
      std::to_string(show) + ")");
  // The shell's own failure codes are the small numbers up to 32.
  if (Failing("ShellExecuteA")) return 2;
  shellOpened.push_back(file);
  return shellExecuteResult;
}

}  // namespace platform
