#pragma once
// The overall optimization: after a confirmation, the tweak at the chosen
// level, then every process trimmed, then a report of the available
// physical memory before and after.

#include <cstdint>
#include <optional>
#include <string>

namespace optimize {

inline constexpr const char* kOverallConfirmation =
    "This function could free a lot of physical memory space,but take sometime to complete. "
    "\r"
    "Confirm to proceed?";
inline constexpr const char* kOverallStatusText = "memory tweaking... ";
inline constexpr const char* kOverallRunningCaption = "Memory overall optimizing...";

// The name of a track-bar position, 1 to 5; none outside.
std::optional<std::string> OptimizeLevelName(int position);

// The report's three lines from the available physical memory before and
// after, in bytes. The released amount is the signed difference of the
// bytes, truncated toward zero, so less memory after shows as negative
// rather than as a wrapped 4095 MB.
std::string OverallReportText(std::uint64_t availableBefore, std::uint64_t availableAfter);

}  // namespace optimize
