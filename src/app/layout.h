#pragma once
// What the main window's layout files share: the sizes of its regions, the
// artwork's colours and the helpers that place a page's controls.

#include <initializer_list>

#include "gui/controls.h"

namespace app::layout {

constexpr int kClientWidth = 770;
constexpr int kClientHeight = 560;
constexpr int kTitleHeight = 106;
constexpr int kMiddleHeight = 434;
constexpr int kStatusHeight = 20;
constexpr int kNavigationWidth = 179;
constexpr int kPageWidth = kClientWidth - kNavigationWidth;  // 591
constexpr int kStripHeight = 33;

// The accent of the title artwork, for the page title strips.
constexpr gui::TColor kAccent = gui::RGBColor(19, 122, 134);
constexpr gui::TColor kFrameColor = gui::RGBColor(176, 196, 200);
constexpr gui::TColor kLinkBlue = gui::RGBColor(0, 0, 255);

inline gui::TFont BoldFont(int height, gui::TColor color) {
  gui::TFont f;
  f.bold = true;
  f.height = height;
  f.color = color;
  return f;
}

struct Placed {
  gui::TControl& control;
  int left, top, width, height;
  const char* caption;
};

inline void Place(std::initializer_list<Placed> controls) {
  for (const Placed& p : controls) {
    p.control.SetBounds(p.left, p.top, p.width, p.height);
    if (p.caption != nullptr) p.control.SetCaption(p.caption);
  }
}

inline void HorizontalGauge(gui::TGauge& g) {
  g.SetGaugeKind(gui::TGaugeKind::gkHorizontalBar);
  g.SetColors(gui::colors::kBlue, gui::colors::kSilver);
}

}  // namespace app::layout
