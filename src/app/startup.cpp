// Start-up and shutdown of the main window: the checks made while it is
// created, the ordered steps of its first showing, and the ways out.

#include <functional>

#include "app/frmmain.h"
#include "app/instance.h"
#include "monitor/cpu_usage.h"
#include "optimize/memory_lists.h"
#include "platform/handles.h"
#include "settings/settings_store.h"

namespace app {

struct TForm_Zentor::StartupStep {
  const char* name;
  void (TForm_Zentor::*run)();
};

// The first showing runs these once, in this order.
const std::vector<TForm_Zentor::StartupStep>& TForm_Zentor::StartupSteps() {
  static const std::vector<StartupStep> steps = {
      {"StartupDone", &TForm_Zentor::StepMarkStartupDone},
      {"SetUpGraphs", &TForm_Zentor::StepSetUpGraphs},
      {"ClearHotKeyFlags", &TForm_Zentor::StepClearHotKeyFlags},
      {"LoadSettings", &TForm_Zentor::StepLoadSettings},
      {"SaveSettings", &TForm_Zentor::StepSaveSettings},
      {"ApplySettings", &TForm_Zentor::StepApplySettings},
      {"FirstRefresh", &TForm_Zentor::StepFirstRefresh},
      {"AutoOptimizeAtStart", &TForm_Zentor::StepAutoOptimizeAtStart},
      {"LevelCaption", &TForm_Zentor::StepLevelCaption},
      {"AddTrayIcon", &TForm_Zentor::StepAddTrayIcon},
      {"EnableHideTimer", &TForm_Zentor::StepEnableHideTimer},
      {"ShowUsagePage", &TForm_Zentor::StepShowUsagePage},
  };
  return steps;
}

void TForm_Zentor::ShowErrorBox(const std::string& text) {
  gui::MessageDlg(text, gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOK);
}

void TForm_Zentor::RefuseStart() { App().Terminate(); }

void TForm_Zentor::FormCreate() {
  taskbarCreatedMessage_ = os_.RegisterWindowMessageA("TaskbarCreated");
  platformFamily_ = monitor::DetectPlatformFamily(os_);
  CheckBox_MemoryLists.SetEnabled(optimize::MemoryListsAvailable(os_));
  sampler_ = std::make_unique<monitor::CpuUsageSampler>(os_, platformFamily_,
                                                        [this] { App().ProcessMessages(); });
  StartupDone = false;
  Minimized = false;
  App().OnMinimize = [this] { Minimized = true; };
  App().OnRestore = [this] { Minimized = false; };

  rights_ = std::make_unique<Rights>(os_, platformFamily_,
                                     [this](const std::string& text) { ShowErrorBox(text); });
  if (!rights_->ReadTokenPrivileges()) {
    RefuseStart();
    return;
  }
  if (!rights_->EnableDebugPrivilege(false)) {
    ShowErrorBox(kAdministratorMessage);
    RefuseStart();
    return;
  }

  // The key must exist already, made by the installer: reading it proves the
  // user may use the machine-wide settings, and the program never creates it.
  const platform::UniqueKey settingsKey =
      platform::OpenKey(os_, platform::kHKeyLocalMachine, settings::kSettingsKey, platform::kKeyRead);
  if (!settingsKey) {
    ShowErrorBox(kAdministratorMessage);
    RefuseStart();
  }
}

void TForm_Zentor::FormShow() {
  if (StartupDone) return;
  for (const StartupStep& step : StartupSteps()) {
    startupStepsRun_.push_back(step.name);
    (this->*step.run)();
  }
}

void TForm_Zentor::StepMarkStartupDone() { StartupDone = true; }

void TForm_Zentor::StepSetUpGraphs() { SetUpUsageGraphs(); }

// The first load must unregister nothing: no hotkey is in force yet.
void TForm_Zentor::StepClearHotKeyFlags() {
  for (settings::THotKeyRec& rec : CurrentHotKeys) rec.Enabled = false;
}

void TForm_Zentor::StepLoadSettings() { LoadSettings(false); }

// The record, the hotkeys and the start-up entry are rewritten at every start.
void TForm_Zentor::StepSaveSettings() { SaveSettings(); }

void TForm_Zentor::StepApplySettings() { SpeedButton_AppSet.Click(); }

void TForm_Zentor::StepAddTrayIcon() { AddTrayIcon(); }

void TForm_Zentor::StepFirstRefresh() { Button_GetProcessInfo.Click(); }

void TForm_Zentor::StepAutoOptimizeAtStart() {
  if (CheckBox_Auto.Checked()) SpeedButton_RunAuto.Click();
}

void TForm_Zentor::StepLevelCaption() { TrackBar_OverallOptionChange(); }

void TForm_Zentor::StepEnableHideTimer() { Timer_HideMainWindows.SetEnabled(true); }

void TForm_Zentor::StepShowUsagePage() { SpeedButton_UsageGraph.Click(); }

void TForm_Zentor::Timer_HideMainWindowsTimer() {
  Timer_HideMainWindows.SetEnabled(false);
  if (CheckBox_MinimizeStart.Checked()) HideForm();
}

void TForm_Zentor::FormCloseQuery(bool& canClose) {
  if (CheckBox_CloseMinimize.Checked() && Visible() && !Minimized) {
    HideForm();
    canClose = false;
    return;
  }
  RemoveTrayIcon();
  canClose = true;
  ClearInstanceMark(os_);
}

void TForm_Zentor::Exit1Click() {
  RemoveTrayIcon();
  ClearInstanceMark(os_);
  App().Terminate();
}

}  // namespace app
