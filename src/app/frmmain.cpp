#include "app/frmmain.h"

#include "app/control_ids.h"
#include "app/layout.h"

namespace app {

using namespace layout;

PageChrome::PageChrome(gui::TPage& page, int pageId, const std::string& title, bool framed)
    : Strip(&page, pageId + ids::kTitleStripOffset),
      Title(&Strip, pageId + ids::kTitleTextOffset),
      Frame(&page, pageId + ids::kFrameOffset) {
  Strip.SetBounds(0, 0, kPageWidth, kStripHeight);
  Strip.SetColor(kAccent);
  Title.SetBounds(12, 9, kPageWidth - 24, 16);
  Title.SetFont(BoldFont(-13, gui::colors::kWhite));
  Title.SetCaption(title);
  Frame.SetBounds(6, kStripHeight + 6, kPageWidth - 12, kMiddleHeight - kStripHeight - 12);
  Frame.SetColor(gui::colors::kWhite);
  Frame.SetBorder(kFrameColor);
  if (!framed) Frame.Hide();
}

TForm_Zentor::TForm_Zentor(gui::TApplication& app, platform::Os& os)
    : gui::TForm(app, ids::kFormZentor),
      Panel1(this, ids::kPanel1),
      Image1(&Panel1, ids::kImage1),
      SpeedButton5(&Panel1, ids::kSpeedButton5),
      SpeedButton6(&Panel1, ids::kSpeedButton6),
      SpeedButton3(&Panel1, ids::kSpeedButton3),
      SpeedButton2(&Panel1, ids::kSpeedButton2),
      ImageEx2(&Panel1, ids::kImageEx2),
      ImageEx3(&Panel1, ids::kImageEx3),
      Image_Icon(&Panel1, ids::kImageIcon),
      Image_IconBak(&Panel1, ids::kImageIconBak),
      Button_GetProcessInfo(&Panel1, ids::kButtonGetProcessInfo),
      Panel3(this, ids::kPanel3),
      Panel4(&Panel3, ids::kPanel4),
      Image2(&Panel4, ids::kImage2),
      SpeedButton_UsageGraph(&Panel4, ids::kSpeedButtonUsageGraph),
      SpeedButton_full(&Panel4, ids::kSpeedButtonFull),
      SpeedButton_Set(&Panel4, ids::kSpeedButtonSet),
      Label_AutoOptimize(&Panel4, ids::kLabelAutoOptimize),
      Notebook1(&Panel3, ids::kNotebook1),
      Page_UsageGroup(Notebook1.AddPage(ids::kPageUsageGroup, "USAGEGROUP")),
      Page_Processes(Notebook1.AddPage(ids::kPageProcesses, "Processes")),
      Page_Settings(Notebook1.AddPage(ids::kPageSettings, "Settings")),
      Page_About(Notebook1.AddPage(ids::kPageAbout, "About")),
      Page_OverallOpimize(Notebook1.AddPage(ids::kPageOverallOpimize, "OverallOpimize")),
      Chrome_UsageGroup(Page_UsageGroup, ids::kPageUsageGroup, "System Overview"),
      Chrome_Processes(Page_Processes, ids::kPageProcesses, "Optimization", false),
      Chrome_Settings(Page_Settings, ids::kPageSettings, "Settings", false),
      Chrome_About(Page_About, ids::kPageAbout, "About"),
      Label_CPUCaption(&Chrome_UsageGroup.Frame, ids::kLabelCPUCaption),
      Gauge_CPU(&Chrome_UsageGroup.Frame, ids::kGaugeCPU),
      Label_CPUusage(&Chrome_UsageGroup.Frame, ids::kLabelCPUusage),
      Label_MemCaption(&Chrome_UsageGroup.Frame, ids::kLabelMemCaption),
      Gauge_Mem(&Chrome_UsageGroup.Frame, ids::kGaugeMem),
      Label_MemusageNum(&Chrome_UsageGroup.Frame, ids::kLabelMemusageNum),
      Label_VMCaption(&Chrome_UsageGroup.Frame, ids::kLabelVMCaption),
      Gauge_VM(&Chrome_UsageGroup.Frame, ids::kGaugeVM),
      Label_vmnum(&Chrome_UsageGroup.Frame, ids::kLabelVmnum),
      GroupBox_Physical(&Chrome_UsageGroup.Frame, ids::kGroupBoxPhysical),
      Label_pmTotalCaption(&GroupBox_Physical, ids::kLabelPmTotalCaption),
      Label_pmTotal(&GroupBox_Physical, ids::kLabelPmTotal),
      Label_pmFreeCaption(&GroupBox_Physical, ids::kLabelPmFreeCaption),
      Label_pmFree(&GroupBox_Physical, ids::kLabelPmFree),
      Label_pmUsageCaption(&GroupBox_Physical, ids::kLabelPmUsageCaption),
      Label_pmUsage(&GroupBox_Physical, ids::kLabelPmUsage),
      GroupBox_Virtual(&Chrome_UsageGroup.Frame, ids::kGroupBoxVirtual),
      Label_vmTotalCaption(&GroupBox_Virtual, ids::kLabelVmTotalCaption),
      Label_vmTotal(&GroupBox_Virtual, ids::kLabelVmTotal),
      Label_vmFreeCaption(&GroupBox_Virtual, ids::kLabelVmFreeCaption),
      Label_vmFree(&GroupBox_Virtual, ids::kLabelVmFree),
      Label_vmUsageCaption(&GroupBox_Virtual, ids::kLabelVmUsageCaption),
      Label_vmUsage(&GroupBox_Virtual, ids::kLabelVmUsage),
      Label_PMu(&Chrome_UsageGroup.Frame, ids::kLabelPMu),
      Label_VMu(&Chrome_UsageGroup.Frame, ids::kLabelVMu),
      Label_CpuHistory(&Chrome_UsageGroup.Frame, ids::kLabelCpuHistory),
      Chart_CPUs(&Chrome_UsageGroup.Frame, ids::kChartCPUs),
      Label_MemHistory(&Chrome_UsageGroup.Frame, ids::kLabelMemHistory),
      Chart_PhyMem(&Chrome_UsageGroup.Frame, ids::kChartPhyMem),
      Shape_VMKey(&Chrome_UsageGroup.Frame, ids::kShapeVMKey),
      Label_VMKey(&Chrome_UsageGroup.Frame, ids::kLabelVMKey),
      Shape_PMKey(&Chrome_UsageGroup.Frame, ids::kShapePMKey),
      Label_PMKey(&Chrome_UsageGroup.Frame, ids::kLabelPMKey),
      SpeedButton_RunAuto(&Chrome_UsageGroup.Frame, ids::kSpeedButtonRunAuto),
      GroupBox_OverallOptimize(&Page_Processes, ids::kGroupBoxOverallOptimize),
      Label_OptimizeLavel(&GroupBox_OverallOptimize, ids::kLabelOptimizeLavel),
      Label_MaxSpeed(&GroupBox_OverallOptimize, ids::kLabelMaxSpeed),
      TrackBar_OverallOption(&GroupBox_OverallOptimize, ids::kTrackBarOverallOption),
      Label_MaxSpace(&GroupBox_OverallOptimize, ids::kLabelMaxSpace),
      SpeedButton_StartFull(&GroupBox_OverallOptimize, ids::kSpeedButtonStartFull),
      Gauge_OvarallOptimize(&GroupBox_OverallOptimize, ids::kGaugeOvarallOptimize),
      Label_overalloptimizing(&GroupBox_OverallOptimize, ids::kLabelOveralloptimizing),
      CheckBox_MemoryLists(&GroupBox_OverallOptimize, ids::kCheckBoxMemoryLists),
      ListView_ProcessReport(&Page_Processes, ids::kListViewProcessReport),
      SpeedButton_RunAuto2(&Page_Processes, ids::kSpeedButtonRunAuto2),
      ScrollBox_Settings(&Page_Settings, ids::kScrollBoxSettings),
      GroupBox1(&ScrollBox_Settings, ids::kGroupBox1),
      Label1(&GroupBox1, ids::kLabel1),
      SpinEdit_Time(&GroupBox1, ids::kSpinEditTime),
      CheckBox_EmptyClipboard(&GroupBox1, ids::kCheckBoxEmptyClipboard),
      Button_EmptyClipboard(&GroupBox1, ids::kButtonEmptyClipboard),
      CheckBox_AfterMemTrim(&GroupBox1, ids::kCheckBoxAfterMemTrim),
      CheckBox_bstopauto(&GroupBox1, ids::kCheckBoxBstopauto),
      SpinEdit_bstopauto(&GroupBox1, ids::kSpinEditBstopauto),
      Label2(&GroupBox1, ids::kLabel2),
      GroupBox3(&ScrollBox_Settings, ids::kGroupBox3),
      CheckBox_AutoProcessList(&GroupBox3, ids::kCheckBoxAutoProcessList),
      SpinEdit_ProcessListTime(&GroupBox3, ids::kSpinEditProcessListTime),
      Label3(&GroupBox3, ids::kLabel3),
      GroupBox2(&ScrollBox_Settings, ids::kGroupBox2),
      CheckBox_AutoStart(&GroupBox2, ids::kCheckBoxAutoStart),
      Gauge_Mem2(&Page_OverallOpimize, ids::kGaugeMem2),
      Gauge_Cpu2(&Page_OverallOpimize, ids::kGaugeCpu2),
      Label_Mem2Caption(&Page_OverallOpimize, ids::kLabelMem2Caption),
      Label_Cpu2Caption(&Page_OverallOpimize, ids::kLabelCpu2Caption),
      Label_MemusageNum2(&Page_OverallOpimize, ids::kLabelMemusageNum2),
      LTotalRAMCaption(&Page_OverallOpimize, ids::kLTotalRAMCaption),
      LTotalRAM(&Page_OverallOpimize, ids::kLTotalRAM),
      LFreeRAMCaption(&Page_OverallOpimize, ids::kLFreeRAMCaption),
      LFreeRAM(&Page_OverallOpimize, ids::kLFreeRAM),
      LTotalPageCaption(&Page_OverallOpimize, ids::kLTotalPageCaption),
      LTotalPage(&Page_OverallOpimize, ids::kLTotalPage),
      LPageFreeCaption(&Page_OverallOpimize, ids::kLPageFreeCaption),
      LPageFree(&Page_OverallOpimize, ids::kLPageFree),
      LTotalVirtualCaption(&Page_OverallOpimize, ids::kLTotalVirtualCaption),
      LTotalVirtual(&Page_OverallOpimize, ids::kLTotalVirtual),
      LFreeVirtualCaption(&Page_OverallOpimize, ids::kLFreeVirtualCaption),
      LFreeVirtual(&Page_OverallOpimize, ids::kLFreeVirtual),
      Label_Version(&Chrome_About.Frame, ids::kLabelVersion),
      Label_ReleaseDate(&Chrome_About.Frame, ids::kLabelReleaseDate),
      Label_SupportOs(&Chrome_About.Frame, ids::kLabelSupportOs),
      Label_Function(&Chrome_About.Frame, ids::kLabelFunction),
      Label_Email(&Chrome_About.Frame, ids::kLabelEmail),
      Label31(&Chrome_About.Frame, ids::kLabel31),
      Label32(&Chrome_About.Frame, ids::kLabel32),
      StatusBar_State(this, ids::kStatusBarState),
      ImageList1(55, 16),
      CheckBox_Auto(&GroupBox2, ids::kCheckBoxAuto),
      CheckBox_CloseMinimize(&GroupBox2, ids::kCheckBoxCloseMinimize),
      CheckBox_MinimizeStart(&GroupBox2, ids::kCheckBoxMinimizeStart),
      GroupBox7(&ScrollBox_Settings, ids::kGroupBox7),
      CheckBox_AutoOptimizeReg(&GroupBox7, ids::kCheckBoxAutoOptimizeReg),
      Edit_AutoOptimizeKey(&GroupBox7, ids::kEditAutoOptimizeKey),
      CheckBox_TweakMemoryReg(&GroupBox7, ids::kCheckBoxTweakMemoryReg),
      Edit_TweakMemoryKey(&GroupBox7, ids::kEditTweakMemoryKey),
      CheckBox_OpenMainWindowReg(&GroupBox7, ids::kCheckBoxOpenMainWindowReg),
      Edit_OpenMainWindowKey(&GroupBox7, ids::kEditOpenMainWindowKey),
      CheckBox_ProcessExitReg(&GroupBox7, ids::kCheckBoxProcessExitReg),
      Edit_ProcessExitKey(&GroupBox7, ids::kEditProcessExitKey),
      Label_hk1(&GroupBox7, ids::kLabelHk1),
      Label_hk2(&GroupBox7, ids::kLabelHk2),
      Label_hk3(&GroupBox7, ids::kLabelHk3),
      Label_hk4(&GroupBox7, ids::kLabelHk4),
      Panel_SettingsButtons(&Page_Settings, ids::kPanelSettingsButtons),
      SpeedButton_SetVM(&Panel_SettingsButtons, ids::kSpeedButtonSetVM),
      SpeedButton1(&Panel_SettingsButtons, ids::kSpeedButton1),
      SpeedButton_SaveSet(&Panel_SettingsButtons, ids::kSpeedButtonSaveSet),
      SpeedButton_AppSet(&Panel_SettingsButtons, ids::kSpeedButtonAppSet),
      OpenMainWindow1(PopupMenu_Taskbar.Add(ids::kMenuOpenMainWindow, "Open Main Window")),
      N3(PopupMenu_Taskbar.Add(ids::kMenuSeparatorN3, "-")),
      pm_StartautoOptimize(PopupMenu_Taskbar.Add(ids::kMenuStartAutoOptimize, "Start auto optimize")),
      OverallOpimize1(PopupMenu_Taskbar.Add(ids::kMenuOverallOptimize, "Overall Opimize")),
      N2(PopupMenu_Taskbar.Add(ids::kMenuSeparatorN2, "-")),
      Exit1(PopupMenu_Taskbar.Add(ids::kMenuExit, "Exit")),
      Timer_HideMainWindows(app, ids::kTimerHideMainWindows),
      Timer_GetProcessInfo(app, ids::kTimerGetProcessInfo),
      Timer_Auto(app, ids::kTimerAuto),
      Timer_self(app, ids::kTimerSelf),
      os_(os) {
  SetCaption("Quorvel");
  SetColor(gui::colors::kWhite);
  int desktopWidth = 0, desktopHeight = 0;
  app.GetBackend().DesktopSize(desktopWidth, desktopHeight);
  SetClientSizeCentred(kClientWidth, kClientHeight, desktopWidth, desktopHeight);

  LayOutTitleArea();
  LayOutMiddle();
  LayOutUsagePage();
  LayOutProcessesPage();
  LayOutSettingsPage();
  LayOutHotKeyGroup();
  LayOutSettingsButtons();
  LayOutOverallPage();
  LayOutAboutPage();
  LayOutStatusBar();

  Timer_HideMainWindows.SetEnabled(false);
  Timer_HideMainWindows.SetInterval(1);
  Timer_GetProcessInfo.SetEnabled(false);
  Timer_GetProcessInfo.SetInterval(1000);
  Timer_Auto.SetEnabled(false);
  Timer_Auto.SetInterval(4000);
  // The self-trim runs from creation to exit, whatever else happens.
  Timer_self.SetInterval(1000);
  Timer_self.SetEnabled(true);

  ConnectEvents();
}

TForm_Zentor::~TForm_Zentor() {
  // Windows torn down below still send their parent messages: none may
  // reach a handler of a form that is going away.
  OnMessage = nullptr;
  // The system would drop both with the window; they go first here, so
  // nothing of the program's outlives it.
  UnregisterHotKeys();
  TrayIconHandle.Reset();
}

void TForm_Zentor::LayOutTitleArea() {
  Panel1.SetBounds(0, 0, kClientWidth, kTitleHeight);
  Image1.SetBounds(0, 0, kClientWidth, kTitleHeight);
  Image1.SetStretch(true);
  Image1.SetPicture(gui::LoadPictureResource("TITLE"));

  struct Placed {
    gui::TSpeedButton& button;
    int left, top, width, height;
    const char* picture;
    const char* caption;
  };
  for (const Placed& p : {Placed{SpeedButton5, 710, 8, 22, 11, "TITLE_MINIMIZE", "Minimize"},
                          Placed{SpeedButton6, 740, 8, 22, 11, "TITLE_CLOSE", "Close"},
                          Placed{SpeedButton3, 661, 54, 55, 16, "TITLE_ABOUT", "About"},
                          Placed{SpeedButton2, 716, 54, 55, 16, "TITLE_HELP", "Help"}}) {
    p.button.SetBounds(p.left, p.top, p.width, p.height);
    p.button.SetGlyph(gui::LoadPictureResource(p.picture), 4);
    p.button.SetCaption(p.caption);
  }

  // The hover pictures lie over the About and Help buttons and let them
  // show through while the pointer is elsewhere.
  ImageList1.AddStrip(gui::LoadPictureResource("HOVER"));
  ImageEx2.SetBounds(661, 54, 55, 16);
  ImageEx3.SetBounds(716, 54, 55, 16);
  ImageEx2.SetCaption("About");
  ImageEx3.SetCaption("Help");
  for (gui::TImageEx* hover : {&ImageEx2, &ImageEx3}) hover->SetCursor(gui::TCursor::crHandPoint);

  // Drawing surfaces of the tray icon, never shown.
  Image_Icon.SetBounds(0, 0, 16, 16);
  Image_Icon.SetPicture(gui::Bitmap(16, 16, gui::colors::kWhite));
  Image_Icon.Hide();
  Image_IconBak.SetBounds(16, 0, 16, 16);
  Image_IconBak.SetPicture(gui::Bitmap(16, 16, gui::RGBColor(0, 0, 255)));
  Image_IconBak.Hide();

  Button_GetProcessInfo.SetBounds(32, 0, 90, 25);
  Button_GetProcessInfo.SetCaption("GetProcessList");
  Button_GetProcessInfo.Hide();
}

void TForm_Zentor::LayOutMiddle() {
  Panel3.SetBounds(0, kTitleHeight, kClientWidth, kMiddleHeight);
  Panel3.SetColor(gui::colors::kWhite);
  Panel4.SetBounds(0, 0, kNavigationWidth, kMiddleHeight);
  Image2.SetBounds(0, 0, kNavigationWidth, kMiddleHeight);
  Image2.SetStretch(true);
  Image2.SetPicture(gui::LoadPictureResource("NAVIGATION"));

  struct Nav {
    gui::TSpeedButton& button;
    int top;
    const char* picture;
    const char* caption;
  };
  for (const Nav& n : {Nav{SpeedButton_UsageGraph, 40, "NAV_OVERVIEW", "System Overview"},
                       Nav{SpeedButton_full, 96, "NAV_OPTIMIZATION", "Optimization"},
                       Nav{SpeedButton_Set, 152, "NAV_SETTINGS", "Settings"}}) {
    n.button.SetBounds(28, n.top, 116, 29);
    n.button.SetGlyph(gui::LoadPictureResource(n.picture), 4);
    n.button.SetCaption(n.caption);
    n.button.SetGroupIndex(1);
  }
  SpeedButton_UsageGraph.SetDown(true);

  Label_AutoOptimize.SetBounds(8, 346, 121, 13);
  Label_AutoOptimize.SetFont([] {
    gui::TFont f;
    f.color = gui::colors::kWhite;
    return f;
  }());
  Label_AutoOptimize.Hide();

  Notebook1.SetBounds(kNavigationWidth, 0, kPageWidth, kMiddleHeight);
  Notebook1.SetColor(gui::colors::kWhite);
  for (int i = 0; i < Notebook1.PageCount(); ++i) {
    gui::TPage& page = Notebook1.Page(i);
    page.SetBounds(0, 0, kPageWidth, kMiddleHeight);
    page.SetColor(gui::colors::kWhite);
  }
}

void TForm_Zentor::LayOutStatusBar() {
  StatusBar_State.SetBounds(0, kTitleHeight + kMiddleHeight, kClientWidth, kStatusHeight);
  StatusBar_State.SetColor(gui::colors::kWhite);
  StatusBar_State.AddPanel(143, gui::TAlignment::taCenter);
  StatusBar_State.AddPanel(150, gui::TAlignment::taCenter);
  StatusBar_State.AddPanel(50, gui::TAlignment::taLeftJustify);
}

void TForm_Zentor::ConnectEvents() {
  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  Timer_HideMainWindows.OnTimer = [this] { Timer_HideMainWindowsTimer(); };

  SpeedButton_UsageGraph.OnClick = [this] { SpeedButton_UsageGraphClick(); };
  SpeedButton_full.OnClick = [this] { SpeedButton_fullClick(); };
  SpeedButton_Set.OnClick = [this] { SpeedButton_SetClick(); };
  SpeedButton3.OnClick = [this] { SpeedButton3Click(); };
  SpeedButton2.OnClick = [this] { SpeedButton2Click(); };
  SpeedButton5.OnClick = [this] { SpeedButton5Click(); };
  SpeedButton6.OnClick = [this] { SpeedButton6Click(); };
  ImageEx2.OnMouseEnter = [this](gui::TControl& s) { ImageEx2MouseEnter(s); };
  ImageEx3.OnMouseEnter = [this](gui::TControl& s) { ImageEx3MouseEnter(s); };
  ImageEx2.OnMouseLeave = [this](gui::TControl& s) { ImageEx2MouseLeave(s); };
  ImageEx3.OnMouseLeave = [this](gui::TControl& s) { ImageEx3MouseLeave(s); };
  ImageEx2.OnClick = [this] { ImageEx2Click(); };
  ImageEx3.OnClick = [this] { ImageEx3Click(); };
  auto down = [this](gui::TControl& s, gui::TMouseButton b, gui::TShiftState sh, int x, int y) {
    Image1MouseDown(s, b, sh, x, y);
  };
  auto move = [this](gui::TControl& s, gui::TShiftState sh, int x, int y) {
    Image1MouseMove(s, sh, x, y);
  };
  Image1.OnMouseDown = down;
  Image1.OnMouseMove = move;
  StatusBar_State.OnMouseDown = down;
  StatusBar_State.OnMouseMove = move;
  Label32.OnClick = [this] { Label32Click(); };
  Label31.OnClick = [this] { Label31Click(); };

  Button_GetProcessInfo.OnClick = [this] { Button_GetProcessInfoClick(); };
  Timer_GetProcessInfo.OnTimer = [this] { Timer_GetProcessInfoTimer(); };
  CheckBox_AutoProcessList.OnClick = [this] { CheckBox_AutoProcessListClick(); };

  Timer_self.OnTimer = [this] { Timer_selfTimer(); };
  Timer_Auto.OnTimer = [this] { Timer_AutoTimer(); };
  TrackBar_OverallOption.OnChange = [this] { TrackBar_OverallOptionChange(); };
  SpeedButton_StartFull.OnClick = [this] { SpeedButton_StartFullClick(); };
  SpeedButton_RunAuto.OnClick = [this] { SpeedButton_RunAutoClick(); };
  SpeedButton_RunAuto2.OnClick = [this] { SpeedButton_RunAutoClick(); };
  CheckBox_bstopauto.OnClick = [this] { CheckBox_bstopautoClick(); };
  Button_EmptyClipboard.OnClick = [this] { Button_EmptyClipboardClick(); };
  pm_StartautoOptimize.OnClick = [this] { pm_StartautoOptimizeClick(); };
  OverallOpimize1.OnClick = [this] { OverallOpimize1Click(); };
  Exit1.OnClick = [this] { Exit1Click(); };
  // The tray menu's commands also answer as window commands, as a menu's
  // would: that is how the uninstaller asks a running instance to exit.
  OnCommand = [this](int commandId) {
    if (gui::TMenuItem* item = PopupMenu_Taskbar.FindCommand(commandId)) item->Click();
  };
  OpenMainWindow1.OnClick = [this] { OpenMainWindow1Click(); };
  OnMessage = [this](gui::TMessage& m) { WndProc(m); };
  ConnectSettingsEvents();
}

}  // namespace app
