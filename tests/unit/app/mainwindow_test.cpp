#include <gtest/gtest.h>

#include "app/frmmain.h"
#include "program_fixture.h"

namespace app {
namespace {

using testing::ProgramTest;

class MainWindow : public ProgramTest {
 protected:
  void SetUp() override {
    StartProgram();
    ASSERT_TRUE(started);
  }
  int OpenBrowsers() {
    int n = 0;
    for (const std::string& h : os.OpenHandles()) n += h.rfind("ole ", 0) == 0 ? 1 : 0;
    return n;
  }
  // Which navigation buttons are held down, as "UOS" letters.
  std::string Held() {
    std::string held;
    if (Form().SpeedButton_UsageGraph.Down()) held += "U";
    if (Form().SpeedButton_full.Down()) held += "O";
    if (Form().SpeedButton_Set.Down()) held += "S";
    return held;
  }
};

TEST_F(MainWindow, StartsOnTheUsagePageWithItsButtonHeld) {
  EXPECT_EQ(Form().Notebook1.ActivePage(), "USAGEGROUP");
  EXPECT_EQ(Held(), "U");
  EXPECT_TRUE(Form().Page_UsageGroup.Visible());
  EXPECT_EQ(Form().Notebook1.PageCount(), 5);
}

TEST_F(MainWindow, NavigationShowsEachPageAndHoldsOneButton) {
  Form().SpeedButton_full.Click();
  EXPECT_EQ(Form().Notebook1.ActivePage(), "Processes") << "selected as PROCESSES";
  EXPECT_EQ(Held(), "O");
  Form().SpeedButton_Set.Click();
  EXPECT_EQ(Form().Notebook1.ActivePage(), "Settings");
  EXPECT_EQ(Held(), "S");
  Form().SpeedButton_UsageGraph.Click();
  EXPECT_EQ(Form().Notebook1.ActivePage(), "USAGEGROUP");
  EXPECT_EQ(Held(), "U");
  for (int i = 0; i < Form().Notebook1.PageCount(); ++i) {
    EXPECT_EQ(Form().Notebook1.Page(i).Visible(), i == Form().Notebook1.PageIndex());
  }
}

TEST_F(MainWindow, AboutKeepsTheHeldNavigationButton) {
  Form().SpeedButton_Set.Click();
  Form().SpeedButton3.Click();
  EXPECT_EQ(Form().Notebook1.ActivePage(), "About");
  EXPECT_EQ(Held(), "S");
  EXPECT_FALSE(Form().SpeedButton3.Down());
}

TEST_F(MainWindow, UsagePageByItsHandlerAlsoHoldsItsButton) {
  Form().SpeedButton_full.Click();
  Form().SpeedButton_UsageGraphClick();  // as start-up runs it
  EXPECT_EQ(Held(), "U");
}

TEST_F(MainWindow, HoverShowsPictureAndLeaveClearsIt) {
  auto& about = Form().ImageEx2;
  EXPECT_TRUE(about.Picture().Empty());
  about.MouseEnter();
  ASSERT_FALSE(about.Picture().Empty());
  EXPECT_EQ(about.Picture().Width(), 55);
  EXPECT_EQ(about.Picture().Height(), 16);
  // The About hover picture, not the Help one.
  const gui::Bitmap aboutHover = Form().ImageList1.Get(1);
  EXPECT_EQ(about.Picture().Bgr(), aboutHover.Bgr());
  about.MouseLeave();
  EXPECT_TRUE(about.Picture().Empty());

  Form().ImageEx3.MouseEnter();
  EXPECT_EQ(Form().ImageEx3.Picture().Bgr(), Form().ImageList1.Get(2).Bgr());
  EXPECT_NE(Form().ImageList1.Get(1).Bgr(), Form().ImageList1.Get(2).Bgr());
}

TEST_F(MainWindow, HoverClickGoesToTheButtonBeneath) {
  Form().SpeedButton_full.Click();
  Form().ImageEx2.Click();
  EXPECT_EQ(Form().Notebook1.ActivePage(), "About");
  EXPECT_EQ(Held(), "O");

  Form().ImageEx3.Click();  // Help opens the help page
  ASSERT_EQ(os.navigations.size(), 1u);
  EXPECT_EQ(os.navigations[0], ProductHelpPage);
}

TEST_F(MainWindow, DraggingByTitleMovesTheWindowWithTheLeftButtonOnly) {
  const int left = Form().Left(), top = Form().Top();
  Form().Image1.MouseDown(gui::TMouseButton::mbLeft, gui::shift::kLeft, 100, 50);
  EXPECT_EQ(Form().DragOriginX, 100);
  EXPECT_EQ(Form().DragOriginY, 50);
  Form().Image1.MouseMove(gui::shift::kLeft, 130, 40);
  EXPECT_EQ(Form().Left(), left + 30);
  EXPECT_EQ(Form().Top(), top - 10);
  // Without the left button held nothing moves.
  Form().Image1.MouseMove(0, 500, 500);
  Form().Image1.MouseMove(gui::shift::kRight, 500, 500);
  EXPECT_EQ(Form().Left(), left + 30);
  EXPECT_EQ(Form().Top(), top - 10);
  EXPECT_EQ(Form().ClientWidth(), 770);
}

TEST_F(MainWindow, DraggingByStatusBarWorksLikeTheTitle) {
  const int left = Form().Left(), top = Form().Top();
  Form().StatusBar_State.MouseDown(gui::TMouseButton::mbRight, gui::shift::kRight, 7, 3);
  EXPECT_EQ(Form().DragOriginX, 7) << "any button sets the origin";
  Form().StatusBar_State.MouseMove(gui::shift::kLeft | gui::shift::kShift, -1000, -600);
  EXPECT_EQ(Form().Left(), left - 1007) << "nothing clamps the window to the screen";
  EXPECT_EQ(Form().Top(), top - 603);
}

TEST_F(MainWindow, MovesPostedWithoutEndStopAtTheSystemsCoordinateRange) {
  // Another program can post any number of moves with the button flag set.
  Form().Image1.MouseDown(gui::TMouseButton::mbLeft, gui::shift::kLeft, 0, 0);
  for (int i = 0; i < 100000; ++i) Form().Image1.MouseMove(gui::shift::kLeft, 32767, 32767);
  EXPECT_EQ(Form().Left(), kMaxWindowCoordinate);
  EXPECT_EQ(Form().Top(), kMaxWindowCoordinate);
  for (int i = 0; i < 100000; ++i) Form().Image1.MouseMove(gui::shift::kLeft, -32768, -32768);
  EXPECT_EQ(Form().Left(), kMinWindowCoordinate);
  EXPECT_EQ(Form().Top(), kMinWindowCoordinate);
  // Dragging back from the edge works as ever.
  Form().Image1.MouseMove(gui::shift::kLeft, 1000, 10);
  EXPECT_EQ(Form().Left(), kMinWindowCoordinate + 1000);
  EXPECT_EQ(Form().Top(), kMinWindowCoordinate + 10);
}

TEST_F(MainWindow, StatusBarHasThreePanels) {
  const auto& bar = Form().StatusBar_State;
  ASSERT_EQ(bar.PanelCount(), 3);
  EXPECT_EQ(bar.Panel(0).width, 143);
  EXPECT_EQ(bar.Panel(1).width, 150);
  EXPECT_EQ(bar.Panel(0).alignment, gui::TAlignment::taCenter);
  EXPECT_EQ(bar.Panel(1).alignment, gui::TAlignment::taCenter);
  EXPECT_EQ(bar.Width(), 770);
  EXPECT_EQ(bar.Top() + bar.Height(), 560);
}

TEST_F(MainWindow, WebLinkOpensANewBrowserEachTimeAndReleasesIt) {
  Form().Label32.Click();
  Form().Label32.Click();
  EXPECT_EQ(os.navigations, (std::vector<std::string>{ProductWebSite, ProductWebSite}));
  EXPECT_EQ(os.CountCalls("CreateOleObject(InternetExplorer.Application)"), 2u);
  EXPECT_EQ(os.CountCalls("OleSetProperty(Visible)"), 2u);
  EXPECT_EQ(OpenBrowsers(), 0) << ::testing::PrintToString(os.OpenHandles());
  EXPECT_TRUE(backend.Boxes().empty());
}

TEST_F(MainWindow, MissingBrowserGoesToTheErrorBoxWithTheSystemText) {
  os.oleClasses.clear();
  // A click arrives through the backend, which shows escaping errors.
  program->App().Dispatch([&] { Form().Label32.Click(); });
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Invalid class string");
  EXPECT_EQ(backend.Boxes()[0].caption, "Quorvel");
  EXPECT_TRUE(os.navigations.empty());
  EXPECT_FALSE(program->App().Terminated());
}

TEST_F(MainWindow, FailedNavigationStillReleasesTheBrowser) {
  os.oleInvokeResult = static_cast<std::int32_t>(0x80004005u);
  program->App().Dispatch([&] { Form().SpeedButton2.Click(); });
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Unspecified error");
  EXPECT_EQ(os.CountCalls("OleRelease"), 1u);
  EXPECT_EQ(OpenBrowsers(), 0);
}

TEST_F(MainWindow, MailLinkAsksTheShellWithMailtoAndReportsNothing) {
  os.shellExecuteResult = 2;  // no mail program
  Form().Label31.Click();
  EXPECT_EQ(os.CountCalls("ShellExecuteA(null,mailto:support@quorvel.example.com,null,null,1)"),
            1u);
  EXPECT_TRUE(backend.Boxes().empty());
}

TEST_F(MainWindow, LinksLookLikeLinks) {
  for (const gui::TLabel* link : {&Form().Label31, &Form().Label32}) {
    EXPECT_EQ(link->Font().color, gui::RGBColor(0, 0, 255));
    EXPECT_TRUE(link->Font().underline);
    EXPECT_EQ(link->Cursor(), gui::TCursor::crHandPoint);
  }
  EXPECT_EQ(Form().Label_SupportOs.Caption(), "Support OS:Windows 95/98/ME/NT4/XP/2000/2003/Vista");
  EXPECT_EQ(Form().Label_Function.Caption(), "Function: Clean and optimize memory ");
}

TEST_F(MainWindow, MinimizeButtonMinimizesAndCloseButtonCloses) {
  Form().SpeedButton5.Click();
  EXPECT_TRUE(Form().Minimized);
  program->App().Restore();
  EXPECT_FALSE(Form().Minimized);
  Form().CheckBox_CloseMinimize.SetChecked(false);
  Form().SpeedButton6.Click();
  EXPECT_TRUE(program->App().Terminated());
}

TEST_F(MainWindow, EveryControlHasItsOwnId) {
  std::map<int, int> seen;
  std::function<void(const gui::TWinControl&)> walk = [&](const gui::TWinControl& c) {
    ++seen[c.ControlId()];
    for (const gui::TControl* child : c.Children()) {
      if (auto* win = dynamic_cast<const gui::TWinControl*>(child)) {
        walk(*win);
      } else {
        ++seen[child->ControlId()];
      }
    }
  };
  walk(Form());
  for (const auto& [id, count] : seen) EXPECT_EQ(count, 1) << "id " << id << " is shared";
  EXPECT_GT(seen.size(), 40u);
}

}  // namespace
}  // namespace app
