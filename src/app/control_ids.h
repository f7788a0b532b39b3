#pragma once
// Stable control identifiers: tests and screen readers find controls by them.

namespace app::ids {

constexpr int kFormZentor = 100;

// Settings page, "Optimization Settings" and start-up options.
constexpr int kCheckBoxCloseMinimize = 1101;
constexpr int kCheckBoxMinimizeStart = 1102;
constexpr int kCheckBoxAuto = 1103;

// Timers.
constexpr int kTimerHideMainWindows = 1;

}  // namespace app::ids
