#include "gui/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gui {

void TChartSeries::SetYValue(int index, double y) {
  points_.at(index).y = y;
  chart_.PointsChanged();
}

void TChartSeries::AddXY(double x, double y, TColor color) {
  points_.push_back(TChartPoint{x, y, color});
  chart_.PointsChanged();
}

void TChartSeries::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  points_.erase(points_.begin() + index);
  chart_.PointsChanged();
}

void TChartSeries::Clear() {
  points_.clear();
  chart_.PointsChanged();
}

TChart::TChart(TWinControl* parent, int controlId)
    : TControl(parent, controlId, ControlKind::Chart) {}

TChartSeries& TChart::AddSeries(const std::string& title, TColor color) {
  series_.push_back(std::make_unique<TChartSeries>(*this, title, color));
  PointsChanged();
  return *series_.back();
}

void TChart::SetLeftAxis(double minimum, double maximum) {
  if (minimum == axisMin_ && maximum == axisMax_) return;
  axisMin_ = minimum;
  axisMax_ = maximum;
  PointsChanged();
}

void TChart::SetBackImage(Bitmap tile) {
  backImage_ = std::move(tile);
  Notify(Change::Picture);
}

bool TChart::XRange(double& minimum, double& maximum) const {
  bool any = false;
  for (const auto& s : series_) {
    for (const TChartPoint& p : s->Points()) {
      if (!any) {
        minimum = maximum = p.x;
        any = true;
      } else {
        minimum = std::min(minimum, p.x);
        maximum = std::max(maximum, p.x);
      }
    }
  }
  return any;
}

std::string TChart::Summary() const {
  std::string text;
  for (const auto& s : series_) {
    if (!text.empty()) text += "; ";
    text += s->Title().empty() ? "series" : s->Title();
    char value[48] = "-";
    if (s->Count() > 0) std::snprintf(value, sizeof value, "%g", s->YValue(s->Count() - 1));
    text += "=";
    text += value;
  }
  return text;
}

void TChart::PointsChanged() {
  SetCaption(Summary());
  Notify(Change::State);
}

void ScrollSeries(TChartSeries& series, double value) {
  if (series.Count() == 0) return;
  // Read the step before anything changes, so a one-point series steps 0.
  const double step = series.Count() > 1 ? series.XValue(1) - series.XValue(0) : 0.0;
  series.Delete(0);
  const double lastX = series.Count() > 0 ? series.XValue(series.Count() - 1) : 0.0;
  series.AddXY(lastX + step, value, series.Color());
}

void FillWithZeros(TChart& chart, int count) {
  for (int s = 0; s < chart.SeriesCount(); ++s) {
    TChartSeries& series = chart.Series(s);
    series.Clear();
    for (int i = 0; i < count; ++i) series.AddXY(i, 0.0, series.Color());
  }
}

std::vector<std::pair<int, int>> SeriesPolyline(const TChart& chart, const TChartSeries& series,
                                                int width, int height) {
  std::vector<std::pair<int, int>> points;
  double xMin = 0, xMax = 0;
  if (!chart.XRange(xMin, xMax) || width <= 1 || height <= 1) return points;
  const double xSpan = xMax > xMin ? xMax - xMin : 1.0;
  const double ySpan = chart.AxisMax() > chart.AxisMin() ? chart.AxisMax() - chart.AxisMin() : 1.0;
  points.reserve(series.Points().size());
  for (const TChartPoint& p : series.Points()) {
    const double px = (p.x - xMin) / xSpan * (width - 1);
    const double py = (height - 1) - (p.y - chart.AxisMin()) / ySpan * (height - 1);
    // Far-off values are held to a band outside the chart: the line still
    // leaves through the edge, and the coordinates stay small for GDI.
    const double limit = 4.0 * (height + width);
    points.emplace_back(static_cast<int>(std::lround(std::clamp(px, -limit, limit))),
                        static_cast<int>(std::lround(std::clamp(py, -limit, limit))));
  }
  return points;
}

}  // namespace gui
