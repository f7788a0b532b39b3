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
