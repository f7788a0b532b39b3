// The optimization handlers: the overall optimization, automatic
// optimization on its timer, the program's own trim, and the clipboard.

#include "app/frmmain.h"
#include "app/gauge_progress.h"
#include "monitor/memory_status.h"
#include "optimize/auto_optimize.h"
#include "optimize/memory_lists.h"
#include "optimize/overall.h"
#include "optimize/trim.h"
#include "optimize/tweak.h"

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
  GaugeProgress progress(Gauge_OvarallOptimize);
  optimize::TweakMemory(os_, TrackBar_OverallOption.Position(), progress);
  optimize::TrimAllProcesses(os_);
  // A disabled box may still hold a stored tick: the system has no lists
  // to empty then.
  const bool emptyLists = CheckBox_MemoryLists.Checked() && CheckBox_MemoryLists.Enabled();
  std::string listsLine;
  if (emptyLists) listsLine = optimize::MemoryListReportLine(optimize::EmptyMemoryLists(os_));
  const monitor::MemoryStatus after = monitor::TakeMemoryStatus(os_);
  std::string report = optimize::OverallReportText(before.ullAvailPhys, after.ullAvailPhys);
  if (emptyLists) report += "\r\n" + listsLine;
  App().ShowMessageBox(report);
}

void TForm_Zentor::OverallOpimize1Click() { SpeedButton_StartFull.Click(); }

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
      GaugeProgress progress(Gauge_OvarallOptimize);
      optimize::TweakMemory(os_, TrackBar_OverallOption.Position(), progress);
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

void TForm_Zentor::Timer_selfTimer() {
  os_.SetProcessWorkingSetSize(os_.GetCurrentProcess(), platform::kTrimAll, platform::kTrimAll);
}

}  // namespace app
