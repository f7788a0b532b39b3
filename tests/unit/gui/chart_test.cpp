#include "gui/chart.h"

#include <gtest/gtest.h>

#include "gui/application.h"
#include "gui/headless/headless_backend.h"

namespace gui {
namespace {

struct Rig {
  gui::HeadlessBackend backend;
  gui::TApplication app{backend};
  gui::TForm form{app, 1};
  TChart chart{&form, 2};
};

void ExpectEvenSteps(const TChartSeries& s, int count) {
  ASSERT_EQ(s.Count(), count);
  for (int i = 1; i < s.Count(); ++i) {
    EXPECT_DOUBLE_EQ(s.XValue(i) - s.XValue(i - 1), 1.0) << "at point " << i;
  }
}

TEST(ChartSeries, ScrollingKeepsLengthAndStep) {
  Rig rig;
  TChartSeries& s = rig.chart.AddSeries("PM", gui::colors::kFuchsia);
  FillWithZeros(rig.chart, 50);
  ExpectEvenSteps(s, 50);
  for (int i = 1; i <= 1000; ++i) ScrollSeries(s, i);
  ExpectEvenSteps(s, 50);
  EXPECT_DOUBLE_EQ(s.YValue(49), 1000.0) << "the newest value enters at the right";
  EXPECT_DOUBLE_EQ(s.YValue(0), 951.0) << "the oldest leaves at the left";
  EXPECT_DOUBLE_EQ(s.XValue(0), 1000.0);
  EXPECT_EQ(s.Points().back().color, gui::colors::kFuchsia);
}

TEST(ChartSeries, EmptySeriesIsLeftAloneAndOnePointKeepsItsPlace) {
  Rig rig;
  TChartSeries& empty = rig.chart.AddSeries("", gui::colors::kLime);
  ScrollSeries(empty, 5);
  EXPECT_EQ(empty.Count(), 0);
  TChartSeries& single = rig.chart.AddSeries("", gui::colors::kLime);
  single.AddXY(7, 1, gui::colors::kLime);
  ScrollSeries(single, 2);
  ASSERT_EQ(single.Count(), 1);
  EXPECT_DOUBLE_EQ(single.XValue(0), 0.0 + 0.0) << "no earlier point: x starts over at 0 + 0";
  EXPECT_DOUBLE_EQ(single.YValue(0), 2.0);
}

TEST(ChartSeries, KeepsAStepOtherThanOne) {
  Rig rig;
  TChartSeries& s = rig.chart.AddSeries("", gui::colors::kLime);
  for (int i = 0; i < 5; ++i) s.AddXY(i * 2.5, 0, gui::colors::kLime);
  ScrollSeries(s, 1);
  EXPECT_DOUBLE_EQ(s.XValue(4), 12.5);
  EXPECT_DOUBLE_EQ(s.XValue(4) - s.XValue(3), 2.5);
}

TEST(ChartDrawing, PolylineSpansTheWidthAndRunsOffTheTopAboveTheScale) {
  Rig rig;
  TChartSeries& s = rig.chart.AddSeries("VM", gui::colors::kFuchsia);
  rig.chart.SetLeftAxis(0, 100);
  FillWithZeros(rig.chart, 50);
  s.SetYValue(49, 150);  // above the fixed scale
  s.SetYValue(10, 50);
  const auto line = SeriesPolyline(rig.chart, s, 481, 73);
  ASSERT_EQ(line.size(), 50u);
  EXPECT_EQ(line.front().first, 0);
  EXPECT_EQ(line.back().first, 480);
  EXPECT_EQ(line.front().second, 72) << "zero sits on the bottom row";
  EXPECT_EQ(line[10].second, 36);
  EXPECT_LT(line.back().second, 0) << "the scale is not widened";
  EXPECT_DOUBLE_EQ(rig.chart.AxisMax(), 100.0);
}

TEST(ChartDrawing, SummaryNamesEachSeriesWithItsNewestValue) {
  Rig rig;
  rig.chart.AddSeries("PM", 1);
  rig.chart.AddSeries("VM", 2);
  FillWithZeros(rig.chart, 3);
  ScrollSeries(rig.chart.Series(0), 412);
  EXPECT_EQ(rig.chart.Summary(), "PM=412; VM=0");
  EXPECT_EQ(rig.chart.Caption(), rig.chart.Summary());
}

}  // namespace
}  // namespace gui
