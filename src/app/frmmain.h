#pragma once
// The main window. It owns every control, timer and piece of state from its
// creation at start to the end of the process; each subsystem defines the
// handlers that belong to it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/rights.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "monitor/cpu_usage.h"
#include "platform/os.h"

namespace app {

class TForm_Zentor : public gui::TForm {
 public:
  TForm_Zentor(gui::TApplication& app, platform::Os& os);
  ~TForm_Zentor() override;

  // --- settings page: options the start-up and close paths read -------------
  gui::TCheckBox CheckBox_CloseMinimize;
  gui::TCheckBox CheckBox_MinimizeStart;
  gui::TCheckBox CheckBox_Auto;

  // --- timers -------------------------------------------------------------------
  gui::TTimer Timer_HideMainWindows;

  // --- events -------------------------------------------------------------------
  void FormCreate();
  void FormShow();
  void FormCloseQuery(bool& canClose);
  void Timer_HideMainWindowsTimer();
  void Exit1Click();

  // --- process-wide values and private fields --------------------------------
  std::int32_t DragOriginX = 0;
  std::int32_t DragOriginY = 0;
  bool StartupDone = false;
  platform::Handle TrayIconHandle = platform::kNoHandle;
  double CpuUsage = 0.0;
  bool Minimized = false;

  std::uint32_t TaskbarCreatedMessage() const { return taskbarCreatedMessage_; }
  monitor::PlatformFamily Family() const { return platformFamily_; }
  const Rights* GetRights() const { return rights_.get(); }
  // The names of the start-up steps run so far, in the order they ran.
  const std::vector<std::string>& StartupStepsRun() const { return startupStepsRun_; }

  platform::Os& GetOs() const { return os_; }

 private:
  struct StartupStep;
  static const std::vector<StartupStep>& StartupSteps();
  void StepMarkStartupDone();
  void StepEnableHideTimer();

  // Ends the program during creation: the window is never shown.
  void RefuseStart();
  void ShowErrorBox(const std::string& text);

  platform::Os& os_;
  std::uint32_t taskbarCreatedMessage_ = 0;
  monitor::PlatformFamily platformFamily_ = monitor::PlatformFamily::None;
  std::unique_ptr<Rights> rights_;
  std::vector<std::string> startupStepsRun_;
};

inline constexpr const char* kSettingsKey = "Software\\Quorvel";
inline constexpr const char* kAdministratorMessage =
    "Can not run this program! Please run this program under administrator' authorization! ";

}  // namespace app
