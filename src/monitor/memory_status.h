#pragma once
// The memory snapshot and every memory figure the main window shows. Each
// figure names its own scaling rule; all arithmetic is unsigned 32-bit on
// byte counts, differences taken before scaling.

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace monitor {

using platform::MemoryStatus;

MemoryStatus TakeMemoryStatus(platform::Os& os);

inline std::uint32_t ToKilobytesTruncated(std::uint32_t bytes) { return bytes >> 10; }
inline std::uint32_t ToMegabytesTruncated(std::uint32_t bytes) { return bytes >> 20; }
// Exact conversion, then round to nearest with ties to even.
std::int64_t RoundedKilobytes(std::uint32_t bytes);
std::int64_t RoundedMegabytes(std::uint32_t bytes);

inline std::uint32_t UsedPhysical(const MemoryStatus& m) { return m.dwTotalPhys - m.dwAvailPhys; }
inline std::uint32_t UsedPageFile(const MemoryStatus& m) {
  return m.dwTotalPageFile - m.dwAvailPageFile;
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
