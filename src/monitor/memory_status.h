#pragma once
// The memory snapshot and every memory figure the main window shows. Each
// figure names its own scaling rule; all arithmetic is unsigned 64-bit on
// byte counts, differences taken before scaling, so that machines with more
// memory than a 32-bit report can count are shown as they are.

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace monitor {

// The snapshot: the system's 64-bit figures. Where the system has only the
// 32-bit report, its figures are widened, so they read exactly as before.
using MemoryStatus = platform::MemoryStatusEx;

MemoryStatus TakeMemoryStatus(platform::Os& os);
MemoryStatus Widened(const platform::MemoryStatus& narrow);

inline std::uint64_t ToKilobytesTruncated(std::uint64_t bytes) { return bytes >> 10; }
inline std::uint64_t ToMegabytesTruncated(std::uint64_t bytes) { return bytes >> 20; }
// Exact conversion, then round to nearest with ties to even.
std::int64_t RoundedKilobytes(std::uint64_t bytes);
std::int64_t RoundedMegabytes(std::uint64_t bytes);

// A used amount whose available part exceeds its total is nothing used,
// not a wrapped count.
inline std::uint64_t UsedOf(std::uint64_t total, std::uint64_t available) {
  return available < total ? total - available : 0;
}
inline std::uint64_t UsedPhysical(const MemoryStatus& m) {
  return UsedOf(m.ullTotalPhys, m.ullAvailPhys);
}
inline std::uint64_t UsedPageFile(const MemoryStatus& m) {
  return UsedOf(m.ullTotalPageFile, m.ullAvailPageFile);
}

// What a bar gauge receives, in the order it receives it.
struct GaugeValues {
  std::int64_t minimum = 0;
  std::int64_t maximum = 0;
  std::int64_t progress = 0;
  bool operator==(const GaugeValues& o) const {
    return minimum == o.minimum && maximum == o.maximum && progress == o.progress;
  }
};

// The text a gauge draws over its bar: "%d%%" of the clamped progress.
std::string GaugePercentText(const GaugeValues& g);
int GaugePercent(const GaugeValues& g);

// Every memory and processor figure of one refresh, ready for the controls.
struct Figures {
  std::string statusBar;  // third status-bar panel

  GaugeValues gaugeMem;
  std::string labelMemusageNum;
  GaugeValues gaugeVm;
  std::string labelVmnum;
  std::string labelPmTotal, labelPmFree, labelPmUsage;
  std::string labelVmTotal, labelVmFree, labelVmUsage;
  std::string labelPMu, labelVMu;
  GaugeValues gaugeCpu;
  std::string labelCpuUsage;

  // History graph values and the memory graph's vertical scale.
  double graphPhysical = 0;
  double graphPageFile = 0;
  double graphMemoryScale = 0;
  double graphCpu = 0;

  // Overall-optimize page.
  GaugeValues gaugeMem2;
  std::string labelMemusageNum2;
  GaugeValues gaugeCpu2;
  std::string lTotalRam, lFreeRam, lTotalPage, lPageFree, lTotalVirtual, lFreeVirtual;
};

std::string StatusBarMemoryText(const MemoryStatus& m);
Figures ComputeFigures(const MemoryStatus& m, double cpuUsage);

}  // namespace monitor
