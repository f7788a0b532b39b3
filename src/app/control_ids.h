#pragma once
// Stable control identifiers: tests and screen readers find controls by them.
// Grouped by region and page; a number once given is never reused.

namespace app::ids {

constexpr int kFormZentor = 100;

// Title area.
constexpr int kPanel1 = 200;
constexpr int kImage1 = 201;
constexpr int kSpeedButton5 = 202;  // minimize
constexpr int kSpeedButton6 = 203;  // close
constexpr int kSpeedButton3 = 204;  // About
constexpr int kSpeedButton2 = 205;  // Help
constexpr int kImageEx2 = 206;
constexpr int kImageEx3 = 207;
constexpr int kImageIcon = 208;
constexpr int kImageIconBak = 209;
constexpr int kButtonGetProcessInfo = 210;

// Middle: navigation column and page stack.
constexpr int kPanel3 = 300;
constexpr int kPanel4 = 301;
constexpr int kImage2 = 302;
constexpr int kSpeedButtonUsageGraph = 303;
constexpr int kSpeedButtonFull = 304;
constexpr int kSpeedButtonSet = 305;
constexpr int kLabelAutoOptimize = 306;
constexpr int kNotebook1 = 310;

// Pages, each with its title strip (+1), title text (+2) and frame (+3).
constexpr int kPageUsageGroup = 400;
constexpr int kPageProcesses = 420;
constexpr int kPageSettings = 440;
constexpr int kPageAbout = 460;
constexpr int kPageOverallOpimize = 480;
constexpr int kTitleStripOffset = 1;
constexpr int kTitleTextOffset = 2;
constexpr int kFrameOffset = 3;

// About page lines.
constexpr int kLabelVersion = 464;
constexpr int kLabelReleaseDate = 465;
constexpr int kLabelSupportOs = 466;
constexpr int kLabelFunction = 467;
constexpr int kLabelEmail = 468;
constexpr int kLabel31 = 469;  // mail link
constexpr int kLabel32 = 470;  // web-site link

// Usage page.
constexpr int kLabelCPUCaption = 600;
constexpr int kGaugeCPU = 601;
constexpr int kLabelCPUusage = 602;
constexpr int kLabelMemCaption = 603;
constexpr int kGaugeMem = 604;
constexpr int kLabelMemusageNum = 605;
constexpr int kLabelVMCaption = 606;
constexpr int kGaugeVM = 607;
constexpr int kLabelVmnum = 608;
constexpr int kGroupBoxPhysical = 609;
constexpr int kLabelPmTotalCaption = 610;
constexpr int kLabelPmTotal = 611;
constexpr int kLabelPmFreeCaption = 612;
constexpr int kLabelPmFree = 613;
constexpr int kLabelPmUsageCaption = 614;
constexpr int kLabelPmUsage = 615;
constexpr int kGroupBoxVirtual = 616;
constexpr int kLabelVmTotalCaption = 617;
constexpr int kLabelVmTotal = 618;
constexpr int kLabelVmFreeCaption = 619;
constexpr int kLabelVmFree = 620;
constexpr int kLabelVmUsageCaption = 621;
constexpr int kLabelVmUsage = 622;
constexpr int kLabelPMu = 623;
constexpr int kLabelVMu = 624;
constexpr int kLabelCpuHistory = 625;
constexpr int kChartCPUs = 626;
constexpr int kLabelMemHistory = 627;
constexpr int kChartPhyMem = 628;
constexpr int kShapeVMKey = 629;
constexpr int kLabelVMKey = 630;
constexpr int kShapePMKey = 631;
constexpr int kLabelPMKey = 632;
constexpr int kSpeedButtonRunAuto = 633;

// Processes page.
constexpr int kListViewProcessReport = 650;
constexpr int kGroupBoxOverallOptimize = 651;
constexpr int kLabelOptimizeLavel = 652;
constexpr int kLabelMaxSpeed = 653;
constexpr int kTrackBarOverallOption = 654;
constexpr int kLabelMaxSpace = 655;
constexpr int kSpeedButtonStartFull = 656;
constexpr int kGaugeOvarallOptimize = 657;
constexpr int kLabelOveralloptimizing = 658;
constexpr int kCheckBoxMemoryLists = 660;
constexpr int kSpeedButtonRunAuto2 = 659;

// Settings page.
constexpr int kScrollBoxSettings = 700;
constexpr int kGroupBox3 = 701;
constexpr int kCheckBoxAutoProcessList = 702;
constexpr int kSpinEditProcessListTime = 703;
constexpr int kLabel3 = 704;
constexpr int kGroupBox2 = 705;
constexpr int kCheckBoxAutoStart = 706;
constexpr int kGroupBox1 = 707;
constexpr int kLabel1 = 708;
constexpr int kSpinEditTime = 709;
constexpr int kCheckBoxEmptyClipboard = 710;
constexpr int kButtonEmptyClipboard = 711;
constexpr int kCheckBoxAfterMemTrim = 712;
constexpr int kCheckBoxBstopauto = 713;
constexpr int kSpinEditBstopauto = 714;
constexpr int kLabel2 = 715;

// Overall-optimize page.
constexpr int kGaugeMem2 = 750;
constexpr int kGaugeCpu2 = 751;
constexpr int kLabelMem2Caption = 752;
constexpr int kLabelCpu2Caption = 753;
constexpr int kLabelMemusageNum2 = 754;
constexpr int kLTotalRAMCaption = 755;
constexpr int kLTotalRAM = 756;
constexpr int kLFreeRAMCaption = 757;
constexpr int kLFreeRAM = 758;
constexpr int kLTotalPageCaption = 759;
constexpr int kLTotalPage = 760;
constexpr int kLPageFreeCaption = 761;
constexpr int kLPageFree = 762;
constexpr int kLTotalVirtualCaption = 763;
constexpr int kLTotalVirtual = 764;
constexpr int kLFreeVirtualCaption = 765;
constexpr int kLFreeVirtual = 766;

// Status bar.
constexpr int kStatusBarState = 500;

// Settings page, start-up and close options.
constexpr int kCheckBoxCloseMinimize = 1101;
constexpr int kCheckBoxMinimizeStart = 1102;
constexpr int kCheckBoxAuto = 1103;

// Tray menu commands.
constexpr int kMenuOpenMainWindow = 1201;
constexpr int kMenuSeparatorN3 = 1202;
constexpr int kMenuStartAutoOptimize = 1203;
constexpr int kMenuOverallOptimize = 1204;
constexpr int kMenuSeparatorN2 = 1205;
constexpr int kMenuExit = 1206;

// Settings page, "Register Hot Key".
constexpr int kGroupBox7 = 800;
constexpr int kCheckBoxAutoOptimizeReg = 801;
constexpr int kEditAutoOptimizeKey = 802;
constexpr int kCheckBoxTweakMemoryReg = 803;
constexpr int kEditTweakMemoryKey = 804;
constexpr int kCheckBoxOpenMainWindowReg = 805;
constexpr int kEditOpenMainWindowKey = 806;
constexpr int kCheckBoxProcessExitReg = 807;
constexpr int kEditProcessExitKey = 808;
constexpr int kLabelHk1 = 811;
constexpr int kLabelHk2 = 812;
constexpr int kLabelHk3 = 813;
constexpr int kLabelHk4 = 814;

// Settings page, the button bar.
constexpr int kPanelSettingsButtons = 850;
constexpr int kSpeedButtonSetVM = 851;
constexpr int kSpeedButton1 = 852;
constexpr int kSpeedButtonSaveSet = 853;
constexpr int kSpeedButtonAppSet = 854;

// Timers.
constexpr int kTimerHideMainWindows = 1;
constexpr int kTimerGetProcessInfo = 2;
constexpr int kTimerAuto = 3;
constexpr int kTimerSelf = 4;

}  // namespace app::ids
