#pragma once
// The charting control: line series of (x, y) points over a fixed
// vertical range, drawn without axes, legend or title on a tiled picture.
// The core keeps the points; the Win32 peer draws them.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "gui/bitmap.h"
#include "gui/controls.h"

namespace gui {

struct TChartPoint {
  double x = 0;
  double y = 0;
  TColor color = 0;
};

class TChart;

class TChartSeries {
 public:
  TChartSeries(TChart& chart, std::string title, TColor color)
      : chart_(chart), title_(std::move(title)), color_(color) {}

  const std::string& Title() const { return title_; }
  TColor Color() const { return color_; }
  int Count() const { return static_cast<int>(points_.size()); }
  double XValue(int index) const { return points_.at(index).x; }
  double YValue(int index) const { return points_.at(index).y; }
  void SetYValue(int index, double y);
  const std::deque<TChartPoint>& Points() const { return points_; }

  void AddXY(double x, double y, TColor color);
  void Delete(int index);
  void Clear();

 private:
  TChart& chart_;
  std::string title_;
  TColor color_;
  std::deque<TChartPoint> points_;
};

class TChart : public TControl {
 public:
  TChart(TWinControl* parent, int controlId);

  TChartSeries& AddSeries(const std::string& title, TColor color);
  int SeriesCount() const { return static_cast<int>(series_.size()); }
  TChartSeries& Series(int index) const { return *series_.at(index); }

  // The vertical axis: a fixed range; values beyond it run off the edge.
  void SetLeftAxis(double minimum, double maximum);
  double AxisMin() const { return axisMin_; }
  double AxisMax() const { return axisMax_; }

  const Bitmap& BackImage() const { return backImage_; }
  void SetBackImage(Bitmap tile);

  // The horizontal range: it follows the points of every series.
  bool XRange(double& minimum, double& maximum) const;

  // One line per series with its title and newest value, for readers.
  std::string Summary() const;

  // The points changed: redraw.
  void PointsChanged();

 private:
  std::vector<std::unique_ptr<TChartSeries>> series_;
  double axisMin_ = 0;
  double axisMax_ = 100;
  Bitmap backImage_;
};

// A series scrolls by one: the oldest point leaves, a new one enters at the
// right, one x step after the last; the series keeps its length. A series
// without points is left alone.
void ScrollSeries(TChartSeries& series, double value);

// Fills every series with `count` points at x = 0, 1, ... and y = 0.
void FillWithZeros(TChart& chart, int count);

// The polyline of a series in pixels of a chart of the given size, x to the
// right and y downwards; values outside the vertical range land outside.
std::vector<std::pair<int, int>> SeriesPolyline(const TChart& chart, const TChartSeries& series,
                                                int width, int height);

}  // namespace gui
