// The overall-optimize page ("OverallOpimize"), which no control shows: the
// figures the refresh writes there.

#include "app/frmmain.h"
#include "app/layout.h"

namespace app {

using namespace layout;

void TForm_Zentor::LayOutOverallPage() {
  Place({{Gauge_Mem2, 150, 40, 40, 220, nullptr},
         {Gauge_Cpu2, 60, 40, 40, 220, nullptr},
         {Label_Cpu2Caption, 40, 268, 80, 14, "CPU usage"},
         {Label_Mem2Caption, 130, 268, 80, 14, "Memory usage"},
         {Label_MemusageNum2, 120, 286, 100, 14, nullptr},
         {LTotalRAMCaption, 260, 60, 150, 14, "Total physical memory:"},
         {LTotalRAM, 410, 60, 120, 14, nullptr},
         {LFreeRAMCaption, 260, 84, 150, 14, "Free physical memory:"},
         {LFreeRAM, 410, 84, 120, 14, nullptr},
         {LTotalPageCaption, 260, 108, 150, 14, "Total page file:"},
         {LTotalPage, 410, 108, 120, 14, nullptr},
         {LPageFreeCaption, 260, 132, 150, 14, "Free page file:"},
         {LPageFree, 410, 132, 120, 14, nullptr},
         {LTotalVirtualCaption, 260, 156, 150, 14, "Total address space:"},
         {LTotalVirtual, 410, 156, 120, 14, nullptr},
         {LFreeVirtualCaption, 260, 180, 150, 14, "Free address space:"},
         {LFreeVirtual, 410, 180, 120, 14, nullptr}});
  for (gui::TGauge* g : {&Gauge_Mem2, &Gauge_Cpu2}) {
    g->SetGaugeKind(gui::TGaugeKind::gkVerticalBar);
    g->SetColors(gui::colors::kBlue, gui::colors::kSilver);
  }
  Gauge_Cpu2.SetMaxValue(100);
  Label_Cpu2Caption.SetAlignment(gui::TAlignment::taCenter);
  Label_Mem2Caption.SetAlignment(gui::TAlignment::taCenter);
  Label_MemusageNum2.SetAlignment(gui::TAlignment::taCenter);
}

}  // namespace app
