#pragma once
// Processor-usage module: the Windows family decides how load is read.

#include <cstdint>
#include <functional>

#include "platform/os.h"

namespace monitor {

// The codes form a bit set, as the platform defines them.
enum class PlatformFamily : std::uint8_t { None = 0, Win32s = 1, Windows9x = 2, WindowsNT = 4 };

// The system's version record; false when the system will not say.
bool ReadVersion(platform::Os& os, platform::OsVersionInfo& info);

PlatformFamily DetectPlatformFamily(platform::Os& os);

// The module's start-up check: the program cannot sample the processor
// without knowing the Windows version. False when it cannot be read, and
// the program then ends with kVersionUnknownText.
inline constexpr const char* kVersionUnknownText = "Can't get the Windows version";
[[nodiscard]] bool CpuUsageUnitInitialize(platform::Os& os);

// A 64-bit system count as a double: the high half, signed, times 2^32 plus
// the low half, unsigned.
double LargeCountToDouble(std::int64_t count);

// Reads the processor load, as a whole percentage held in a double, once per
// call. On NT it is the share of the time since the previous reading that the
// processors were not idle; on the 9x family the system's own figure.
class CpuUsageSampler {
 public:
  // `processMessages` lets the GUI runtime dispatch pending messages while a
  // reading completes; timers and a nested reading may run inside it.
  CpuUsageSampler(platform::Os& os, PlatformFamily family,
                  std::function<void()> processMessages);

  // The reading for the family; 0.0 for a family with no way to read it.
  double SampleCpuUsage();
  // 0.0 for the first reading, for a failed query (which leaves the previous
  // counts as they were, so the next reading spans both intervals) and when
  // no time has passed. Otherwise unclamped: idle time counted above the
  // elapsed time gives a negative reading.
  double SampleCpuUsageNT();
  // The 4-byte figure under HKEY_DYN_DATA, or 0.0 when it is missing or of
  // another type or size.
  double SampleCpuUsage9x();

  // The counts of the last completed NT reading, in 100 ns units; 0 before
  // the first.
  std::int64_t PreviousIdleTime() const { return previousIdleTime_; }
  std::int64_t PreviousSystemTime() const { return previousSystemTime_; }

 private:
  platform::Os& os_;
  PlatformFamily family_;
  std::function<void()> processMessages_;
  std::int64_t previousIdleTime_ = 0;
  std::int64_t previousSystemTime_ = 0;
};

}  // namespace monitor
