#include "optimize/overall.h"

#include "app/frmmain.h"
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

namespace app {

void TForm_Zentor::TrackBar_OverallOptionChange() {
  if (auto name = optimize::OptimizeLevelName(TrackBar_OverallOption.Position())) {
    Label_OptimizeLavel.SetCaption(*name);
  }
}

void TForm_Zentor::SpeedButton_StartFullClick() {
  if (gui::MessageDlg(optimize::kOverallConfirmation, gui::TMsgDlgType::mtConfirmation,
                      gui::TMsgDlgButtons::mbYesCancel) != gui::mrYes) {
    return;
  }
  Label_overalloptimizing.Show();
  // The run leaves both timers as it found them, whatever happens in
  // between: a modal box inside it may start or stop them, and an error
  // must not leave the caption up or a timer switched.
  struct Restore {
    TForm_Zentor& form;
    bool autoWasOn;
    bool refreshWasOn;
    ~Restore() {
      form.Timer_Auto.SetEnabled(autoWasOn);
      form.Timer_GetProcessInfo.SetEnabled(refreshWasOn);
      form.Label_overalloptimizing.Hide();
    }
  } restore{*this, Timer_Auto.Enabled(), Timer_GetProcessInfo.Enabled()};

  const monitor::MemoryStatus before = monitor::TakeMemoryStatus(os_);
  StatusBar_State.SetPanelText(1, optimize::kOverallStatusText);
  Repaint();
  optimize::TweakMemory(os_, TrackBar_OverallOption.Position(), &Gauge_OvarallOptimize);
  optimize::TrimAllProcesses(os_);
  const monitor::MemoryStatus after = monitor::TakeMemoryStatus(os_);
  App().ShowMessageBox(optimize::OverallReportText(before.ullAvailPhys, after.ullAvailPhys));
}

void TForm_Zentor::OverallOpimize1Click() { SpeedButton_StartFull.Click(); }

}  // namespace app
