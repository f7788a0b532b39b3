#include "monitor/cpu_usage.h"

#include "gui/application.h"

namespace monitor {

namespace {
bool ReadVersion(platform::Os& os, platform::OsVersionInfo& info) {
  info = platform::OsVersionInfo{};
  info.dwOSVersionInfoSize = sizeof(platform::OsVersionInfo);
  return os.GetVersionExA(&info);
}
}  // namespace

PlatformFamily DetectPlatformFamily(platform::Os& os) {
  platform::OsVersionInfo info;
  // An unreadable version must not pass for Win32s (platform id 0): it
  // belongs to no family, and the sampler then reads nothing.
  if (!ReadVersion(os, info)) return PlatformFamily::None;
  switch (info.dwPlatformId) {
    case platform::kVerPlatformWin32s: return PlatformFamily::Win32s;
    case platform::kVerPlatformWin32Windows: return PlatformFamily::Windows9x;
    case platform::kVerPlatformWin32NT: return PlatformFamily::WindowsNT;
    default: return PlatformFamily::None;
  }
}

void CpuUsageUnitInitialize(platform::Os& os) {
  platform::OsVersionInfo info;
  if (!ReadVersion(os, info)) throw gui::Error("Can't get the Windows version");
}

}  // namespace monitor
