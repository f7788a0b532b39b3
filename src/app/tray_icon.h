#pragma once
// The tray icon's picture as data: the free megabytes as text and three
// load bars on a pure blue ground, the mask made from that ground, and the
// icon's tip. The backend only draws the text's glyphs.

#include <cstdint>
#include <string>

#include "gui/bitmap.h"
#include "monitor/memory_status.h"
#include "platform/os.h"

namespace app {

inline constexpr unsigned kTrayCallbackMessage = 3001;
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr unsigned kWmLButtonDblClk = 0x0203;
inline constexpr unsigned kWmRButtonDown = 0x0204;
inline constexpr int kTrayIconSize = 16;
inline constexpr const char* kTrayFontName = "MS UI Gothic";

namespace tray {
constexpr gui::TColor kGround = gui::RGBColor(0, 0, 255);
constexpr gui::TColor kTextCell = gui::RGBColor(255, 255, 255);
constexpr gui::TColor kText = gui::RGBColor(0, 0, 0);
constexpr gui::TColor kTrack = gui::RGBColor(166, 202, 240);
constexpr gui::TColor kBusy = gui::RGBColor(255, 0, 0);
constexpr gui::TColor kPhysical = gui::RGBColor(255, 128, 64);
constexpr gui::TColor kPageFile = gui::RGBColor(128, 0, 128);
constexpr gui::TColor kProcessor = gui::RGBColor(0, 128, 0);
}  // namespace tray

// One bar: a full-width track two rows high from `top`, filled from the
// left edge over `fill` columns (0 to 16).
struct TrayBar {
  int top = 0;
  int fill = 0;
  gui::TColor color = 0;
};

struct TrayIconLayout {
  std::string text;  // TrayIconText
  int fontHeight = 10;  // of the character cell
  int textX = 0;
  int textY = -1;
  // In drawing order: physical memory, page file, processor.
  TrayBar bars[3];
};

// The free megabytes, or past four digits the free gigabytes and "G",
// with blanks in front up to three places.
std::string TrayIconText(const monitor::MemoryStatus& m);
TrayIconLayout ComputeTrayIconLayout(const monitor::MemoryStatus& m, double cpuUsage);

// Paints the three bars over a 16 x 16 picture, clipped to it.
void PaintTrayBars(gui::Bitmap& picture, const TrayIconLayout& layout);

// The picture with its mask: transparent where a pixel has the colour of
// the bottom-left pixel.
platform::IconImage MakeIconImage(const gui::Bitmap& picture);

// "1234 MB free of 2047 MB physical memory".
std::string TrayTipText(const monitor::MemoryStatus& m);

}  // namespace app
