#include "monitor/cpu_usage.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "monitor/rounding.h"
#include "platform/handles.h"

namespace monitor {

bool ReadVersion(platform::Os& os, platform::OsVersionInfo& info) {
  info = platform::OsVersionInfo{};
  info.dwOSVersionInfoSize = sizeof(platform::OsVersionInfo);
  return os.GetVersionExA(&info);
}

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

bool CpuUsageUnitInitialize(platform::Os& os) {
  platform::OsVersionInfo info;
  return ReadVersion(os, info);
}

double LargeCountToDouble(std::int64_t count) {
  const auto bits = static_cast<std::uint64_t>(count);
  const auto high = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
  const auto low = static_cast<std::uint32_t>(bits & 0xFFFFFFFFu);
  return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

namespace {

std::int64_t Int64At(const std::uint8_t* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return static_cast<std::int64_t>(value);
}

constexpr const char* kStatDataKey = "PerfStats\\StatData";
constexpr const char* kCpuUsageValue = "KERNEL\\CPUUsage";

}  // namespace

CpuUsageSampler::CpuUsageSampler(platform::Os& os, PlatformFamily family,
                                 std::function<void()> processMessages)
    : os_(os), family_(family), processMessages_(std::move(processMessages)) {}

double CpuUsageSampler::SampleCpuUsage() {
  switch (family_) {
    case PlatformFamily::WindowsNT: return SampleCpuUsageNT();
    case PlatformFamily::Windows9x: return SampleCpuUsage9x();
    default: return 0.0;
  }
}

double CpuUsageSampler::SampleCpuUsageNT() {
  std::uint8_t basic[platform::kSystemBasicInformationSize] = {};
  std::uint8_t timeOfDay[platform::kSystemTimeOfDayInformationSize] = {};
  std::uint8_t performance[platform::kSystemPerformanceInformationSize] = {};
  if (os_.NtQuerySystemInformation(platform::kSystemBasicInformation, basic, sizeof basic,
                                   nullptr) != platform::kStatusSuccess ||
      os_.NtQuerySystemInformation(platform::kSystemTimeOfDayInformation, timeOfDay,
                                   sizeof timeOfDay, nullptr) != platform::kStatusSuccess ||
      os_.NtQuerySystemInformation(platform::kSystemPerformanceInformation, performance,
                                   sizeof performance, nullptr) != platform::kStatusSuccess) {
    return 0.0;
  }
  const std::uint8_t processors = basic[platform::kSystemBasicProcessorCountOffset];
  const std::int64_t systemTime = Int64At(timeOfDay + platform::kSystemTimeOfDayCurrentTimeOffset);
  const std::int64_t idleTime = Int64At(performance + platform::kSystemPerformanceIdleTimeOffset);

  double result = 0.0;
  if (previousIdleTime_ != 0) {
    const double idle = LargeCountToDouble(idleTime) - LargeCountToDouble(previousIdleTime_);
    const double elapsed =
        LargeCountToDouble(systemTime) - LargeCountToDouble(previousSystemTime_);
    // With no time passed or no processor reported there is no share to
    // take; the counts still become the new reference.
    if (elapsed != 0.0 && processors != 0) {
      const double usage = 100.0 - (idle / elapsed) * 100.0 / processors + 0.5;
      const double rounded = RoundTiesToEven(usage);
      // Through a 64-bit integer, which also turns -0 into 0; a reading too
      // large for one is already whole.
      result = std::fabs(rounded) < 9.0e18
                   ? static_cast<double>(static_cast<std::int64_t>(rounded))
                   : rounded;
      // A refresh nested in here must measure against the counts before this
      // reading, so they are replaced only afterwards.
      if (processMessages_) processMessages_();
    }
  }
  previousIdleTime_ = idleTime;
  previousSystemTime_ = systemTime;
  return result;
}

double CpuUsageSampler::SampleCpuUsage9x() {
  const platform::UniqueKey key =
      platform::OpenKey(os_, platform::kHKeyDynData, kStatDataKey, platform::kKeyRead);
  if (!key) return 0.0;
  std::uint32_t type = 0;
  std::uint8_t data[4] = {};
  std::uint32_t size = sizeof data;
  if (os_.RegQueryValueExA(key.Get(), kCpuUsageValue, &type, data, &size) != 0) return 0.0;
  if (size != sizeof data || (type != platform::kRegBinary && type != platform::kRegDword)) {
    return 0.0;
  }
  const std::uint32_t percent = static_cast<std::uint32_t>(data[0]) |
                                static_cast<std::uint32_t>(data[1]) << 8 |
                                static_cast<std::uint32_t>(data[2]) << 16 |
                                static_cast<std::uint32_t>(data[3]) << 24;
  return static_cast<double>(percent);
}

}  // namespace monitor
