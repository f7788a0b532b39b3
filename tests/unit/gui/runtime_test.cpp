#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/controls.h"
#include "gui/headless/headless_backend.h"

namespace gui {
namespace {

struct Rig {
  HeadlessBackend backend;
  TApplication app{backend};
  Rig() { app.SetTitle("Quorvel"); }
};

TEST(Timers, FireInTimeOrderOnTheVirtualClock) {
  Rig rig;
  std::vector<std::string> fired;
  TTimer fast(rig.app, 1), slow(rig.app, 2);
  fast.SetInterval(300);
  slow.SetInterval(1000);
  fast.OnTimer = [&] { fired.push_back("fast@" + std::to_string(rig.backend.Now())); };
  slow.OnTimer = [&] { fired.push_back("slow@" + std::to_string(rig.backend.Now())); };
  rig.backend.AdvanceBy(1000);
  EXPECT_EQ(fired, (std::vector<std::string>{"fast@300", "fast@600", "fast@900", "slow@1000"}));
  EXPECT_EQ(rig.backend.Now(), 1000u);
}

TEST(Timers, DisabledOrZeroIntervalNeverFiresAndChangeRearmsFromNow) {
  Rig rig;
  int ticks = 0;
  TTimer t(rig.app, 1);
  t.OnTimer = [&] { ++ticks; };
  t.SetInterval(0);
  rig.backend.AdvanceBy(5000);
  EXPECT_EQ(ticks, 0);
  t.SetInterval(1000);
  t.SetEnabled(false);
  rig.backend.AdvanceBy(5000);
  EXPECT_EQ(ticks, 0);
  EXPECT_FALSE(rig.backend.TimerArmed(t));

  t.SetEnabled(true);  // armed at 10000, due at 11000
  rig.backend.AdvanceBy(900);
  t.SetInterval(500);  // re-armed at 10900, due at 11400
  rig.backend.AdvanceBy(400);
  EXPECT_EQ(ticks, 0);
  rig.backend.AdvanceBy(100);
  EXPECT_EQ(ticks, 1);
}

TEST(Timers, HandlerThatDisablesItsTimerFiresOnce) {
  Rig rig;
  int ticks = 0;
  TTimer t(rig.app, 1);
  t.SetInterval(1);
  t.OnTimer = [&] {
    ++ticks;
    t.SetEnabled(false);
  };
  rig.backend.AdvanceBy(100);
  EXPECT_EQ(ticks, 1);
}

TEST(Timers, DestroyedTimerIsDisarmed) {
  Rig rig;
  int ticks = 0;
  {
    TTimer t(rig.app, 7);
    t.OnTimer = [&] { ++ticks; };
  }
  rig.backend.AdvanceBy(10000);
  EXPECT_EQ(ticks, 0);
}

TEST(ErrorBox, ErrorInTimerHandlerIsShownAndProgramGoesOn) {
  Rig rig;
  int ticks = 0;
  TTimer t(rig.app, 1);
  t.OnTimer = [&] {
    ++ticks;
    throw Error("'abc' is not a valid integer value");
  };
  rig.backend.AdvanceBy(2000);
  EXPECT_EQ(ticks, 2) << "the timer keeps running after an error";
  ASSERT_EQ(rig.backend.Boxes().size(), 2u);
  EXPECT_EQ(rig.backend.Boxes()[0].text, "'abc' is not a valid integer value");
  EXPECT_EQ(rig.backend.Boxes()[0].caption, "Quorvel");
  EXPECT_EQ(rig.backend.Boxes()[0].style, mb::kOk);
  EXPECT_FALSE(rig.app.Terminated());
}

TEST(Dialogs, CaptionsIconsAndButtonsFollowTheType) {
  Rig rig;
  MessageDlg("sure?", TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo);
  MessageDlg("done", TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
  MessageDlg("bad", TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  rig.app.ShowMessageBox("report");
  const auto& boxes = rig.backend.Boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].caption, "Confirm");
  EXPECT_EQ(boxes[0].style, mb::kIconQuestion | mb::kYesNo);
  EXPECT_EQ(boxes[1].caption, "Information");
  EXPECT_EQ(boxes[1].style, mb::kIconInformation | mb::kOk);
  EXPECT_EQ(boxes[2].caption, "Error");
  EXPECT_EQ(boxes[2].style, mb::kIconError | mb::kOk);
  EXPECT_EQ(boxes[3].caption, "Quorvel");
  EXPECT_EQ(boxes[3].style, mb::kOk) << "a plain box has no icon";
}

TEST(Dialogs, ScriptedAnswersAreUsedInOrderThenTheFirstButton) {
  Rig rig;
  rig.backend.ScriptAnswer(mrNo);
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo), mrNo);
  EXPECT_EQ(MessageDlg("b", TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo), mrYes);
  EXPECT_EQ(MessageDlg("c", TMsgDlgType::mtInformation, TMsgDlgButtons::mbOKCancel), mrOk);
}

TEST(Dialogs, TimersRunWhileABoxIsOpen) {
  Rig rig;
  int ticks = 0;
  TTimer t(rig.app, 1);
  t.SetInterval(1000);
  t.OnTimer = [&] { ++ticks; };
  rig.backend.WhileBoxOpen = [&](const ShownBox&) { rig.backend.AdvanceBy(3000); };
  MessageDlg("wait", TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
  EXPECT_EQ(ticks, 3);
}

TEST(Messages, PostedHandlersRunOnProcessMessagesAndErrorsAreCaught) {
  Rig rig;
  std::vector<int> ran;
  rig.backend.Post([&] { ran.push_back(1); });
  rig.backend.Post([&] { throw Error("posted"); });
  rig.backend.Post([&] { ran.push_back(3); });
  EXPECT_TRUE(ran.empty());
  rig.app.ProcessMessages();
  EXPECT_EQ(ran, (std::vector<int>{1, 3}));
  ASSERT_EQ(rig.backend.Boxes().size(), 1u);
  EXPECT_EQ(rig.backend.Boxes()[0].text, "posted");
}

TEST(Forms, CloseQueryCanRefuseAndMainFormCloseTerminates) {
  Rig rig;
  TForm form(rig.app, 1);
  EXPECT_EQ(rig.app.MainForm(), &form);
  int shows = 0;
  form.OnShow = [&] { ++shows; };
  bool allow = false;
  form.OnCloseQuery = [&](bool& canClose) { canClose = allow; };
  rig.app.Run();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(shows, 1);
  form.ShowForm();
  EXPECT_EQ(shows, 1) << "showing a visible form runs nothing";

  form.Close();
  EXPECT_TRUE(form.Visible());
  EXPECT_FALSE(rig.app.Terminated());
  allow = true;
  form.Close();
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(rig.app.Terminated());
  EXPECT_TRUE(rig.backend.QuitPosted());
}

TEST(Forms, TerminatedApplicationNeverShowsItsMainForm) {
  Rig rig;
  TForm form(rig.app, 1);
  int shows = 0;
  form.OnShow = [&] { ++shows; };
  rig.app.Terminate();
  rig.app.Run();
  EXPECT_EQ(shows, 0);
  EXPECT_FALSE(form.Visible());
}

// --- peers -----------------------------------------------------------------------

// A form with a few controls set up the way a window's layout does it.
struct LaidOutForm : TForm {
  explicit LaidOutForm(TApplication& app) : TForm(app, 1), panel(this, 2), label(&panel, 3), list(this, 4), bar(this, 5) {
    SetBounds(0, 0, 300, 200);
    panel.SetBounds(0, 0, 300, 40);
    label.SetBounds(4, 4, 60, 13);
    label.SetCaption("Hello");
    list.SetBounds(0, 40, 300, 140);
    list.AddColumn({"Name", TAlignment::taLeftJustify, 100});
    list.AddColumn({"PID", TAlignment::taRightJustify, 40});
    list.AddRow({"a.exe", "4"});
    bar.SetBounds(0, 180, 300, 20);
    bar.AddPanel(100, TAlignment::taCenter);
    bar.AddPanel(50, TAlignment::taLeftJustify);
    label.SetEnabled(false);
  }
  TPanel panel;
  TLabel label;
  TListView list;
  TStatusBar bar;
};

// What a peer sees of its control at the moment it is made.
std::string AsMade(TControl& c) {
  std::string entry = std::to_string(c.ControlId()) + " " + std::to_string(c.Left()) + "," +
                      std::to_string(c.Top()) + " " + std::to_string(c.Width()) + "x" +
                      std::to_string(c.Height());
  if (!c.Caption().empty()) entry += " '" + c.Caption() + "'";
  if (!c.Enabled()) entry += " disabled";
  if (c.Kind() == ControlKind::ListView) {
    const auto& list = static_cast<const TListView&>(c);
    entry += " columns " + std::to_string(list.Columns().size()) + " rows " + std::to_string(list.Count());
  }
  if (c.Kind() == ControlKind::StatusBar) {
    entry += " panels " + std::to_string(static_cast<const TStatusBar&>(c).PanelCount());
  }
  return entry;
}

TEST(Peers, AreMadeOnlyOnceTheFormIsCompleteParentFirstFromTheFinalState) {
  HeadlessBackend backend;
  TApplication app(backend);
  std::vector<std::string> made;
  backend.WhileCreatingPeer = [&](TControl& c) { made.push_back(AsMade(c)); };
  LaidOutForm form(app);
  EXPECT_TRUE(made.empty()) << "a peer was made while its control was built: "
                            << ::testing::PrintToString(made);
  form.CreatePeers();
  EXPECT_EQ(made, (std::vector<std::string>{"1 0,0 300x200", "2 0,0 300x40",
                                            "3 4,4 60x13 'Hello' disabled",
                                            "4 0,40 300x140 columns 2 rows 1",
                                            "5 0,180 300x20 panels 2"}));
}

// A control brought to the front before the pass is made after its
// siblings, and marked for its window to go over theirs.
TEST(Peers, AControlBroughtToTheFrontIsMadeAfterItsSiblings) {
  HeadlessBackend backend;
  TApplication app(backend);
  std::vector<int> made;
  backend.WhileCreatingPeer = [&](TControl& c) { made.push_back(c.ControlId()); };
  TForm form(app, 1);
  TPanel key(&form, 2);
  TLabel chart(&form, 3);
  TLabel other(&form, 4);
  key.BringToFront();
  form.CreatePeers();
  EXPECT_EQ(made, (std::vector<int>{1, 3, 4, 2}));
  EXPECT_TRUE(key.BroughtToFront());
  EXPECT_FALSE(chart.BroughtToFront());
}

// A backend may choose the order of each parent's children (a system that
// stacks every new window beneath its siblings wants those on top first);
// the pass follows it at every level and still makes each parent first.
TEST(Peers, APassFollowsTheBackendsOrderOfEachParentsChildren) {
  struct LastFirst : HeadlessBackend {
    std::vector<TControl*> PeerCreationOrder(const TWinControl& parent) override {
      return std::vector<TControl*>(parent.Children().rbegin(), parent.Children().rend());
    }
  } backend;
  TApplication app(backend);
  std::vector<int> made;
  backend.WhileCreatingPeer = [&](TControl& c) { made.push_back(c.ControlId()); };
  TForm form(app, 1);
  TPanel top(&form, 2);
  TLabel a(&top, 3);
  TLabel b(&top, 4);
  TPanel bottom(&form, 5);
  TLabel c(&bottom, 6);
  form.CreatePeers();
  EXPECT_EQ(made, (std::vector<int>{1, 5, 6, 2, 4, 3}));
}

TEST(Peers, ARefusedPeerLeavesWhatWasMadeAndTheNextPassMakesTheRest) {
  HeadlessBackend backend;
  TApplication app(backend);
  std::vector<int> made;
  bool refuse = true;
  backend.WhileCreatingPeer = [&](TControl& c) {
    if (c.ControlId() == 4 && refuse) throw Error("Windows could not create a control of the program.");
    made.push_back(c.ControlId());
  };
  LaidOutForm form(app);
  EXPECT_THROW(form.CreatePeers(), Error);
  EXPECT_EQ(made, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(form.Children().size(), 3u) << "the controls stay on the form";
  refuse = false;
  made.clear();
  // The headless backend gives no peer objects, so a second pass asks again
  // for every control; a real one asks only for those still without.
  form.CreatePeers();
  EXPECT_EQ(made, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(Forms, CentredOnTheDesktop) {
  Rig rig;
  TForm form(rig.app, 1);
  form.SetClientSizeCentred(770, 560, 1024, 768);
  EXPECT_EQ(form.Left(), 127);
  EXPECT_EQ(form.Top(), 104);
  EXPECT_EQ(form.ClientWidth(), 770);
  EXPECT_EQ(form.ClientHeight(), 560);
}

TEST(Application, MinimizeAndRestoreNotifyOnceEach) {
  Rig rig;
  int minimized = 0, restored = 0;
  rig.app.OnMinimize = [&] { ++minimized; };
  rig.app.OnRestore = [&] { ++restored; };
  rig.app.Restore();
  EXPECT_EQ(restored, 0) << "not minimized: nothing to restore";
  rig.app.Minimize();
  rig.app.NotifyMinimized();  // the backend's report of the same minimize
  EXPECT_EQ(minimized, 1);
  rig.app.Restore();
  EXPECT_EQ(restored, 1);
  EXPECT_FALSE(rig.app.IsMinimized());
}

TEST(Controls, CheckBoxRunsOnClickOnEveryChangeOnly) {
  Rig rig;
  TForm form(rig.app, 1);
  TCheckBox box(&form, 10);
  int clicks = 0;
  box.OnClick = [&] { ++clicks; };
  box.SetChecked(false);
  EXPECT_EQ(clicks, 0);
  box.Click();
  EXPECT_TRUE(box.Checked());
  box.SetChecked(true);
  EXPECT_EQ(clicks, 1);
  box.Click();
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(clicks, 2);
}

TEST(Controls, ChildrenAreListedUntilDestroyed) {
  Rig rig;
  TForm form(rig.app, 1);
  {
    TLabel label(&form, 20);
    TCheckBox box(&form, 21);
    ASSERT_EQ(form.Children().size(), 2u);
    EXPECT_EQ(form.Children()[0]->ControlId(), 20);
    EXPECT_EQ(form.Children()[1]->Kind(), ControlKind::CheckBox);
  }
  EXPECT_TRUE(form.Children().empty());
}

TEST(FormMessages, EveryMessageReachesTheHandlerAndItsErrorsTheBox) {
  Rig rig;
  TForm form(rig.app, 100);
  std::vector<unsigned> seen;
  form.OnMessage = [&](TMessage& m) {
    seen.push_back(m.Msg);
    if (m.Msg == 3001) throw Error("tray trouble");
    if (m.Msg == 786) throw 42;  // not one of ours
  };
  TMessage a{0x0312 + 1, 0, 0};
  TMessage tray{3001, 1, 0x0204};
  TMessage hotkey{786, 1331, 0x00410005};
  form.DeliverMessage(a);
  form.DeliverMessage(tray);
  form.DeliverMessage(hotkey);
  EXPECT_EQ(seen, (std::vector<unsigned>{0x0313, 3001, 786}));
  ASSERT_EQ(rig.backend.Boxes().size(), 2u);
  EXPECT_EQ(rig.backend.Boxes()[0].text, "tray trouble");
  EXPECT_EQ(rig.backend.Boxes()[0].caption, "Quorvel");
  EXPECT_EQ(rig.backend.Boxes()[1].text, "An unexpected error ended the operation.")
      << "something thrown that is no error of ours is still shown";
}

TEST(FormMessages, WithoutAHandlerNothingHappens) {
  Rig rig;
  TForm form(rig.app, 100);
  TMessage m{3001, 0, 0};
  form.DeliverMessage(m);
  EXPECT_TRUE(rig.backend.Boxes().empty());
}

TEST(HeadlessText, CellsOfHalfTheHeightClippedToThePicture) {
  HeadlessBackend backend;
  Bitmap picture(16, 16, colors::kBlue);
  TFont font;
  font.height = 10;
  backend.RenderText(picture, 0, -1, " 7", font, colors::kWhite);
  EXPECT_EQ(picture.Pixel(0, 0), colors::kWhite);
  EXPECT_EQ(picture.Pixel(9, 8), colors::kWhite);
  EXPECT_EQ(picture.Pixel(10, 0), colors::kBlue) << "two cells of five columns";
  EXPECT_EQ(picture.Pixel(0, 9), colors::kBlue) << "rows -1 to 8";
  EXPECT_EQ(picture.Pixel(7, 4), colors::kBlack) << "the mark of the 7";
  EXPECT_EQ(picture.Pixel(2, 4), colors::kWhite) << "a blank leaves no mark";
  backend.RenderText(picture, 14, 14, "88", font, colors::kWhite);  // mostly outside
  EXPECT_EQ(picture.Pixel(15, 15), colors::kWhite);
}

}  // namespace
}  // namespace gui
