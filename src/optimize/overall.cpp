#include "optimize/overall.h"

#include "monitor/memory_status.h"
#include "optimize/trim.h"
#include "optimize/tweak.h"

namespace optimize {

std::optional<std::string> OptimizeLevelName(int position) {
  switch (position) {
    case 1: return "Level 1";
    case 2: return "Level 2";
    case 3: return "Medium";
    case 4: return "Level 4";
    case 5: return "Level 5";
    default: return std::nullopt;
  }
}

std::string OverallReportText(std::uint64_t availableBefore, std::uint64_t availableAfter) {
  const std::int64_t released =
      (static_cast<std::int64_t>(availableAfter) - static_cast<std::int64_t>(availableBefore)) /
      1048576;
  return "Available physical memory before optimizing:" +
         std::to_string(monitor::ToMegabytesTruncated(availableBefore)) + " MB\r\n" +
         "Available physical memory after optimizing:" +
         std::to_string(monitor::ToMegabytesTruncated(availableAfter)) + " MB\r\n" +
         "Released physical memory after optimizing:" + std::to_string(released) + " MB";
}

}  // namespace optimize
