#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include "app/frmmain.h"
#include "program_fixture.h"

namespace app {
namespace {

constexpr std::uint32_t kMB = 1u << 20;

monitor::MemoryStatus Memory(std::uint32_t availMB, std::uint32_t totalMB = 2047) {
  monitor::MemoryStatus m;
  m.ullTotalPhys = totalMB * kMB;
  m.ullAvailPhys = availMB * kMB;
  m.ullTotalPageFile = 1000 * kMB;
  m.ullAvailPageFile = 1000 * kMB;
  return m;
}

TEST(TrayLayout, TextIsPaddedToThreePlacesAndFourDigitsGetTheSmallerFont) {
  TrayIconLayout five = ComputeTrayIconLayout(Memory(5), 0);
  EXPECT_EQ(five.text, "  5");
  EXPECT_EQ(five.fontHeight, 10);
  EXPECT_EQ(five.textX, 0);
  EXPECT_EQ(five.textY, -1);
  EXPECT_EQ(ComputeTrayIconLayout(Memory(42), 0).text, " 42");
  TrayIconLayout big = ComputeTrayIconLayout(Memory(1234), 0);
  EXPECT_EQ(big.text, "1234");
  EXPECT_EQ(big.fontHeight, 8);
  EXPECT_EQ(big.textY, 0);
  TrayIconLayout back = ComputeTrayIconLayout(Memory(999), 0);
  EXPECT_EQ(back.text, "999");
  EXPECT_EQ(back.fontHeight, 10);
  EXPECT_EQ(back.textY, -1);
  // Only whole megabytes: a byte short of 1 MB is 0.
  monitor::MemoryStatus m = Memory(0);
  m.ullAvailPhys = kMB - 1;
  EXPECT_EQ(ComputeTrayIconLayout(m, 0).text, "  0");
}

// Five digits do not fit: the free memory goes over to whole gigabytes,
// and the character count of that text picks the font as before.
TEST(TrayLayout, FiveDigitsOfMegabytesBecomeWholeGigabytes) {
  struct Case {
    std::uint64_t availBytes;
    const char* text;
    int fontHeight;
    int textY;
  } cases[] = {
      {9999ull << 20, "9999", 8, 0},
      {(10000ull << 20) - 1, "9999", 8, 0},
      {10000ull << 20, " 9G", 10, -1},               // 9.77 GB
      {(23482ull << 20) + 600000, "22G", 10, -1},    // 22.93 GB: cut, not rounded
      {99ull << 30, "99G", 10, -1},
      {100ull << 30, "100G", 8, 0},
      {(1ull << 40) + 5, "1024G", 8, 0},
  };
  for (const Case& c : cases) {
    monitor::MemoryStatus m;
    m.ullTotalPhys = 2ull << 40;
    m.ullAvailPhys = c.availBytes;
    const TrayIconLayout layout = ComputeTrayIconLayout(m, 0);
    EXPECT_EQ(layout.text, c.text) << c.availBytes;
    EXPECT_EQ(layout.fontHeight, c.fontHeight) << c.text;
    EXPECT_EQ(layout.textY, c.textY) << c.text;
  }
}

TEST(TrayTip, WritesBothFiguresInFullPastFourDigits) {
  monitor::MemoryStatus m;
  m.ullTotalPhys = (24105ull << 20) + 123456;
  m.ullAvailPhys = (23482ull << 20) + 600000;
  EXPECT_EQ(TrayTipText(m), "23482 MB free of 24105 MB physical memory");
  // The largest counts there are still leave room for the terminating zero.
  m.ullTotalPhys = ~0ull;
  m.ullAvailPhys = ~0ull;
  EXPECT_EQ(TrayTipText(m), "17592186044415 MB free of 17592186044415 MB physical memory");
  EXPECT_LT(TrayTipText(m).size(), sizeof(platform::NotifyIconData{}.szTip));
}

TEST(TrayLayout, PhysicalBarTurnsRedOnlyAboveEightyPercent) {
  monitor::MemoryStatus m = Memory(0, 1000);
  m.ullAvailPhys = 200 * kMB;  // exactly 80 % used
  TrayBar at = ComputeTrayIconLayout(m, 0).bars[0];
  EXPECT_EQ(at.top, 13);
  EXPECT_EQ(at.fill, 12);
  EXPECT_EQ(at.color, tray::kPhysical);
  m.ullAvailPhys = 200 * kMB - 1;
  EXPECT_EQ(ComputeTrayIconLayout(m, 0).bars[0].color, tray::kBusy);
}

TEST(TrayLayout, ProcessorBarIsWholeSixteenthsOfThePercentage) {
  struct Case {
    double cpu;
    int fill;
    gui::TColor color;
  } cases[] = {{100, 16, tray::kBusy}, {80, 12, tray::kProcessor}, {80.5, 12, tray::kBusy},
               {6, 0, tray::kProcessor}, {6.25, 1, tray::kProcessor}, {0, 0, tray::kProcessor},
               {-3, 0, tray::kProcessor}, {250, 16, tray::kBusy}};
  for (const Case& c : cases) {
    TrayBar bar = ComputeTrayIconLayout(Memory(500), c.cpu).bars[2];
    EXPECT_EQ(bar.top, 9);
    EXPECT_EQ(bar.fill, c.fill) << c.cpu;
    EXPECT_EQ(bar.color, c.color) << c.cpu;
  }
}

TEST(TrayLayout, PageFileBarWithoutAPageFileOrWithOddFiguresFillsNothing) {
  monitor::MemoryStatus m = Memory(500);
  m.ullTotalPageFile = 0;
  m.ullAvailPageFile = 0;
  TrayBar none = ComputeTrayIconLayout(m, 0).bars[1];
  EXPECT_EQ(none.top, 11);
  EXPECT_EQ(none.fill, 0);
  // Wine reports more available than the total: nothing counts as used.
  m.ullTotalPageFile = 0xFFF7FFFFu;
  m.ullAvailPageFile = 0xFFFFFFFFu;
  EXPECT_EQ(ComputeTrayIconLayout(m, 0).bars[1].fill, 0);
  m.ullTotalPageFile = 1000 * kMB;
  m.ullAvailPageFile = 100 * kMB;
  TrayBar busy = ComputeTrayIconLayout(m, 0).bars[1];
  EXPECT_EQ(busy.fill, 14);
  EXPECT_EQ(busy.color, tray::kBusy);
  m.ullAvailPageFile = 500 * kMB;
  EXPECT_EQ(ComputeTrayIconLayout(m, 0).bars[1].color, tray::kPageFile);
  monitor::MemoryStatus noMemory;
  EXPECT_EQ(ComputeTrayIconLayout(noMemory, 0).bars[0].fill, 0) << "a total of 0 must not stop it";
}

TEST(TrayLayout, TipNamesFreeAndTotalMegabytes) {
  EXPECT_EQ(TrayTipText(Memory(1234, 2047)), "1234 MB free of 2047 MB physical memory");
  monitor::MemoryStatus m = Memory(0, 0);
  m.ullTotalPhys = 0xFFFFFFFFu;
  m.ullAvailPhys = 0xFFFFFFFFu;
  const std::string tip = TrayTipText(m);
  EXPECT_EQ(tip, "4095 MB free of 4095 MB physical memory");
  EXPECT_LE(tip.size(), 39u);
}

TEST(TrayMask, TransparentWhereThePixelHasTheBottomLeftColour) {
  gui::Bitmap picture(16, 16, tray::kGround);
  picture.SetPixel(3, 4, tray::kTextCell);
  picture.SetPixel(15, 15, gui::RGBColor(0, 0, 254));
  const platform::IconImage image = MakeIconImage(picture);
  ASSERT_EQ(image.mask.size(), 256u);
  EXPECT_EQ(image.bgr, picture.Bgr());
  EXPECT_EQ(image.mask[4 * 16 + 3], 0);
  EXPECT_EQ(image.mask[15 * 16 + 15], 0) << "a near colour is not the ground";
  EXPECT_EQ(image.mask[15 * 16 + 0], 1);
  EXPECT_EQ(image.mask[0], 1);
}

// The whole picture through the program, pixel by pixel.
class TrayPicture : public testing::ProgramTest {
 protected:
  void StartWith(std::uint32_t availMB, std::uint32_t totalMB = 2047) {
    os.memory.ullTotalPhys = totalMB * kMB;
    os.memory.ullAvailPhys = availMB * kMB;
    os.memory.ullTotalPageFile = 1000 * kMB;
    os.memory.ullAvailPageFile = 750 * kMB;
    StartProgram();
    ASSERT_TRUE(started);
  }
  // Each pixel as a letter: B ground, W text cell, K glyph, S track,
  // O orange, P purple, G green, R red.
  std::vector<std::string> Letters(const platform::IconImage& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < 16; ++y) {
      std::string row;
      for (int x = 0; x < 16; ++x) {
        const std::size_t i = (static_cast<std::size_t>(y) * 16 + x) * 3;
        const gui::TColor c = gui::RGBColor(image.bgr[i + 2], image.bgr[i + 1], image.bgr[i]);
        char letter = '?';
        if (c == tray::kGround) letter = 'B';
        if (c == tray::kTextCell) letter = 'W';
        if (c == tray::kText) letter = 'K';
        if (c == tray::kTrack) letter = 'S';
        if (c == tray::kPhysical) letter = 'O';
        if (c == tray::kPageFile) letter = 'P';
        if (c == tray::kProcessor) letter = 'G';
        if (c == tray::kBusy) letter = 'R';
        row += letter;
      }
      rows.push_back(row);
    }
    return rows;
  }
  const platform::IconImage& Shown() {
    const platform::IconImage* image = os.IconImageOf(os.TrayIcons().at(0).icon);
    EXPECT_NE(image, nullptr);
    return *image;
  }
};

TEST_F(TrayPicture, FiveMegabytesFreeAtCellHeightTen) {
  StartWith(5);
  Form().Button_GetProcessInfo.Click();
  // The headless face: 5-pixel cells; "  5" covers columns 0-14 and rows
  // -1..8, the digit's mark in the middle of the third cell (column 12).
  // 2042 of 2047 MB used: 15 red columns; a quarter of the page file: 4.
  const std::vector<std::string> expected = {
      "WWWWWWWWWWWWWWWB", "WWWWWWWWWWWWWWWB", "WWWWWWWWWWWWWWWB", "WWWWWWWWWWWWWWWB",
      "WWWWWWWWWWWWKWWB", "WWWWWWWWWWWWWWWB", "WWWWWWWWWWWWWWWB", "WWWWWWWWWWWWWWWB",
      "WWWWWWWWWWWWWWWB", "SSSSSSSSSSSSSSSS", "SSSSSSSSSSSSSSSS", "PPPPSSSSSSSSSSSS",
      "PPPPSSSSSSSSSSSS", "RRRRRRRRRRRRRRRS", "RRRRRRRRRRRRRRRS", "BBBBBBBBBBBBBBBB",
  };
  EXPECT_EQ(Letters(Shown()), expected);
  // Row 15 and the column right of the text are the ground: transparent.
  const platform::IconImage& image = Shown();
  for (int x = 0; x < 16; ++x) EXPECT_EQ(image.mask[15 * 16 + x], 1) << x;
  EXPECT_EQ(image.mask[0 * 16 + 15], 1);
  EXPECT_EQ(image.mask[0 * 16 + 0], 0);
  EXPECT_EQ(os.TrayIcons()[0].tip, "5 MB free of 2047 MB physical memory");
}

TEST_F(TrayPicture, FourDigitsAtCellHeightEightFromTheTopAndBackToTen) {
  StartWith(1234);
  Form().Button_GetProcessInfo.Click();
  std::vector<std::string> rows = Letters(Shown());
  // Four 4-pixel cells from row 0 to row 7, the marks on row 4.
  EXPECT_EQ(rows[0], "WWWWWWWWWWWWWWWW");
  EXPECT_EQ(rows[4], "WWKWWWKWWWKWWWKW");
  EXPECT_EQ(rows[7], "WWWWWWWWWWWWWWWW");
  EXPECT_EQ(rows[8], "BBBBBBBBBBBBBBBB");
  EXPECT_EQ(rows[13], "OOOOOOSSSSSSSSSS") << "813 of 2047 MB used: 6 columns";

  os.memory.ullAvailPhys = 999 * kMB;
  Form().Button_GetProcessInfo.Click();
  rows = Letters(Shown());
  EXPECT_EQ(rows[8], "WWWWWWWWWWWWWWWB") << "height 10 again, from row -1";
  EXPECT_EQ(rows[4], "WWKWWWWKWWWWKWWB");
}

TEST_F(TrayPicture, ProcessorBarFollowsTheLastReading) {
  StartWith(500);
  Form().CpuUsage = 100;
  Form().UpdateTrayIcon();
  EXPECT_EQ(Letters(Shown())[9], "RRRRRRRRRRRRRRRR");
  Form().CpuUsage = 80;
  Form().UpdateTrayIcon();
  EXPECT_EQ(Letters(Shown())[10], "GGGGGGGGGGGGSSSS");
  Form().CpuUsage = 6;
  Form().UpdateTrayIcon();
  EXPECT_EQ(Letters(Shown())[9], "SSSSSSSSSSSSSSSS");
}

TEST_F(TrayPicture, DrawingSurfaceKeepsTheLastPictureAndTheGroundStaysBlue) {
  StartWith(5);
  Form().Button_GetProcessInfo.Click();
  EXPECT_EQ(Form().Image_Icon.Picture().Bgr(), Shown().bgr);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(Form().Image_IconBak.Picture().Pixel(x, y), tray::kGround);
    }
  }
}

class Tray : public testing::ProgramTest {
 protected:
  void Start() {
    StartProgram();
    ASSERT_TRUE(started);
  }
  void Callback(std::intptr_t mouse) {
    gui::TMessage m{kTrayCallbackMessage, kTrayIconId, mouse};
    Form().DeliverMessage(m);
  }
  std::uintptr_t Window() { return backend.NativeHandle(Form()); }
};

TEST_F(Tray, StartAddsTheIconWithTheProgramsName) {
  Start();
  ASSERT_EQ(os.TrayIcons().size(), 1u);
  const auto& icon = os.TrayIcons()[0];
  EXPECT_EQ(icon.window, Window());
  EXPECT_EQ(icon.id, 1u);
  EXPECT_EQ(icon.callbackMessage, 3001u);
  EXPECT_EQ(icon.tip, "Quorvel");
  EXPECT_NE(icon.icon, platform::kNoHandle);
  // The first refresh ran before the icon existed: its modify found none.
  const std::vector<std::string>& calls = os.Calls();
  std::vector<std::string> tray;
  for (const std::string& c : calls) {
    if (c.rfind("Shell_NotifyIconA", 0) == 0) tray.push_back(c);
  }
  EXPECT_EQ(tray, (std::vector<std::string>{"Shell_NotifyIconA(1)", "Shell_NotifyIconA(2)",
                                            "Shell_NotifyIconA(0)"}));
  EXPECT_EQ(os.LiveIcons(), 1u);
}

TEST_F(Tray, RefreshRenewsTheTipAndTheIcon) {
  Start();
  const platform::Handle first = os.TrayIcons()[0].icon;
  backend.AdvanceBy(2000);
  EXPECT_EQ(os.TrayIcons()[0].tip, "300 MB free of 512 MB physical memory");
  EXPECT_NE(os.TrayIcons()[0].icon, first);
  EXPECT_EQ(os.LiveIcons(), 1u);
  EXPECT_EQ(Form().TrayIconHandle.Get(), os.TrayIcons()[0].icon);
}

TEST_F(Tray, TenThousandRefreshesKeepOneLiveIcon) {
  Start();
  os.logCalls = false;
  for (int i = 0; i < 10000; ++i) {
    os.memory.ullAvailPhys = static_cast<std::uint32_t>((i % 500) + 1) * kMB;
    Form().Button_GetProcessInfo.Click();
    ASSERT_EQ(os.LiveIcons(), 1u) << "after refresh " << i;
  }
  EndProgram();
  EXPECT_EQ(os.LiveIcons(), 0u) << "the last icon goes with the window";
}

TEST_F(Tray, RightButtonOpensTheMenuAtThePointer) {
  Start();
  os.cursorX = 1000;
  os.cursorY = 747;
  Form().SetCursor(gui::TCursor::crHandPoint);
  Callback(kWmRButtonDown);
  EXPECT_EQ(backend.MenusShown(), 1);
  EXPECT_EQ(backend.LastMenuX(), 1000);
  EXPECT_EQ(backend.LastMenuY(), 747);
  EXPECT_EQ(Form().Cursor(), gui::TCursor::crDefault);
  // The release, a single click, movement and the middle button do nothing.
  for (std::intptr_t other : {0x0205, 0x0201, 0x0202, 0x0200, 0x0207, 0x0208, 0, -1}) {
    Callback(other);
  }
  EXPECT_EQ(backend.MenusShown(), 1);
  EXPECT_TRUE(Form().Visible());
}

TEST_F(Tray, MenuHasItsSixItemsAndEachCommandWorks) {
  Start();
  std::vector<std::string> captions;
  for (const auto& item : Form().PopupMenu_Taskbar.Items()) captions.push_back(item->Caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"Open Main Window", "-", "Start auto optimize",
                                                "Overall Opimize", "-", "Exit"}));
  Form().HideForm();
  backend.ScriptMenuChoice(Form().OpenMainWindow1.CommandId());
  Callback(kWmRButtonDown);
  EXPECT_TRUE(Form().Visible());

  backend.ScriptMenuChoice(Form().pm_StartautoOptimize.CommandId());
  Callback(kWmRButtonDown);
  EXPECT_TRUE(Form().Timer_Auto.Enabled());
  EXPECT_EQ(Form().pm_StartautoOptimize.Caption(), "Stop auto optimize");

  backend.ScriptAnswer(gui::mrCancel);
  backend.ScriptMenuChoice(Form().OverallOpimize1.CommandId());
  Callback(kWmRButtonDown);
  ASSERT_FALSE(backend.Boxes().empty());
  EXPECT_EQ(backend.Boxes().back().caption, "Confirm");

  backend.ScriptMenuChoice(Form().Exit1.CommandId());
  Callback(kWmRButtonDown);
  EXPECT_TRUE(program->App().Terminated()) << "Exit ends even with close-to-tray on";
  EXPECT_TRUE(os.TrayIcons().empty());
}

TEST_F(Tray, DoubleClickShowsAHiddenWindowAndRestoresAMinimizedOne) {
  Start();
  Form().HideForm();
  Callback(kWmLButtonDblClk);
  EXPECT_TRUE(Form().Visible());
  const auto steps = Form().StartupStepsRun().size();
  Callback(kWmLButtonDblClk);
  EXPECT_TRUE(Form().Visible());
  EXPECT_EQ(Form().StartupStepsRun().size(), steps) << "showing again repeats no step";
  program->App().Minimize();
  Callback(kWmLButtonDblClk);
  EXPECT_FALSE(Form().Minimized);
  EXPECT_FALSE(program->App().IsMinimized());
}

TEST_F(Tray, TaskbarCreatedBringsTheIconBackWithTheProgramsName) {
  Start();
  backend.AdvanceBy(2000);
  os.RestartShell();
  gui::TMessage m{Form().TaskbarCreatedMessage(), 0, 0};
  Form().DeliverMessage(m);
  ASSERT_EQ(os.TrayIcons().size(), 1u);
  EXPECT_EQ(os.TrayIcons()[0].tip, "Quorvel");
  EXPECT_EQ(os.LiveIcons(), 1u) << "the re-added icon replaces the kept one";
  backend.AdvanceBy(2000);
  EXPECT_EQ(os.TrayIcons()[0].tip, "300 MB free of 512 MB physical memory");
  EXPECT_EQ(os.LiveIcons(), 1u);
}

TEST_F(Tray, MissingNotificationAreaOnlyMeansNoIcon) {
  os.trayAvailable = false;
  Start();
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_TRUE(Form().Visible());
  for (int i = 0; i < 5; ++i) backend.AdvanceBy(2000);
  EXPECT_LE(os.LiveIcons(), 1u);
  os.trayAvailable = true;
  gui::TMessage m{Form().TaskbarCreatedMessage(), 0, 0};
  Form().DeliverMessage(m);
  EXPECT_EQ(os.TrayIcons().size(), 1u) << "the icon comes back with the next TaskbarCreated";
}

TEST_F(Tray, FailedIconCreationGivesAnEmptyIconAndNothingElse) {
  os.Fail("CreateIconIndirect", platform::kErrorNotEnoughMemory);
  Start();
  backend.AdvanceBy(2000);
  EXPECT_TRUE(backend.Boxes().empty());
  ASSERT_EQ(os.TrayIcons().size(), 1u);
  EXPECT_EQ(os.TrayIcons()[0].icon, platform::kNoHandle);
  EXPECT_EQ(os.TrayIcons()[0].tip, "300 MB free of 512 MB physical memory");
}

TEST_F(Tray, CloseToTrayKeepsTheIconAndEndingRemovesIt) {
  Start();
  Form().Close();
  EXPECT_FALSE(Form().Visible());
  EXPECT_EQ(os.TrayIcons().size(), 1u);
  Form().Close();  // hidden: this close ends the program
  EXPECT_TRUE(program->App().Terminated());
  EXPECT_TRUE(os.TrayIcons().empty());
  EndProgram();
  for (const std::string& h : os.OpenHandles()) ADD_FAILURE() << h << " left open";
}

}  // namespace
}  // namespace app
