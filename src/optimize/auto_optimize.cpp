#include "optimize/auto_optimize.h"

#include "app/frmmain.h"
#include "monitor/memory_status.h"
#include "optimize/trim.h"
#include "optimize/tweak.h"

namespace optimize {

bool AutoTickPhase = false;

bool EnoughMemoryAvailable(const platform::MemoryStatusEx& m, int percent) {
  return static_cast<double>(percent) / 100.0 <=
         static_cast<double>(m.ullAvailPhys) / static_cast<double>(m.ullTotalPhys);
}

void CleanClipboard(platform::Os& os) {
  os.OpenClipboard(0);
  os.EmptyClipboard();
  os.CloseClipboard();
}

}  // namespace optimize

namespace app {

void TForm_Zentor::SetAutoStateText(const std::string& text) {
  StatusBar_State.SetPanelText(1, text);
  Label_AutoOptimize.SetCaption(text);
}

void TForm_Zentor::SpeedButton_RunAutoClick() {
  if (!Timer_Auto.Enabled()) {
    SpeedButton_RunAuto.SetDown(true);
    SpeedButton_RunAuto2.SetDown(true);
    pm_StartautoOptimize.SetCaption(optimize::kStopAutoCaption);
    SetAutoStateText(optimize::kAutoRunningText);
    Repaint();
    // The field may hold anything the user typed: it counts as the number
    // its arrows would show.
    Timer_Auto.SetInterval(static_cast<unsigned>(SpinEdit_Time.Value()) * 1000u);
    if (CheckBox_AfterMemTrim.Checked()) {
      SetAutoStateText(optimize::kAutoTweakingText);
      Repaint();
      optimize::TweakMemory(os_, TrackBar_OverallOption.Position(), &Gauge_OvarallOptimize);
    }
    Timer_Auto.SetEnabled(true);
  } else {
    SpeedButton_RunAuto.SetDown(false);
    SpeedButton_RunAuto2.SetDown(false);
    pm_StartautoOptimize.SetCaption(optimize::kStartAutoCaption);
    Label_AutoOptimize.SetCaption("");
    StatusBar_State.SetPanelText(1, "");
    Repaint();
    Timer_Auto.SetEnabled(false);
  }
}

void TForm_Zentor::pm_StartautoOptimizeClick() { SpeedButton_RunAuto.Click(); }

void TForm_Zentor::Timer_AutoTimer() {
  StatusBar_State.SetPanelText(1, optimize::kAutoRunningText);
  optimize::AutoTickPhase = !optimize::AutoTickPhase;
  Label_AutoOptimize.SetCaption(optimize::AutoTickPhase ? optimize::kAutoRunningText
                                                        : optimize::kAutoRunningTextLong);
  if (CheckBox_bstopauto.Checked()) {
    const monitor::MemoryStatus m = monitor::TakeMemoryStatus(os_);
    if (optimize::EnoughMemoryAvailable(m, SpinEdit_bstopauto.Value())) return;
  }
  if (CheckBox_EmptyClipboard.Checked()) optimize::CleanClipboard(os_);
  optimize::TrimAllProcesses(os_);
  Repaint();
}

void TForm_Zentor::CheckBox_bstopautoClick() {
  SpinEdit_bstopauto.SetEnabled(CheckBox_bstopauto.Checked());
}

void TForm_Zentor::Button_EmptyClipboardClick() {
  optimize::CleanClipboard(os_);
  App().ShowMessageBox(optimize::kClipboardCleanedText);
}

}  // namespace app
