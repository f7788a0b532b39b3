#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/bitmap.h"
#include "gui/controls.h"
#include "gui/headless/headless_backend.h"

namespace gui {
namespace {

struct Rig {
  HeadlessBackend backend;
  TApplication app{backend};
  TForm form{app, 1};
};

// --- gauge ------------------------------------------------------------------------

TEST(Gauge, ClampsProgressIntoItsRange) {
  Rig rig;
  TGauge g(&rig.form, 2);
  g.SetMinValue(0);
  g.SetMaxValue(1000);
  g.SetProgress(1500);
  EXPECT_EQ(g.Progress(), 1000);
  EXPECT_EQ(g.Text(), "100%");
  g.SetProgress(-3);
  EXPECT_EQ(g.Progress(), 0);
  EXPECT_EQ(g.Text(), "0%");
  g.SetProgress(333);
  EXPECT_EQ(g.Text(), "33%") << "truncated, not rounded";
  // A smaller maximum pulls the progress down with it.
  g.SetMaxValue(100);
  EXPECT_EQ(g.Progress(), 100);
}

TEST(Gauge, EmptyRangeShowsZeroPercent) {
  Rig rig;
  TGauge g(&rig.form, 2);
  g.SetMinValue(0);
  g.SetMaxValue(0);
  g.SetProgress(0);
  EXPECT_EQ(g.Text(), "0%");
  g.SetMinValue(50);  // minimum above the maximum lifts the maximum
  EXPECT_EQ(g.MaxValue(), 50);
  EXPECT_EQ(g.Progress(), 50);
  EXPECT_EQ(g.PercentDone(), 0);
}

TEST(Gauge, MinimumThenMaximumThenProgressGivesTheIntendedValues) {
  // Values arriving in that order must not be distorted by the defaults
  // (0..100) they replace.
  Rig rig;
  TGauge g(&rig.form, 2);
  g.SetProgress(90);
  g.SetMinValue(0);
  g.SetMaxValue(4095);
  g.SetProgress(4000);
  EXPECT_EQ(g.Progress(), 4000);
  EXPECT_EQ(g.PercentDone(), 97);
}

// A peer that counts what the control asked it to redraw.
class CountingPeer : public Peer {
 public:
  explicit CountingPeer(int& count) : count_(count) {}
  void Changed(Change what) override {
    if (what == Change::State) ++count_;
  }

 private:
  int& count_;
};

TEST(Gauge, RepaintsOnlyWhenTheShownPercentageChanges) {
  Rig rig;
  TGauge g(&rig.form, 2);
  int repaints = 0;
  g.AttachPeer(std::make_unique<CountingPeer>(repaints));
  g.SetMaxValue(1000);
  g.SetProgress(5);  // 0% still
  EXPECT_EQ(repaints, 0);
  g.SetProgress(10);  // 1%
  EXPECT_EQ(repaints, 1);
  g.SetProgress(19);  // still 1%
  EXPECT_EQ(repaints, 1);
}

TEST(Gauge, PaintsAtOnceAtMostOnceAnIntervalButAlwaysAtItsEnds) {
  // Inside a run: only once an interval has passed since the last paint.
  EXPECT_FALSE(GaugePaintsAtOnce(50, 0));
  EXPECT_FALSE(GaugePaintsAtOnce(50, kGaugePaintIntervalMs - 1));
  EXPECT_TRUE(GaugePaintsAtOnce(50, kGaugePaintIntervalMs));
  EXPECT_TRUE(GaugePaintsAtOnce(1, 1000));
  // A run's start and its finish show however soon they follow.
  EXPECT_TRUE(GaugePaintsAtOnce(0, 0));
  EXPECT_TRUE(GaugePaintsAtOnce(100, 0));
}

// --- notebook ----------------------------------------------------------------------

TEST(Notebook, SelectsPagesByNameInAnyCaseAndIgnoresUnknownNames) {
  Rig rig;
  TNotebook book(&rig.form, 2);
  TPage& a = book.AddPage(3, "USAGEGROUP");
  TPage& b = book.AddPage(4, "Processes");
  EXPECT_EQ(book.ActivePage(), "USAGEGROUP");
  EXPECT_TRUE(a.Visible());
  EXPECT_FALSE(b.Visible());
  book.SetActivePage("PROCESSES");
  EXPECT_EQ(book.ActivePage(), "Processes");
  EXPECT_TRUE(b.Visible());
  EXPECT_FALSE(a.Visible());
  book.SetActivePage("usageGroup");
  EXPECT_EQ(book.PageIndex(), 0);
  book.SetActivePage("Nowhere");
  EXPECT_EQ(book.PageIndex(), 0);
  EXPECT_TRUE(a.Visible());
  book.SetActivePage("");
  EXPECT_EQ(book.PageIndex(), 0);
}

// --- picture buttons ---------------------------------------------------------------

TEST(SpeedButton, GroupHoldsExactlyOneDown) {
  Rig rig;
  TSpeedButton a(&rig.form, 2), b(&rig.form, 3), c(&rig.form, 4), other(&rig.form, 5);
  for (TSpeedButton* x : {&a, &b, &c}) x->SetGroupIndex(1);
  other.SetGroupIndex(2);
  other.SetDown(true);
  a.SetDown(true);
  int clicks = 0;
  b.OnClick = [&] { ++clicks; };
  b.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(a.Down());
  EXPECT_TRUE(b.Down());
  EXPECT_FALSE(c.Down());
  EXPECT_TRUE(other.Down()) << "another group is left alone";
  b.Click();
  EXPECT_TRUE(b.Down()) << "a group without all-up keeps one held";
  b.SetDown(false);
  EXPECT_TRUE(b.Down());
}

TEST(SpeedButton, AllowAllUpToggles) {
  Rig rig;
  TSpeedButton t(&rig.form, 2);
  t.SetGroupIndex(7);
  t.SetAllowAllUp(true);
  t.Click();
  EXPECT_TRUE(t.Down());
  t.Click();
  EXPECT_FALSE(t.Down());
}

TEST(SpeedButton, ShowsTheCellOfItsState) {
  Rig rig;
  TSpeedButton b(&rig.form, 2);
  Bitmap strip(8, 2);
  const TColor cells[] = {RGBColor(10, 0, 0), RGBColor(20, 0, 0), RGBColor(30, 0, 0),
                          RGBColor(40, 0, 0)};
  for (int x = 0; x < 8; ++x) {
    for (int y = 0; y < 2; ++y) strip.SetPixel(x, y, cells[x / 2]);
  }
  b.SetGlyph(strip, 4);
  EXPECT_EQ(b.Cell(b.State(false)).Pixel(0, 0), cells[0]);
  EXPECT_EQ(b.Cell(b.State(true)).Pixel(1, 1), cells[2]);
  b.SetGroupIndex(1);
  b.SetDown(true);
  EXPECT_EQ(b.State(false), ButtonState::Exclusive);
  EXPECT_EQ(b.Cell(b.State(false)).Pixel(0, 0), cells[3]);
  b.SetEnabled(false);
  EXPECT_EQ(b.Cell(b.State(false)).Pixel(0, 0), cells[1]);
  EXPECT_EQ(b.Cell(ButtonState::Up).Width(), 2);
}

// --- lists, status bar, edits ----------------------------------------------------------

TEST(ListView, KeepsSelectionOnItsRowWhenRowsAboveGo) {
  Rig rig;
  TListView list(&rig.form, 2);
  list.AddColumn({"Name", TAlignment::taLeftJustify, 100});
  list.AddColumn({"PID", TAlignment::taRightJustify, 50});
  for (int i = 0; i < 4; ++i) list.AddRow({"p" + std::to_string(i), std::to_string(i)});
  list.SetSelected(2);
  list.DeleteRow(0);
  EXPECT_EQ(list.Selected(), 1);
  EXPECT_EQ(list.Cell(1, 0), "p2");
  list.DeleteRow(1);
  EXPECT_EQ(list.Selected(), -1) << "deleting the selected row clears the selection";
  EXPECT_EQ(list.Cell(0, 5), "") << "a cell past the columns reads empty";
  list.SetSelected(9);
  EXPECT_EQ(list.Selected(), -1);
}

TEST(StatusBar, LastPanelTakesTheRest) {
  Rig rig;
  TStatusBar bar(&rig.form, 2);
  bar.AddPanel(143, TAlignment::taCenter);
  bar.AddPanel(150, TAlignment::taCenter);
  bar.AddPanel(50, TAlignment::taLeftJustify);
  EXPECT_EQ(bar.PanelEdges(), (std::vector<int>{143, 293, -1}));
  bar.SetPanelText(2, "PM:1K/2K ");
  EXPECT_EQ(bar.Panel(2).text, "PM:1K/2K ");
  EXPECT_THROW(bar.SetPanelText(3, "x"), std::out_of_range);
}

TEST(SpinEdit, ArrowsStepWithinBoundsAndRecoverFromText) {
  Rig rig;
  TSpinEdit spin(&rig.form, 2);
  spin.SetRange(1, 59);
  spin.SetText("58");
  spin.Step(+1);
  EXPECT_EQ(spin.Text(), "59");
  spin.Step(+1);
  EXPECT_EQ(spin.Text(), "59");
  spin.SetText("abc");
  EXPECT_EQ(spin.Text(), "abc") << "the text may hold anything";
  spin.Step(+1);
  EXPECT_EQ(spin.Text(), "1");
  spin.SetText("7x");
  spin.Step(-1);
  EXPECT_EQ(spin.Text(), "59");
}

struct SpinValueCase {
  const char* name;
  const char* text;
  int value;  // within 1..59
};

void PrintTo(const SpinValueCase& c, std::ostream* os) { *os << c.name; }

class SpinEditValue : public ::testing::TestWithParam<SpinValueCase> {};

TEST_P(SpinEditValue, IsTheNumberTheArrowsWouldStepFrom) {
  Rig rig;
  TSpinEdit spin(&rig.form, 2);
  spin.SetRange(1, 59);
  spin.SetText(GetParam().text);
  EXPECT_EQ(spin.Value(), GetParam().value);
  EXPECT_EQ(spin.Text(), GetParam().text) << "reading leaves the text as typed";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SpinEditValue,
    ::testing::Values(SpinValueCase{"InRange", "17", 17}, SpinValueCase{"LowestBound", "1", 1},
                      SpinValueCase{"HighestBound", "59", 59},
                      SpinValueCase{"Empty", "", 1}, SpinValueCase{"Word", "abc", 1},
                      SpinValueCase{"TrailingLetter", "7x", 1},
                      SpinValueCase{"Fraction", "3.5", 1}, SpinValueCase{"SignOnly", "-", 1},
                      SpinValueCase{"Zero", "0", 1}, SpinValueCase{"Negative", "-7", 1},
                      SpinValueCase{"JustAbove", "60", 59},
                      SpinValueCase{"FarAbove", "99999999999999999999", 59},
                      SpinValueCase{"FarBelow", "-99999999999999999999", 1}),
    [](const ::testing::TestParamInfo<SpinValueCase>& info) { return info.param.name; });

TEST(SpinEdit, ValueFollowsANewRange) {
  Rig rig;
  TSpinEdit spin(&rig.form, 2);
  spin.SetRange(1, 100);
  spin.SetText("100");
  EXPECT_EQ(spin.Value(), 100);
  spin.SetRange(1, 59);
  EXPECT_EQ(spin.Value(), 59);
  spin.SetRange(10, 59);
  spin.SetText("x");
  EXPECT_EQ(spin.Value(), 10) << "not a number: the minimum, whatever it is";
}

TEST(Edit, KeyHandlerSeesKeyAndShiftAndMaySwallowIt) {
  Rig rig;
  TEdit edit(&rig.form, 2);
  std::uint16_t seen = 0;
  TShiftState seenShift = 0;
  edit.OnKeyDown = [&](TControl&, std::uint16_t& key, TShiftState s) {
    seen = key;
    seenShift = s;
    key = 0;
  };
  std::uint16_t key = 'A';
  edit.KeyDown(key, shift::kCtrl | shift::kAlt);
  EXPECT_EQ(seen, 'A');
  EXPECT_EQ(seenShift, shift::kCtrl | shift::kAlt);
  EXPECT_EQ(key, 0);
}

TEST(TrackBar, PositionClampedAndChangeReported) {
  Rig rig;
  TTrackBar bar(&rig.form, 2);
  int changes = 0;
  bar.OnChange = [&] { ++changes; };
  bar.SetRange(1, 5);
  bar.SetPosition(9);
  EXPECT_EQ(bar.Position(), 5);
  bar.SetPosition(5);
  EXPECT_EQ(changes, 2);  // 0 -> 1 by the range, 1 -> 5
}

TEST(ScrollBox, ScrollsWithinItsContent) {
  Rig rig;
  TScrollBox box(&rig.form, 2);
  box.SetBounds(0, 0, 100, 200);
  TLabel deep(&box, 3);
  deep.SetBounds(0, 450, 10, 50);
  EXPECT_EQ(box.ContentHeight(), 500);
  box.SetScrollPos(1000);
  EXPECT_EQ(box.ScrollPos(), 300);
  box.SetScrollPos(-5);
  EXPECT_EQ(box.ScrollPos(), 0);
}

TEST(ImageEx, EnterAndLeaveReportedOncePerCrossing) {
  Rig rig;
  TImageEx image(&rig.form, 2);
  std::vector<std::string> seen;
  image.OnMouseEnter = [&](TControl& s) { seen.push_back(&s == &image ? "enter" : "?"); };
  image.OnMouseLeave = [&](TControl& s) { seen.push_back(&s == &image ? "leave" : "?"); };
  image.MouseEnter();
  image.MouseEnter();
  image.MouseLeave();
  image.MouseLeave();
  image.MouseEnter();
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "leave", "enter"}));
}

TEST(PopupMenu, ChosenItemRunsAndDismissRunsNothing) {
  Rig rig;
  TPopupMenu menu;
  int opened = 0, exited = 0;
  menu.Add(1, "Open").OnClick = [&] { ++opened; };
  menu.Add(2, "-");
  menu.Add(3, "Exit").OnClick = [&] { ++exited; };
  rig.backend.ScriptMenuChoice(3);
  menu.Popup(10, 10);
  menu.Popup(10, 10);  // dismissed
  EXPECT_EQ(exited, 1);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(rig.backend.MenusShown(), 2);
  EXPECT_EQ(menu.FindCommand(2), nullptr) << "separators are not commands";
}

TEST(ImageList, CutsAStripIntoPicturesOfItsSize) {
  Bitmap strip(165, 16);
  strip.SetPixel(55, 0, colors::kWhite);
  strip.SetPixel(164, 15, colors::kFuchsia);
  TImageList list(55, 16);
  list.AddStrip(strip);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(1).Pixel(0, 0), colors::kWhite);
  EXPECT_EQ(list.Get(2).Pixel(54, 15), colors::kFuchsia);
  EXPECT_TRUE(list.Get(3).Empty());
  EXPECT_TRUE(list.Get(-1).Empty());
}

// --- JPEG decoding -----------------------------------------------------------------------

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(Jpeg, BrokenDataFailsWithoutTouchingTheOutput) {
  Bitmap out(3, 3, colors::kWhite);
  std::string error;
  const std::uint8_t garbage[] = {0xFF, 0xD8, 0xFF, 0x00, 0x01, 0x02};
  EXPECT_FALSE(DecodeJpeg(garbage, sizeof garbage, out, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(out.Width(), 3);
  EXPECT_EQ(out.Pixel(1, 1), colors::kWhite);
  EXPECT_FALSE(DecodeJpeg(nullptr, 0, out, &error));

  // A real picture cut short must fail, not read past its end.
  std::vector<std::uint8_t> title = ReadFile(std::string(QUORVEL_TEST_ART_DIR) + "/title.jpg");
  ASSERT_GT(title.size(), 200u);
  title.resize(120);
  EXPECT_FALSE(DecodeJpeg(title.data(), title.size(), out, &error));
}

struct Shipped {
  const char* resource;
  int width, height;
  // One pixel and its expected colour, each channel within a tolerance
  // (JPEG is lossy).
  int x, y;
  TColor expected;
};

void PrintTo(const Shipped& s, std::ostream* os) { *os << s.resource; }

class ShippedPicture : public ::testing::TestWithParam<Shipped> {};

TEST_P(ShippedPicture, DecodesToItsSizeAndColours) {
  const Shipped& s = GetParam();
  HeadlessBackend backend;
  backend.SetResourceDir(QUORVEL_TEST_ART_DIR);
  TApplication app(backend);
  const Bitmap picture = LoadPictureResource(s.resource);
  ASSERT_FALSE(picture.Empty()) << s.resource << " did not decode";
  EXPECT_EQ(picture.Width(), s.width);
  EXPECT_EQ(picture.Height(), s.height);
  const TColor got = picture.Pixel(s.x, s.y);
  auto near = [](int a, int b) { return std::abs(a - b) <= 12; };
  EXPECT_TRUE(near(RedOf(got), RedOf(s.expected)) && near(GreenOf(got), GreenOf(s.expected)) &&
              near(BlueOf(got), BlueOf(s.expected)))
      << s.resource << " pixel (" << s.x << "," << s.y << ") is " << std::hex << got;
}

// Expected colours: the title's dark teal ground, the light navigation
// column, the held-down (last) cell of a navigation strip in the accent
// teal, the near-white letters of a hover picture.
INSTANTIATE_TEST_SUITE_P(
    Artwork, ShippedPicture,
    ::testing::Values(Shipped{"TITLE", 770, 106, 5, 100, RGBColor(21, 101, 110)},
                      Shipped{"NAVIGATION", 179, 434, 5, 5, RGBColor(242, 246, 247)},
                      Shipped{"CHART_TILE", 16, 16, 5, 5, RGBColor(6, 23, 33)},
                      Shipped{"HOVER", 165, 16, 1, 8, RGBColor(19, 141, 144)},
                      Shipped{"NAV_OVERVIEW", 464, 29, 350, 3, RGBColor(23, 166, 172)},
                      Shipped{"NAV_OPTIMIZATION", 464, 29, 350, 3, RGBColor(23, 166, 172)},
                      Shipped{"NAV_SETTINGS", 464, 29, 350, 3, RGBColor(23, 166, 172)},
                      Shipped{"TITLE_ABOUT", 220, 16, 1, 8, RGBColor(22, 100, 112)},
                      Shipped{"TITLE_HELP", 220, 16, 1, 8, RGBColor(22, 100, 112)},
                      Shipped{"TITLE_MINIMIZE", 88, 11, 1, 5, RGBColor(34, 103, 118)},
                      Shipped{"TITLE_CLOSE", 88, 11, 1, 5, RGBColor(34, 103, 118)},
                      Shipped{"BTN_START_AUTO", 480, 28, 60, 3, RGBColor(250, 252, 254)},
                      Shipped{"BTN_START_FULL", 360, 28, 45, 3, RGBColor(250, 252, 254)},
                      Shipped{"BTN_AUTO_VM", 456, 28, 57, 3, RGBColor(250, 252, 254)},
                      Shipped{"BTN_DEFAULT", 456, 28, 57, 3, RGBColor(250, 252, 254)},
                      Shipped{"BTN_SAVE", 456, 28, 57, 3, RGBColor(250, 252, 254)},
                      Shipped{"BTN_APPSET", 456, 28, 57, 3, RGBColor(250, 252, 254)},
                      Shipped{"BTN_CLIPBOARD", 96, 22, 1, 11, RGBColor(228, 238, 239)}));

TEST(Jpeg, NavigationStripCellsLookDifferent) {
  // Up and held down must be told apart at a glance: the held cell is the
  // accent colour, the up cell near white.
  HeadlessBackend backend;
  backend.SetResourceDir(QUORVEL_TEST_ART_DIR);
  TApplication app(backend);
  TForm form(app, 1);
  TSpeedButton b(&form, 2);
  b.SetGlyph(LoadPictureResource("NAV_SETTINGS"), 4);
  const TColor up = b.Cell(ButtonState::Up).Pixel(10, 3);
  const TColor held = b.Cell(ButtonState::Exclusive).Pixel(10, 3);
  EXPECT_GT(GreenOf(up) + RedOf(up), 400);
  EXPECT_LT(RedOf(held), 80);
}

}  // namespace
}  // namespace gui
