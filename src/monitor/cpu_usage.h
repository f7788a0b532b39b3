#pragma once
// Processor-usage module: the Windows family decides how load is read.

#include <cstdint>

#include "platform/os.h"

namespace monitor {

// The codes form a bit set, as the platform defines them.
enum class PlatformFamily : std::uint8_t { None = 0, Win32s = 1, Windows9x = 2, WindowsNT = 4 };

PlatformFamily DetectPlatformFamily(platform::Os& os);

// The module's start-up check: the program cannot sample the processor
// without knowing the Windows version. Throws gui::Error with
// "Can't get the Windows version" when it cannot be read.
void CpuUsageUnitInitialize(platform::Os& os);

}  // namespace monitor
