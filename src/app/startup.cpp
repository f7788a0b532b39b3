// Start-up and shutdown of the main window: the checks made while it is
// created, the ordered steps of its first showing, and the ways out.

#include <functional>

#include "app/frmmain.h"
#include "app/instance.h"
#include "monitor/cpu_usage.h"
#include "platform/handles.h"

namespace app {

struct TForm_Zentor::StartupStep {
  const char* name;
  void (TForm_Zentor::*run)();
};

// The first showing runs these once, in this order. Steps of subsystems that
// join later take their place in this table:
//   after "StartupDone": history graphs set-up, hotkey flags cleared,
//     LoadSettings(false), SaveSettings(), SpeedButton_AppSet's click,
//     Button_GetProcessInfo's click, automatic optimization when
//     CheckBox_Auto is ticked, the overall-optimization level caption,
//     AddTrayIcon().
const std::vector<TForm_Zentor::StartupStep>& TForm_Zentor::StartupSteps() {
  static const std::vector<StartupStep> steps = {
      {"StartupDone", &TForm_Zentor::StepMarkStartupDone},
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
  platform::HKey raw = 0;
  if (os_.RegOpenKeyExA(platform::kHKeyLocalMachine, kSettingsKey, 0, platform::kKeyRead, &raw) !=
      0) {
    ShowErrorBox(kAdministratorMessage);
    RefuseStart();
    return;
  }
  platform::UniqueKey settingsKey(os_, raw);

  TrayIconHandle = platform::kNoHandle;
}

void TForm_Zentor::FormShow() {
  if (StartupDone) return;
  for (const StartupStep& step : StartupSteps()) {
    startupStepsRun_.push_back(step.name);
    (this->*step.run)();
  }
}

void TForm_Zentor::StepMarkStartupDone() { StartupDone = true; }

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
  // The tray icon joins here when it exists: RemoveTrayIcon() before the mark.
  canClose = true;
  ClearInstanceMark(os_);
}

void TForm_Zentor::Exit1Click() {
  ClearInstanceMark(os_);
  App().Terminate();
}

}  // namespace app
