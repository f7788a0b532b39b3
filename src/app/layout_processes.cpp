// The processes page ("Processes", titled Optimization): the "Overall
// optimize" group, the process report and the second automatic-optimization
// button.

#include "app/frmmain.h"
#include "app/layout.h"
#include "app/process_report_view.h"

namespace app {

using namespace layout;

void TForm_Zentor::LayOutProcessesPage() {
  // The "Overall optimize" group stands above the report, the second
  // automatic-optimization button below it.
  GroupBox_OverallOptimize.SetBounds(3, 38, 585, 108);
  GroupBox_OverallOptimize.SetCaption("Overall optimize");
  GroupBox_OverallOptimize.SetColor(gui::colors::kWhite);
  Place({{Label_OptimizeLavel, 84, 14, 300, 14, "OptimizeLavel"},
         {Label_MaxSpeed, 10, 34, 70, 14, "Max. Speed"},
         {TrackBar_OverallOption, 84, 29, 300, 26, nullptr},
         {Label_MaxSpace, 390, 34, 70, 14, "Max. Space"},
         {SpeedButton_StartFull, 476, 26, 90, 28, "Optimize Now"},
         {Gauge_OvarallOptimize, 10, 62, 565, 14, nullptr},
         {Label_overalloptimizing, 10, 62, 565, 14, "Memory overall optimizing..."},
         {CheckBox_MemoryLists, 10, 82, 565, 17,
          "Also empty the standby list (Windows Vista and later)"}});
  for (gui::TControl* c : std::initializer_list<gui::TControl*>{
           &Label_OptimizeLavel, &Label_MaxSpeed, &TrackBar_OverallOption, &Label_MaxSpace,
           &CheckBox_MemoryLists}) {
    c->SetColor(gui::colors::kWhite);
  }
  Label_OptimizeLavel.SetAlignment(gui::TAlignment::taCenter);
  gui::TFont bold;
  bold.bold = true;
  Label_OptimizeLavel.SetFont(bold);
  TrackBar_OverallOption.SetRange(1, 5);
  TrackBar_OverallOption.SetPosition(1);
  TrackBar_OverallOption.SetShowTicks(false);
  SpeedButton_StartFull.SetGlyph(gui::LoadPictureResource("BTN_START_FULL"), 4);
  Gauge_OvarallOptimize.SetGaugeKind(gui::TGaugeKind::gkHorizontalBar);
  Gauge_OvarallOptimize.SetColors(gui::colors::kLime, gui::colors::kSilver);
  Gauge_OvarallOptimize.SetShowText(false);
  Gauge_OvarallOptimize.Hide();
  Label_overalloptimizing.SetAlignment(gui::TAlignment::taCenter);
  Label_overalloptimizing.Hide();

  ListView_ProcessReport.SetBounds(3, 150, 585, 248);
  SetUpProcessReport(ListView_ProcessReport);

  SpeedButton_RunAuto2.SetBounds(468, 402, 120, 28);
  SpeedButton_RunAuto2.SetGlyph(gui::LoadPictureResource("BTN_START_AUTO"), 4);
  SpeedButton_RunAuto2.SetCaption("Auto optimize");
}

}  // namespace app
