#pragma once
// The tweak's progress on a gauge, and its low-memory box.

#include <cstdint>

#include "gui/application.h"
#include "gui/controls.h"
#include "optimize/tweak.h"

namespace app {

// The range comes before the position, so each value is checked against
// the bounds in place.
class GaugeProgress : public optimize::TweakProgress {
 public:
  explicit GaugeProgress(gui::TGauge& gauge) : gauge_(gauge) {}
  void Begin(std::int64_t maximum) override {
    gauge_.SetMinValue(0);
    gauge_.SetMaxValue(maximum);
    gauge_.SetProgress(0);
    gauge_.Show();
  }
  void Shorten(std::int64_t maximum) override { gauge_.SetMaxValue(maximum); }
  void Restart() override { gauge_.SetProgress(0); }
  void Step() override { gauge_.SetProgress(gauge_.Progress() + 1); }
  void End() override { gauge_.Hide(); }
  void CommitRefused() override { gui::Application().ShowMessageBox(optimize::kLowMemoryMessage); }

 private:
  gui::TGauge& gauge_;
};

}  // namespace app
