#include "monitor/memory_status.h"

#include <cstdio>

#include "monitor/rounding.h"

namespace monitor {

namespace {

std::int64_t RoundedToInt64(double value) { return static_cast<std::int64_t>(RoundTiesToEven(value)); }

std::string Dec(std::int64_t v) { return std::to_string(v); }
std::string Dec(std::uint64_t v) { return std::to_string(v); }

std::string Kb(std::int64_t v) { return Dec(v) + " KB"; }
std::string Mb(std::int64_t v) { return Dec(v) + " MB"; }

// Processor usage shown as a whole number: truncated toward zero. The
// reading is unclamped, so keep the cast defined for any double.
std::int64_t TruncateUsage(double usage) {
  if (!(usage == usage)) return 0;
  if (usage >= 9.2e18) return INT64_MAX;
  if (usage <= -9.2e18) return INT64_MIN;
  return static_cast<std::int64_t>(usage);
}

}  // namespace

MemoryStatus TakeMemoryStatus(platform::Os& os) {
  MemoryStatus m;
  m.dwLength = sizeof(MemoryStatus);
  if (os.GlobalMemoryStatusEx(&m)) return m;
  platform::MemoryStatus narrow;
  narrow.dwLength = sizeof(narrow);
  os.GlobalMemoryStatus(&narrow);
  return Widened(narrow);
}

MemoryStatus Widened(const platform::MemoryStatus& narrow) {
  MemoryStatus m;
  m.dwLength = sizeof(MemoryStatus);
  m.dwMemoryLoad = narrow.dwMemoryLoad;
  m.ullTotalPhys = narrow.dwTotalPhys;
  m.ullAvailPhys = narrow.dwAvailPhys;
  m.ullTotalPageFile = narrow.dwTotalPageFile;
  m.ullAvailPageFile = narrow.dwAvailPageFile;
  m.ullTotalVirtual = narrow.dwTotalVirtual;
  m.ullAvailVirtual = narrow.dwAvailVirtual;
  return m;
}

std::int64_t RoundedKilobytes(std::uint64_t bytes) {
  return RoundedToInt64(static_cast<double>(bytes) / 1024.0);
}

std::int64_t RoundedMegabytes(std::uint64_t bytes) {
  return RoundedToInt64(static_cast<double>(bytes) / 1048576.0);
}

int GaugePercent(const GaugeValues& g) {
  if (g.maximum <= g.minimum) return 0;
  std::int64_t progress = g.progress;
  if (progress < g.minimum) progress = g.minimum;
  if (progress > g.maximum) progress = g.maximum;
  return static_cast<int>(100 * (progress - g.minimum) / (g.maximum - g.minimum));
}

std::string GaugePercentText(const GaugeValues& g) {
  char text[16];
  std::snprintf(text, sizeof text, "%d%%", GaugePercent(g));
  return text;
}

std::string StatusBarMemoryText(const MemoryStatus& m) {
  return "PM:" + Dec(ToKilobytesTruncated(m.ullAvailPhys)) + "K/" +
         Dec(ToKilobytesTruncated(m.ullTotalPhys)) + "K " + "PF:" +
         Dec(ToKilobytesTruncated(m.ullAvailPageFile)) + "K/" +
         Dec(ToKilobytesTruncated(m.ullTotalPageFile)) + "K ";
}

Figures ComputeFigures(const MemoryStatus& m, double cpuUsage) {
  Figures f;
  const std::uint64_t usedPhys = UsedPhysical(m);
  const std::uint64_t usedPage = UsedPageFile(m);
  const std::uint64_t totalPhysMb = ToMegabytesTruncated(m.ullTotalPhys);
  // Megabyte counts of any real machine fit a signed 64-bit gauge value.
  const auto mb = [](std::uint64_t bytes) {
    return static_cast<std::int64_t>(ToMegabytesTruncated(bytes));
  };

  f.statusBar = StatusBarMemoryText(m);

  // The gauge subtracts truncated megabytes while the label truncates the
  // difference, so the gauge may stand one megabyte above the label. Neither
  // goes below nothing used when more is reported available than there is.
  f.gaugeMem = {0, mb(m.ullTotalPhys),
                static_cast<std::int64_t>(UsedOf(totalPhysMb, ToMegabytesTruncated(m.ullAvailPhys)))};
  f.labelMemusageNum = Dec(ToMegabytesTruncated(usedPhys)) + " MB/" + Dec(totalPhysMb) + " MB";
  f.gaugeVm = {0, mb(m.ullTotalPageFile), mb(usedPage)};
  f.labelVmnum = Dec(ToMegabytesTruncated(usedPage)) + " MB/" +
                 Dec(ToMegabytesTruncated(m.ullTotalPageFile)) + " MB";
  f.labelPmTotal = Mb(RoundedMegabytes(m.ullTotalPhys));
  f.labelPmFree = Mb(RoundedMegabytes(m.ullAvailPhys));
  f.labelPmUsage = Mb(RoundedMegabytes(usedPhys));
  f.labelVmTotal = Mb(RoundedMegabytes(m.ullTotalPageFile));
  f.labelVmFree = Mb(RoundedMegabytes(m.ullAvailPageFile));
  f.labelVmUsage = Mb(RoundedMegabytes(usedPage));
  f.labelPMu = Dec(ToMegabytesTruncated(usedPhys)) + " MB";
  f.labelVMu = Dec(ToMegabytesTruncated(usedPage)) + " MB";

  const std::int64_t cpu = TruncateUsage(cpuUsage);
  f.gaugeCpu = {0, 100, cpu};
  f.labelCpuUsage = Dec(cpu) + "%";

  f.graphPhysical = static_cast<double>(ToMegabytesTruncated(usedPhys));
  f.graphPageFile = static_cast<double>(ToMegabytesTruncated(usedPage));
  f.graphMemoryScale = static_cast<double>(totalPhysMb);
  f.graphCpu = cpuUsage;

  f.gaugeMem2 = f.gaugeMem;
  f.labelMemusageNum2 = f.labelMemusageNum;
  f.gaugeCpu2 = f.gaugeCpu;
  f.lTotalRam = Kb(RoundedKilobytes(m.ullTotalPhys));
  f.lFreeRam = Kb(RoundedKilobytes(m.ullAvailPhys));
  f.lTotalPage = Kb(RoundedKilobytes(m.ullTotalPageFile));
  f.lPageFree = Kb(RoundedKilobytes(m.ullAvailPageFile));
  f.lTotalVirtual = Kb(RoundedKilobytes(m.ullTotalVirtual));
  f.lFreeVirtual = Kb(RoundedKilobytes(m.ullAvailVirtual));
  return f;
}

}  // namespace monitor
