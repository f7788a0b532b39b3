// The status refresh: the one operation that brings the process report, the
// status bar, every figure and gauge and the history graphs up to date.

#include "app/frmmain.h"
#include "app/process_report_view.h"
#include "gui/chart.h"
#include "monitor/memory_status.h"
#include "process/process_list.h"

namespace app {

namespace {

constexpr int kHistoryPoints = 50;

// A gauge takes its minimum, then its maximum, then its progress, so each
// step is checked against the values already in place.
void ShowGauge(gui::TGauge& gauge, const monitor::GaugeValues& v) {
  gauge.SetMinValue(v.minimum);
  gauge.SetMaxValue(v.maximum);
  gauge.SetProgress(v.progress);
}

}  // namespace

void TForm_Zentor::SetUpUsageGraphs() {
  const monitor::MemoryStatus m = monitor::TakeMemoryStatus(os_);
  Chart_PhyMem.SetLeftAxis(0, monitor::ToMegabytesTruncated(m.ullTotalPhys));
  Chart_CPUs.SetLeftAxis(0, 100);
  gui::FillWithZeros(Chart_PhyMem, kHistoryPoints);
  gui::FillWithZeros(Chart_CPUs, kHistoryPoints);
}

void TForm_Zentor::Button_GetProcessInfoClick() {
  // The processor reading pumps messages, and a refresh asked for in there
  // (a queued click, a timer tick) would nest one level deeper each time: a
  // flood of them overflows the stack. Such a refresh runs once, after the
  // one in progress, however many were asked for meanwhile.
  if (refreshRunning_) {
    refreshPending_ = true;
    return;
  }
  struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
  } running(refreshRunning_);
  do {
    refreshPending_ = false;
    RefreshStatus();
  } while (refreshPending_);
}

void TForm_Zentor::RefreshStatus() {
  process::TProcessList list;
  process::FillProcessList(os_, list);
  UpdateProcessReport(ListView_ProcessReport, StatusBar_State, list);
  const monitor::MemoryStatus m = monitor::TakeMemoryStatus(os_);
  StatusBar_State.SetPanelText(2, monitor::StatusBarMemoryText(m));
  // Every handle is closed before the sampler lets other handlers run.
  process::ReleaseProcessList(os_, list);

  const monitor::Figures memory = monitor::ComputeFigures(m, 0.0);
  Chart_PhyMem.SetLeftAxis(0, memory.graphMemoryScale);
  gui::ScrollSeries(Chart_PhyMem.Series(0), memory.graphPhysical);
  Label_PMu.SetCaption(memory.labelPMu);
  gui::ScrollSeries(Chart_PhyMem.Series(1), memory.graphPageFile);
  Label_VMu.SetCaption(memory.labelVMu);

  CpuUsage = sampler_ ? sampler_->SampleCpuUsage() : 0.0;

  Chart_CPUs.SetLeftAxis(0, 100);
  for (int s = 0; s < Chart_CPUs.SeriesCount(); ++s) {
    gui::ScrollSeries(Chart_CPUs.Series(s), CpuUsage);
  }

  const monitor::Figures f = monitor::ComputeFigures(m, CpuUsage);
  Label_CPUusage.SetCaption(f.labelCpuUsage);

  ShowGauge(Gauge_Mem, f.gaugeMem);
  Label_MemusageNum.SetCaption(f.labelMemusageNum);
  ShowGauge(Gauge_VM, f.gaugeVm);
  Label_vmnum.SetCaption(f.labelVmnum);
  ShowGauge(Gauge_CPU, f.gaugeCpu);
  ShowGauge(Gauge_Mem2, f.gaugeMem2);
  Label_MemusageNum2.SetCaption(Label_MemusageNum.Caption());
  ShowGauge(Gauge_Cpu2, f.gaugeCpu2);

  LTotalRAM.SetCaption(f.lTotalRam);
  LTotalPage.SetCaption(f.lTotalPage);
  LTotalVirtual.SetCaption(f.lTotalVirtual);
  LFreeRAM.SetCaption(f.lFreeRam);
  LPageFree.SetCaption(f.lPageFree);
  LFreeVirtual.SetCaption(f.lFreeVirtual);

  Label_vmTotal.SetCaption(f.labelVmTotal);
  Label_vmFree.SetCaption(f.labelVmFree);
  Label_vmUsage.SetCaption(f.labelVmUsage);
  Label_pmTotal.SetCaption(f.labelPmTotal);
  Label_pmFree.SetCaption(f.labelPmFree);
  Label_pmUsage.SetCaption(f.labelPmUsage);
  UpdateTrayIcon();
}

void TForm_Zentor::Timer_GetProcessInfoTimer() { Button_GetProcessInfo.Click(); }

void TForm_Zentor::CheckBox_AutoProcessListClick() {
  SpinEdit_ProcessListTime.SetEnabled(CheckBox_AutoProcessList.Checked());
}

}  // namespace app
