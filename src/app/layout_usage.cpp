// The usage page ("USAGEGROUP", titled System Overview): the gauges and
// figures, the two history graphs and the automatic-optimization button.

#include "app/frmmain.h"
#include "app/layout.h"

namespace app {

using namespace layout;

void TForm_Zentor::LayOutUsagePage() {
  gui::TFont bold;
  bold.bold = true;
  Place({{Label_CPUCaption, 12, 10, 250, 14, "Current CPU Usage"},
         {Gauge_CPU, 12, 26, 330, 18, nullptr},
         {Label_CPUusage, 290, 10, 52, 14, nullptr},
         {Label_MemCaption, 12, 52, 200, 14, "Current Physical Memory Usage"},
         {Label_MemusageNum, 212, 52, 130, 14, nullptr},
         {Gauge_Mem, 12, 68, 330, 18, nullptr},
         {Label_VMCaption, 12, 94, 200, 14, "Current Virtual Memory Usage"},
         {Label_vmnum, 212, 94, 130, 14, nullptr},
         {Gauge_VM, 12, 110, 330, 18, nullptr}});
  for (gui::TLabel* caption : {&Label_CPUCaption, &Label_MemCaption, &Label_VMCaption}) {
    caption->SetFont(bold);
  }
  for (gui::TLabel* number : {&Label_MemusageNum, &Label_vmnum, &Label_CPUusage}) {
    number->SetAlignment(gui::TAlignment::taRightJustify);
  }
  for (gui::TGauge* g : {&Gauge_CPU, &Gauge_Mem, &Gauge_VM}) HorizontalGauge(*g);
  Gauge_CPU.SetMaxValue(100);
  Label_CPUusage.Hide();

  struct Box {
    gui::TGroupBox& box;
    int top;
    const char* caption;
    gui::TLabel *totalCaption, *total, *freeCaption, *free, *usageCaption, *usage;
  };
  for (const Box& b : {Box{GroupBox_Physical, 4, "Physical Memory", &Label_pmTotalCaption,
                           &Label_pmTotal, &Label_pmFreeCaption, &Label_pmFree,
                           &Label_pmUsageCaption, &Label_pmUsage},
                       Box{GroupBox_Virtual, 66, "Virtual Memory", &Label_vmTotalCaption,
                           &Label_vmTotal, &Label_vmFreeCaption, &Label_vmFree,
                           &Label_vmUsageCaption, &Label_vmUsage}}) {
    b.box.SetBounds(360, b.top, 208, 60);
    b.box.SetCaption(b.caption);
    b.box.SetColor(gui::colors::kWhite);
    // Room for six-digit megabytes on both figures: machines of 100 GB
    // and more.
    Place({{*b.totalCaption, 10, 18, 34, 13, "Total:"},
           {*b.total, 44, 18, 60, 13, nullptr},
           {*b.freeCaption, 106, 18, 30, 13, "Free:"},
           {*b.free, 138, 18, 66, 13, nullptr},
           {*b.usageCaption, 10, 38, 44, 13, "Usage:"},
           {*b.usage, 54, 38, 60, 13, nullptr}});
  }
  // Kept for readers of the last figures in whole megabytes; never shown.
  Place({{Label_PMu, 0, 0, 60, 13, nullptr}, {Label_VMu, 0, 0, 60, 13, nullptr}});
  Label_PMu.Hide();
  Label_VMu.Hide();

  constexpr gui::TColor kOrange = 4227327;
  constexpr gui::TColor kLightBlue = 14925469;
  Place({{Label_CpuHistory, 8, 146, 80, 44, "CPU Usage History"},
         {Chart_CPUs, 92, 142, 481, 73, nullptr},
         {Label_MemHistory, 8, 232, 80, 44, "Memory Usage History"},
         {Chart_PhyMem, 92, 228, 481, 73, nullptr},
         {Shape_VMKey, 98, 233, 8, 8, nullptr},
         {Label_VMKey, 110, 231, 90, 13, "Virtual Memory"},
         {Shape_PMKey, 206, 233, 8, 8, nullptr},
         {Label_PMKey, 218, 231, 100, 13, "Physical Memory"}});
  Label_CpuHistory.SetFont(bold);
  Label_MemHistory.SetFont(bold);
  const gui::Bitmap tile = gui::LoadPictureResource("CHART_TILE");
  Chart_CPUs.SetColor(kLightBlue);
  Chart_CPUs.SetBackImage(tile);
  Chart_CPUs.AddSeries("", gui::colors::kLime);
  Chart_PhyMem.SetColor(gui::colors::kWhite);
  Chart_PhyMem.SetBackImage(tile);
  Chart_PhyMem.AddSeries("PM", kOrange);
  Chart_PhyMem.AddSeries("VM", gui::colors::kFuchsia);
  Shape_VMKey.SetColor(gui::colors::kFuchsia);
  Shape_PMKey.SetColor(kOrange);
  gui::TFont keyFont;
  keyFont.color = gui::colors::kWhite;
  Label_VMKey.SetFont(keyFont);
  Label_PMKey.SetFont(keyFont);
  SpeedButton_RunAuto.SetBounds(453, 318, 120, 28);
  SpeedButton_RunAuto.SetGlyph(gui::LoadPictureResource("BTN_START_AUTO"), 4);
  SpeedButton_RunAuto.SetCaption("Auto optimize");
  // The colour keys lie over the memory chart.
  for (gui::TControl* key : std::initializer_list<gui::TControl*>{&Shape_VMKey, &Label_VMKey,
                                                                  &Shape_PMKey, &Label_PMKey}) {
    key->BringToFront();
  }
}

}  // namespace app
