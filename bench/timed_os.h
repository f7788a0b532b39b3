#pragma once
// TimedOs: an Os that hands every call on to another and adds up the time
// spent inside them, so that a benchmark can tell the program's own work from
// the system's. Each call costs two clock readings on top of its own; Calibrate
// measures what they add so that a caller can take it off again.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/os.h"

namespace bench {

class TimedOs : public platform::Os {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TimedOs(platform::Os& inner) : inner_(inner) {}

  // Time inside the calls and their number since the last Reset.
  Clock::duration InsideCalls() const { return inside_; }
  std::uint64_t Calls() const { return calls_; }
  void Reset() {
    inside_ = Clock::duration::zero();
    calls_ = 0;
  }

  // What timing adds to one call, in nanoseconds: `inside` is the part that
  // falls between the two clock readings (and so into InsideCalls), `outside`
  // the rest (which a caller timing the whole sees as its own work).
  struct Overhead {
    double inside = 0;
    double outside = 0;
  };
  // Measured on the cheapest call there is, GetLastError, timed and untimed,
  // the fastest of several rounds: noise only ever adds.
  static Overhead Calibrate(platform::Os& inner, int callsPerRound = 200000, int rounds = 7);

  // --- Os ----------------------------------------------------------------------
  void GlobalMemoryStatus(platform::MemoryStatus* status) override {
    Timed t(*this);
    inner_.GlobalMemoryStatus(status);
  }
  bool GlobalMemoryStatusEx(platform::MemoryStatusEx* status) override {
    Timed t(*this);
    return inner_.GlobalMemoryStatusEx(status);
  }
  bool GetVersionExA(platform::OsVersionInfo* info) override {
    Timed t(*this);
    return inner_.GetVersionExA(info);
  }
  std::uint32_t GetLastError() override {
    Timed t(*this);
    return inner_.GetLastError();
  }
  platform::Handle GetCurrentProcess() override {
    Timed t(*this);
    return inner_.GetCurrentProcess();
  }
  bool CloseHandle(platform::Handle h) override {
    Timed t(*this);
    return inner_.CloseHandle(h);
  }
  platform::Handle CreateEventA(bool manualReset, bool initialState,
                                const std::string& name) override {
    Timed t(*this);
    return inner_.CreateEventA(manualReset, initialState, name);
  }
  platform::Handle OpenEventA(std::uint32_t access, bool inherit,
                              const std::string& name) override {
    Timed t(*this);
    return inner_.OpenEventA(access, inherit, name);
  }
  bool SetEvent(platform::Handle h) override {
    Timed t(*this);
    return inner_.SetEvent(h);
  }
  bool ResetEvent(platform::Handle h) override {
    Timed t(*this);
    return inner_.ResetEvent(h);
  }
  std::uint32_t WaitForSingleObject(platform::Handle h, std::uint32_t milliseconds) override {
    Timed t(*this);
    return inner_.WaitForSingleObject(h, milliseconds);
  }
  platform::Handle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t pid) override {
    Timed t(*this);
    return inner_.OpenProcess(access, inherit, pid);
  }
  bool SetProcessWorkingSetSize(platform::Handle process, std::size_t minimum,
                                std::size_t maximum) override {
    Timed t(*this);
    return inner_.SetProcessWorkingSetSize(process, minimum, maximum);
  }
  void GetSystemInfo(platform::SystemInfo* info) override {
    Timed t(*this);
    inner_.GetSystemInfo(info);
  }
  void* VirtualAlloc(void* address, std::size_t size, std::uint32_t allocationType,
                     std::uint32_t protect) override {
    Timed t(*this);
    return inner_.VirtualAlloc(address, size, allocationType, protect);
  }
  bool VirtualFree(void* address, std::size_t size, std::uint32_t freeType) override {
    Timed t(*this);
    return inner_.VirtualFree(address, size, freeType);
  }
  platform::Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t pid) override {
    Timed t(*this);
    return inner_.CreateToolhelp32Snapshot(flags, pid);
  }
  bool Process32First(platform::Handle snapshot, platform::ProcessEntry32* entry) override {
    Timed t(*this);
    return inner_.Process32First(snapshot, entry);
  }
  bool Process32Next(platform::Handle snapshot, platform::ProcessEntry32* entry) override {
    Timed t(*this);
    return inner_.Process32Next(snapshot, entry);
  }
  std::uint32_t GetModuleFileNameExA(platform::Handle process, platform::Handle module,
                                     char* buffer, std::uint32_t size) override {
    Timed t(*this);
    return inner_.GetModuleFileNameExA(process, module, buffer, size);
  }
  bool GetProcessMemoryInfo(platform::Handle process, platform::ProcessMemoryCounters* counters,
                            std::uint32_t size) override {
    Timed t(*this);
    return inner_.GetProcessMemoryInfo(process, counters, size);
  }
  bool QueryFullProcessImageNameA(platform::Handle process, std::uint32_t flags, char* buffer,
                                  std::uint32_t* size) override {
    Timed t(*this);
    return inner_.QueryFullProcessImageNameA(process, flags, buffer, size);
  }
  platform::NtStatus NtQuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                              std::uint32_t length,
                                              std::uint32_t* returnLength) override {
    Timed t(*this);
    return inner_.NtQuerySystemInformation(infoClass, buffer, length, returnLength);
  }
  bool HasNtSetSystemInformation() override {
    Timed t(*this);
    return inner_.HasNtSetSystemInformation();
  }
  platform::NtStatus NtSetSystemInformation(std::uint32_t infoClass, void* info,
                                            std::uint32_t length) override {
    Timed t(*this);
    return inner_.NtSetSystemInformation(infoClass, info, length);
  }
  std::uint32_t RtlNtStatusToDosError(platform::NtStatus status) override {
    Timed t(*this);
    return inner_.RtlNtStatusToDosError(status);
  }
  bool OpenProcessToken(platform::Handle process, std::uint32_t access,
                        platform::Handle* token) override {
    Timed t(*this);
    return inner_.OpenProcessToken(process, access, token);
  }
  bool GetTokenInformation(platform::Handle token, std::uint32_t infoClass, void* buffer,
                           std::uint32_t length, std::uint32_t* returnLength) override {
    Timed t(*this);
    return inner_.GetTokenInformation(token, infoClass, buffer, length, returnLength);
  }
  bool LookupPrivilegeValueA(const char* systemName, const std::string& name,
                             platform::Luid* luid) override {
    Timed t(*this);
    return inner_.LookupPrivilegeValueA(systemName, name, luid);
  }
  bool AdjustTokenPrivileges(platform::Handle token, bool disableAll,
                             const platform::TokenPrivileges1* newState, std::uint32_t length,
                             platform::TokenPrivileges1* previous,
                             std::uint32_t* returnLength) override {
    Timed t(*this);
    return inner_.AdjustTokenPrivileges(token, disableAll, newState, length, previous,
                                        returnLength);
  }
  std::int32_t RegOpenKeyExA(platform::HKey root, const std::string& subKey,
                             std::uint32_t options, std::uint32_t access,
                             platform::HKey* result) override {
    Timed t(*this);
    return inner_.RegOpenKeyExA(root, subKey, options, access, result);
  }
  std::int32_t RegCloseKey(platform::HKey key) override {
    Timed t(*this);
    return inner_.RegCloseKey(key);
  }
  std::int32_t RegQueryValueExA(platform::HKey key, const std::string& name, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* size) override {
    Timed t(*this);
    return inner_.RegQueryValueExA(key, name, type, data, size);
  }
  std::int32_t RegCreateKeyExA(platform::HKey root, const std::string& subKey,
                               std::uint32_t options, std::uint32_t access,
                               platform::HKey* result, std::uint32_t* disposition) override {
    Timed t(*this);
    return inner_.RegCreateKeyExA(root, subKey, options, access, result, disposition);
  }
  std::int32_t RegSetValueExA(platform::HKey key, const std::string& name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) override {
    Timed t(*this);
    return inner_.RegSetValueExA(key, name, type, data, size);
  }
  std::int32_t RegDeleteValueA(platform::HKey key, const std::string& name) override {
    Timed t(*this);
    return inner_.RegDeleteValueA(key, name);
  }
  std::uint32_t GetModuleFileNameA(platform::Handle module, char* buffer,
                                   std::uint32_t size) override {
    Timed t(*this);
    return inner_.GetModuleFileNameA(module, buffer, size);
  }
  std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override {
    Timed t(*this);
    return inner_.GetWindowsDirectoryA(buffer, size);
  }
  bool RegisterHotKey(std::uintptr_t window, int id, std::uint32_t modifiers,
                      std::uint32_t key) override {
    Timed t(*this);
    return inner_.RegisterHotKey(window, id, modifiers, key);
  }
  bool UnregisterHotKey(std::uintptr_t window, int id) override {
    Timed t(*this);
    return inner_.UnregisterHotKey(window, id);
  }
  platform::Handle CreateIconIndirect(const platform::IconImage& image) override {
    Timed t(*this);
    return inner_.CreateIconIndirect(image);
  }
  bool DestroyIcon(platform::Handle icon) override {
    Timed t(*this);
    return inner_.DestroyIcon(icon);
  }
  bool GetCursorPos(int* x, int* y) override {
    Timed t(*this);
    return inner_.GetCursorPos(x, y);
  }
  std::uint32_t RegisterWindowMessageA(const std::string& name) override {
    Timed t(*this);
    return inner_.RegisterWindowMessageA(name);
  }
  bool OpenClipboard(std::uintptr_t owner) override {
    Timed t(*this);
    return inner_.OpenClipboard(owner);
  }
  bool EmptyClipboard() override {
    Timed t(*this);
    return inner_.EmptyClipboard();
  }
  bool CloseClipboard() override {
    Timed t(*this);
    return inner_.CloseClipboard();
  }
  std::int32_t CreateOleObject(const std::string& progId, platform::Handle* object) override {
    Timed t(*this);
    return inner_.CreateOleObject(progId, object);
  }
  std::int32_t OleSetProperty(platform::Handle object, const std::string& name,
                              bool value) override {
    Timed t(*this);
    return inner_.OleSetProperty(object, name, value);
  }
  std::int32_t OleInvoke(platform::Handle object, const std::string& method,
                         const std::string& argument) override {
    Timed t(*this);
    return inner_.OleInvoke(object, method, argument);
  }
  void OleRelease(platform::Handle object) override {
    Timed t(*this);
    inner_.OleRelease(object);
  }
  std::string SysErrorMessage(std::int32_t code) override {
    Timed t(*this);
    return inner_.SysErrorMessage(code);
  }
  std::uintptr_t ShellExecuteA(std::uintptr_t owner, const char* verb, const std::string& file,
                               const char* parameters, const char* directory,
                               int show) override {
    Timed t(*this);
    return inner_.ShellExecuteA(owner, verb, file, parameters, directory, show);
  }
  bool Shell_NotifyIconA(std::uint32_t message, const platform::NotifyIconData* data) override {
    Timed t(*this);
    return inner_.Shell_NotifyIconA(message, data);
  }

 private:
  // Reads the clock on entry and again on leaving, after the forwarded call
  // has produced its result.
  struct Timed {
    explicit Timed(TimedOs& os) : os_(os), start_(Clock::now()) {}
    ~Timed() {
      os_.inside_ += Clock::now() - start_;
      ++os_.calls_;
    }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;
    TimedOs& os_;
    Clock::time_point start_;
  };

  platform::Os& inner_;
  Clock::duration inside_ = Clock::duration::zero();
  std::uint64_t calls_ = 0;
};

inline TimedOs::Overhead TimedOs::Calibrate(platform::Os& inner, int callsPerRound, int rounds) {
  TimedOs timed(inner);
  // Through references to the base, as the program makes its calls.
  platform::Os& plain = inner;
  platform::Os& wrapped = timed;
  const auto nanoseconds = [](Clock::duration d) {
    return std::chrono::duration<double, std::nano>(d).count();
  };
  double plainBest = 1e300, wrappedBest = 1e300, insideBest = 1e300;
  volatile std::uint32_t sink = 0;
  for (int r = 0; r < rounds; ++r) {
    auto start = Clock::now();
    for (int i = 0; i < callsPerRound; ++i) sink = sink + plain.GetLastError();
    plainBest = std::min(plainBest, nanoseconds(Clock::now() - start) / callsPerRound);

    timed.Reset();
    start = Clock::now();
    for (int i = 0; i < callsPerRound; ++i) sink = sink + wrapped.GetLastError();
    const double whole = nanoseconds(Clock::now() - start) / callsPerRound;
    const double inside = nanoseconds(timed.InsideCalls()) / callsPerRound;
    // The fastest round by the whole; its inside part goes with it.
    if (whole < wrappedBest) {
      wrappedBest = whole;
      insideBest = inside;
    }
  }
  Overhead o;
  // The untimed call itself, which costs about as much inside the timed
  // one, is the system's time, not overhead.
  o.inside = std::max(0.0, insideBest - plainBest);
  o.outside = std::max(0.0, wrappedBest - insideBest);
  return o;
}

}  // namespace bench
