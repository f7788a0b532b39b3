#pragma once
// Stable control identifiers: tests and screen readers find controls by them.
// Grouped by region and page; a number once given is never reused.

namespace app::ids {

constexpr int kFormZentor = 100;

// Title area.
constexpr int kPanel1 = 200;
constexpr int kImage1 = 201;
constexpr int kSpeedButton5 = 202;  // minimize
constexpr int kSpeedButton6 = 203;  // close
constexpr int kSpeedButton3 = 204;  // About
constexpr int kSpeedButton2 = 205;  // Help
constexpr int kImageEx2 = 206;
constexpr int kImageEx3 = 207;
constexpr int kImageIcon = 208;
constexpr int kImageIconBak = 209;
constexpr int kButtonGetProcessInfo = 210;

// Middle: navigation column and page stack.
constexpr int kPanel3 = 300;
constexpr int kPanel4 = 301;
constexpr int kImage2 = 302;
constexpr int kSpeedButtonUsageGraph = 303;
constexpr int kSpeedButtonFull = 304;
constexpr int kSpeedButtonSet = 305;
constexpr int kLabelAutoOptimize = 306;
constexpr int kNotebook1 = 310;

// Pages, each with its title strip (+1), title text (+2) and frame (+3).
constexpr int kPageUsageGroup = 400;
constexpr int kPageProcesses = 420;
constexpr int kPageSettings = 440;
constexpr int kPageAbout = 460;
constexpr int kPageOverallOpimize = 480;
constexpr int kTitleStripOffset = 1;
constexpr int kTitleTextOffset = 2;
constexpr int kFrameOffset = 3;

// About page lines.
constexpr int kLabelVersion = 464;
constexpr int kLabelReleaseDate = 465;
constexpr int kLabelSupportOs = 466;
constexpr int kLabelFunction = 467;
constexpr int kLabelEmail = 468;
constexpr int kLabel31 = 469;  // mail link
constexpr int kLabel32 = 470;  // web-site link

// Status bar.
constexpr int kStatusBarState = 500;

// Settings page, start-up and close options.
constexpr int kCheckBoxCloseMinimize = 1101;
constexpr int kCheckBoxMinimizeStart = 1102;
constexpr int kCheckBoxAuto = 1103;

// Timers.
constexpr int kTimerHideMainWindows = 1;

}  // namespace app::ids
