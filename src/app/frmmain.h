#pragma once
// The main window. It owns every control, timer and piece of state from its
// creation at start to the end of the process. Its handlers, in the files
// of this folder named after their areas, run the subsystems and bind what
// they return to the controls.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/rights.h"
#include "app/version.h"
#include "gui/application.h"
#include "gui/chart.h"
#include "gui/controls.h"
#include "monitor/cpu_usage.h"
#include "monitor/memory_status.h"
#include "platform/handles.h"
#include "platform/os.h"
#include "settings/settings_record.h"

namespace app {

// Where the About page and the links lead. Addresses under a domain kept
// for examples until the product has its own.
inline constexpr const char* ProductWebSite = "http://www.quorvel.example.com/";
inline constexpr const char* ProductHelpPage = "http://www.quorvel.example.com/help.html";
inline constexpr const char* SupportMailAddress = "support@quorvel.example.com";
inline constexpr const char* ProductVersionLine = "Version: " QUORVEL_VERSION_TEXT;
inline constexpr const char* ReleaseDateLine = "Release date: December 7, 2026";

// A page's title strip with its bold caption, and the frame below it
// (hidden on pages whose content fills the whole width).
struct PageChrome {
  PageChrome(gui::TPage& page, int pageId, const std::string& title, bool framed = true);
  gui::TPanel Strip;
  gui::TLabel Title;
  gui::TPanel Frame;
};

class TForm_Zentor : public gui::TForm {
 public:
  TForm_Zentor(gui::TApplication& app, platform::Os& os);
  ~TForm_Zentor() override;

  // --- title area ----------------------------------------------------------------
  gui::TPanel Panel1;
  gui::TImage Image1;
  gui::TSpeedButton SpeedButton5;  // minimize
  gui::TSpeedButton SpeedButton6;  // close
  gui::TSpeedButton SpeedButton3;  // About
  gui::TSpeedButton SpeedButton2;  // Help
  gui::TImageEx ImageEx2;
  gui::TImageEx ImageEx3;
  gui::TImage Image_Icon;
  gui::TImage Image_IconBak;
  gui::TButton Button_GetProcessInfo;

  // --- middle: navigation column and pages -------------------------------------
  gui::TPanel Panel3;
  gui::TPanel Panel4;
  gui::TImage Image2;
  gui::TSpeedButton SpeedButton_UsageGraph;
  gui::TSpeedButton SpeedButton_full;
  gui::TSpeedButton SpeedButton_Set;
  gui::TLabel Label_AutoOptimize;
  gui::TNotebook Notebook1;
  gui::TPage& Page_UsageGroup;
  gui::TPage& Page_Processes;
  gui::TPage& Page_Settings;
  gui::TPage& Page_About;
  gui::TPage& Page_OverallOpimize;
  PageChrome Chrome_UsageGroup;
  PageChrome Chrome_Processes;
  PageChrome Chrome_Settings;
  PageChrome Chrome_About;

  // --- usage page ("USAGEGROUP") ---------------------------------------------------
  gui::TLabel Label_CPUCaption;
  gui::TGauge Gauge_CPU;
  gui::TLabel Label_CPUusage;
  gui::TLabel Label_MemCaption;
  gui::TGauge Gauge_Mem;
  gui::TLabel Label_MemusageNum;
  gui::TLabel Label_VMCaption;
  gui::TGauge Gauge_VM;
  gui::TLabel Label_vmnum;
  gui::TGroupBox GroupBox_Physical;
  gui::TLabel Label_pmTotalCaption, Label_pmTotal;
  gui::TLabel Label_pmFreeCaption, Label_pmFree;
  gui::TLabel Label_pmUsageCaption, Label_pmUsage;
  gui::TGroupBox GroupBox_Virtual;
  gui::TLabel Label_vmTotalCaption, Label_vmTotal;
  gui::TLabel Label_vmFreeCaption, Label_vmFree;
  gui::TLabel Label_vmUsageCaption, Label_vmUsage;
  gui::TLabel Label_PMu;
  gui::TLabel Label_VMu;
  gui::TLabel Label_CpuHistory;
  gui::TChart Chart_CPUs;
  gui::TLabel Label_MemHistory;
  gui::TChart Chart_PhyMem;
  gui::TPanel Shape_VMKey;
  gui::TLabel Label_VMKey;
  gui::TPanel Shape_PMKey;
  gui::TLabel Label_PMKey;
  gui::TSpeedButton SpeedButton_RunAuto;  // toggles automatic optimization

  // --- processes page ("Processes", titled Optimization) ----------------------------
  gui::TGroupBox GroupBox_OverallOptimize;  // "Overall optimize"
  gui::TLabel Label_OptimizeLavel;
  gui::TLabel Label_MaxSpeed;
  gui::TTrackBar TrackBar_OverallOption;
  gui::TLabel Label_MaxSpace;
  gui::TSpeedButton SpeedButton_StartFull;
  gui::TGauge Gauge_OvarallOptimize;
  gui::TLabel Label_overalloptimizing;
  // Also empty the system's memory lists after the trimming; disabled where
  // the system cannot.
  gui::TCheckBox CheckBox_MemoryLists;
  gui::TListView ListView_ProcessReport;
  gui::TSpeedButton SpeedButton_RunAuto2;  // second copy of SpeedButton_RunAuto

  // --- settings page -------------------------------------------------------------------
  gui::TScrollBox ScrollBox_Settings;
  gui::TGroupBox GroupBox1;  // "Auto Settings"
  gui::TLabel Label1;
  gui::TSpinEdit SpinEdit_Time;
  gui::TCheckBox CheckBox_EmptyClipboard;
  gui::TSpeedButton Button_EmptyClipboard;
  gui::TCheckBox CheckBox_AfterMemTrim;
  gui::TCheckBox CheckBox_bstopauto;
  gui::TSpinEdit SpinEdit_bstopauto;
  gui::TLabel Label2;
  gui::TGroupBox GroupBox3;
  gui::TCheckBox CheckBox_AutoProcessList;
  gui::TSpinEdit SpinEdit_ProcessListTime;
  gui::TLabel Label3;
  gui::TGroupBox GroupBox2;
  gui::TCheckBox CheckBox_AutoStart;

  // --- overall-optimize page ("OverallOpimize") ----------------------------------------
  gui::TGauge Gauge_Mem2;
  gui::TGauge Gauge_Cpu2;
  gui::TLabel Label_Mem2Caption;
  gui::TLabel Label_Cpu2Caption;
  gui::TLabel Label_MemusageNum2;
  gui::TLabel LTotalRAMCaption, LTotalRAM;
  gui::TLabel LFreeRAMCaption, LFreeRAM;
  gui::TLabel LTotalPageCaption, LTotalPage;
  gui::TLabel LPageFreeCaption, LPageFree;
  gui::TLabel LTotalVirtualCaption, LTotalVirtual;
  gui::TLabel LFreeVirtualCaption, LFreeVirtual;

  // --- About page ------------------------------------------------------------------
  gui::TLabel Label_Version;
  gui::TLabel Label_ReleaseDate;
  gui::TLabel Label_SupportOs;
  gui::TLabel Label_Function;
  gui::TLabel Label_Email;
  gui::TLabel Label31;  // mail link
  gui::TLabel Label32;  // web-site link

  // --- status bar --------------------------------------------------------------------
  gui::TStatusBar StatusBar_State;

  gui::TImageList ImageList1;

  // --- settings page, "Startup Settings": options start-up and closing read ------
  gui::TCheckBox CheckBox_Auto;
  gui::TCheckBox CheckBox_CloseMinimize;
  gui::TCheckBox CheckBox_MinimizeStart;

  // --- settings page, "Register Hot Key" (in tab order) ------------------------
  gui::TGroupBox GroupBox7;
  gui::TCheckBox CheckBox_AutoOptimizeReg;
  gui::TEdit Edit_AutoOptimizeKey;
  gui::TCheckBox CheckBox_TweakMemoryReg;
  gui::TEdit Edit_TweakMemoryKey;
  gui::TCheckBox CheckBox_OpenMainWindowReg;
  gui::TEdit Edit_OpenMainWindowKey;
  gui::TCheckBox CheckBox_ProcessExitReg;
  gui::TEdit Edit_ProcessExitKey;
  gui::TLabel Label_hk1;
  gui::TLabel Label_hk2;
  gui::TLabel Label_hk3;
  gui::TLabel Label_hk4;

  // --- settings page, the button bar at its foot ------------------------------
  gui::TPanel Panel_SettingsButtons;
  gui::TSpeedButton SpeedButton_SetVM;     // Auto Manage VM
  gui::TSpeedButton SpeedButton1;          // Default
  gui::TSpeedButton SpeedButton_SaveSet;   // Save Settings
  gui::TSpeedButton SpeedButton_AppSet;    // apply; never shown

  // --- tray menu ---------------------------------------------------------------
  gui::TPopupMenu PopupMenu_Taskbar;
  gui::TMenuItem& OpenMainWindow1;
  gui::TMenuItem& N3;
  gui::TMenuItem& pm_StartautoOptimize;
  gui::TMenuItem& OverallOpimize1;
  gui::TMenuItem& N2;
  gui::TMenuItem& Exit1;

  // --- timers -------------------------------------------------------------------
  gui::TTimer Timer_HideMainWindows;
  gui::TTimer Timer_GetProcessInfo;
  gui::TTimer Timer_Auto;
  gui::TTimer Timer_self;

  // --- start-up and shutdown -----------------------------------------------------
  void FormCreate();
  void FormShow();
  void FormCloseQuery(bool& canClose);
  void Timer_HideMainWindowsTimer();
  void Exit1Click();

  // --- status refresh ---------------------------------------------------------------
  void Button_GetProcessInfoClick();
  void Timer_GetProcessInfoTimer();
  void CheckBox_AutoProcessListClick();
  // The one-time set-up of the two history graphs.
  void SetUpUsageGraphs();

  // --- memory optimization ----------------------------------------------------------
  void Timer_selfTimer();
  void TrackBar_OverallOptionChange();
  void SpeedButton_StartFullClick();
  void OverallOpimize1Click();
  void SpeedButton_RunAutoClick();
  void pm_StartautoOptimizeClick();
  void Timer_AutoTimer();
  void CheckBox_bstopautoClick();
  void Button_EmptyClipboardClick();

  // --- settings store and page file ---------------------------------------------
  void LoadSettings(bool UseDefaults);
  void SaveSettings();
  void SpeedButton_AppSetClick();
  void SpeedButton_SaveSetClick();
  void SpeedButton1Click();
  void SpeedButton_SetVMClick();

  // --- global hotkeys -------------------------------------------------------------
  settings::HotKeyTable CurrentHotKeys{};
  settings::HotKeyTable PendingHotKeys{};
  void RegisterHotKeys();
  void UnregisterHotKeys();
  void Edit_AutoOptimizeKeyKeyDown(gui::TControl& sender, std::uint16_t& key, gui::TShiftState shift);
  void Edit_TweakMemoryKeyKeyDown(gui::TControl& sender, std::uint16_t& key, gui::TShiftState shift);
  void Edit_OpenMainWindowKeyKeyDown(gui::TControl& sender, std::uint16_t& key,
                                     gui::TShiftState shift);
  void Edit_ProcessExitKeyKeyDown(gui::TControl& sender, std::uint16_t& key, gui::TShiftState shift);
  void Edit_AutoOptimizeKeyKeyUp(gui::TControl& sender, std::uint16_t& key, gui::TShiftState shift);
  void Edit_TweakMemoryKeyKeyUp(gui::TControl& sender, std::uint16_t& key, gui::TShiftState shift);
  void Edit_OpenMainWindowKeyKeyUp(gui::TControl& sender, std::uint16_t& key, gui::TShiftState shift);
  void Edit_ProcessExitKeyKeyUp(gui::TControl& sender, std::uint16_t& key, gui::TShiftState shift);
  void CheckBox_AutoOptimizeRegClick();
  void CheckBox_TweakMemoryRegClick();
  void CheckBox_OpenMainWindowRegClick();
  void CheckBox_ProcessExitRegClick();
  void WMHotKey(const gui::TMessage& message);

  // --- tray icon ------------------------------------------------------------------
  void AddTrayIcon();
  void UpdateTrayIcon();
  void RemoveTrayIcon();
  // A new icon of the load picture; the caller owns it.
  platform::Handle DrawTrayIcon();
  // Sees every message of the window before its normal handling.
  void WndProc(gui::TMessage& message);
  void OpenMainWindow1Click();

  // --- navigation, title buttons, dragging and links -------------------------------
  void SpeedButton_UsageGraphClick();
  void SpeedButton_fullClick();
  void SpeedButton_SetClick();
  void SpeedButton3Click();
  void SpeedButton2Click();
  void SpeedButton5Click();
  void SpeedButton6Click();
  void ImageEx2MouseEnter(gui::TControl& sender);
  void ImageEx3MouseEnter(gui::TControl& sender);
  void ImageEx2MouseLeave(gui::TControl& sender);
  void ImageEx3MouseLeave(gui::TControl& sender);
  void ImageEx2Click();
  void ImageEx3Click();
  void Image1MouseDown(gui::TControl& sender, gui::TMouseButton button, gui::TShiftState shift,
                       int x, int y);
  void Image1MouseMove(gui::TControl& sender, gui::TShiftState shift, int x, int y);
  void Label32Click();
  void Label31Click();
  // Opens the address in a new browser window through the browser's
  // automation object; a failure goes to the error box with the system's text.
  void OpenWebPage(const std::string& url);

  // --- process-wide values and private fields --------------------------------
  std::int32_t DragOriginX = 0;
  std::int32_t DragOriginY = 0;
  bool StartupDone = false;
  // The icon the notification area shows, destroyed when the next is made.
  platform::UniqueIcon TrayIconHandle;
  double CpuUsage = 0.0;
  bool Minimized = false;

  std::uint32_t TaskbarCreatedMessage() const { return taskbarCreatedMessage_; }
  monitor::PlatformFamily Family() const { return platformFamily_; }
  const Rights* GetRights() const { return rights_.get(); }
  // The names of the start-up steps run so far, in the order they ran.
  const std::vector<std::string>& StartupStepsRun() const { return startupStepsRun_; }

  platform::Os& GetOs() const { return os_; }
  monitor::CpuUsageSampler* Sampler() const { return sampler_.get(); }

 private:
  struct StartupStep;
  static const std::vector<StartupStep>& StartupSteps();
  void StepMarkStartupDone();
  void StepSetUpGraphs();
  void StepClearHotKeyFlags();
  void StepLoadSettings();
  void StepSaveSettings();
  void StepApplySettings();
  void StepAddTrayIcon();
  void StepFirstRefresh();
  void StepAutoOptimizeAtStart();
  void StepLevelCaption();
  void StepEnableHideTimer();
  void StepShowUsagePage();

  // One status refresh; Button_GetProcessInfoClick keeps them from nesting.
  void RefreshStatus();
  bool refreshRunning_ = false;
  bool refreshPending_ = false;

  void LayOutTitleArea();
  void LayOutMiddle();
  void LayOutUsagePage();
  void LayOutProcessesPage();
  void LayOutSettingsPage();
  void LayOutOverallPage();
  void LayOutAboutPage();
  void LayOutStatusBar();
  void LayOutHotKeyGroup();
  void LayOutSettingsButtons();
  void ConnectSettingsEvents();

  // The check box, edit and status label of one hotkey slot.
  struct HotKeySlot {
    gui::TCheckBox& check;
    gui::TEdit& edit;
    gui::TLabel& label;
  };
  HotKeySlot SlotControls(int slot);
  void HotKeyKeyDown(int slot, std::uint16_t& key, gui::TShiftState shift);
  void HotKeyKeyUp(int slot, std::uint16_t& key, gui::TShiftState shift);
  // The settings-page control a field of the record maps to, by name.
  gui::TControl* SettingsControl(const std::string& name);
  // Lays the stored record over `record`; throws the load's errors.
  void ShowFromTray();
  std::uintptr_t WindowHandle() const;
  void ConnectEvents();

  // Ends the program during creation: the window is never shown.
  void RefuseStart();
  void ShowErrorBox(const std::string& text);
  // Status panel 1 and the hidden label, which carry the same state text.
  void SetAutoStateText(const std::string& text);

  platform::Os& os_;
  std::uint32_t taskbarCreatedMessage_ = 0;
  monitor::PlatformFamily platformFamily_ = monitor::PlatformFamily::None;
  std::unique_ptr<Rights> rights_;
  std::unique_ptr<monitor::CpuUsageSampler> sampler_;
  std::vector<std::string> startupStepsRun_;
};

// Window positions the system accepts: 16-bit coordinates.
inline constexpr int kMinWindowCoordinate = -32768;
inline constexpr int kMaxWindowCoordinate = 32767;

inline constexpr const char* kAdministratorMessage =
    "Can not run this program! Please run this program under administrator' authorization! ";

}  // namespace app
