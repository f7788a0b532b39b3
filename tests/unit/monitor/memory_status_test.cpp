#include "monitor/memory_status.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_os.h"

namespace monitor {
namespace {

constexpr std::uint32_t kMb = 1048576;
constexpr std::uint32_t kMax = 0xFFFFFFFFu;

MemoryStatus Status(std::uint32_t totalPhys, std::uint32_t availPhys, std::uint32_t totalPage,
                    std::uint32_t availPage) {
  MemoryStatus m;
  m.dwLength = 32;
  m.dwTotalPhys = totalPhys;
  m.dwAvailPhys = availPhys;
  m.dwTotalPageFile = totalPage;
  m.dwAvailPageFile = availPage;
  return m;
}

TEST(ScalingRules, TruncatedAndRoundedDisagreeAsDesigned) {
  // 1536 and 2560 bytes are 1.5 and 2.5 KB: both round to the even 2.
  EXPECT_EQ(RoundedKilobytes(1536), 2);
  EXPECT_EQ(RoundedKilobytes(2560), 2);
  EXPECT_EQ(RoundedKilobytes(3584), 4);  // 3.5 -> 4
  EXPECT_EQ(ToKilobytesTruncated(1536), 1u);
  EXPECT_EQ(ToKilobytesTruncated(2560), 2u);
  EXPECT_EQ(RoundedKilobytes(1535), 1);
  EXPECT_EQ(RoundedKilobytes(1537), 2);
  EXPECT_EQ(RoundedMegabytes(kMb / 2), 0);          // 0.5 -> 0
  EXPECT_EQ(RoundedMegabytes(kMb + kMb / 2), 2);    // 1.5 -> 2
  EXPECT_EQ(ToMegabytesTruncated(kMb - 1), 0u);
}

TEST(ScalingRules, LargestValueFitsEveryRule) {
  EXPECT_EQ(ToKilobytesTruncated(kMax), 4194303u);
  EXPECT_EQ(ToMegabytesTruncated(kMax), 4095u);
  // 4294967295 / 1024 = 4194303.999...: rounds up past the 32-bit KB count.
  EXPECT_EQ(RoundedKilobytes(kMax), 4194304);
  EXPECT_EQ(RoundedMegabytes(kMax), 4096);
  EXPECT_EQ(RoundedKilobytes(0), 0);
}

TEST(Figures, ThousandMegabyteMachineWithHalfFree) {
  // 1000 MB total, 500.5 MB available.
  const auto f = ComputeFigures(Status(1048576000u, 524812288u, 0, 0), 0.0);
  EXPECT_EQ(f.gaugeMem, (GaugeValues{0, 1000, 500}));
  EXPECT_EQ(f.labelMemusageNum, "499 MB/1000 MB");
  EXPECT_EQ(f.labelPmUsage, "500 MB");
  EXPECT_EQ(f.labelPmFree, "500 MB");
  EXPECT_EQ(f.statusBar.substr(0, 19), "PM:512512K/1024000K");
  EXPECT_EQ(f.labelPMu, "499 MB");
  EXPECT_EQ(f.graphPhysical, 499.0);
  EXPECT_EQ(f.graphMemoryScale, 1000.0);
}

TEST(Figures, HalfMegabyteTotalRoundsUpOnlyInTheRoundedLabel) {
  const std::uint32_t total = 1023u * kMb + kMb / 2;
  const auto f = ComputeFigures(Status(total, 0, 0, 0), 0.0);
  EXPECT_EQ(f.labelPmTotal, "1024 MB");
  EXPECT_EQ(f.labelMemusageNum, "1023 MB/1023 MB");
  EXPECT_EQ(f.gaugeMem.maximum, 1023);
}

TEST(Figures, StatusBarTextEndsInBlankAndUsesKilobytes) {
  const auto f = ComputeFigures(Status(2048u * 1024, 1024u * 1024, 4096u * 1024, 1000u * 1024 + 1023), 0);
  EXPECT_EQ(f.statusBar, "PM:1024K/2048K PF:1000K/4096K ");
}

TEST(Figures, PageFileAndVirtualFigures) {
  MemoryStatus m = Status(512u * kMb, 256u * kMb, 1536u * kMb, 512u * kMb + 1536);
  m.dwTotalVirtual = 2047u * kMb;
  m.dwAvailVirtual = 1536;  // 1.5 KB
  const auto f = ComputeFigures(m, 0);
  EXPECT_EQ(f.gaugeVm, (GaugeValues{0, 1536, 1023}));  // used = 1024 MB - 1536 B
  EXPECT_EQ(f.labelVmnum, "1023 MB/1536 MB");
  EXPECT_EQ(f.labelVmUsage, "1024 MB");
  EXPECT_EQ(f.labelVmFree, "512 MB");
  EXPECT_EQ(f.labelVMu, "1023 MB");
  EXPECT_EQ(f.graphPageFile, 1023.0);
  EXPECT_EQ(f.lTotalVirtual, "2096128 KB");
  EXPECT_EQ(f.lFreeVirtual, "2 KB");
  EXPECT_EQ(f.lPageFree, "524290 KB");  // 524289.5 -> even 524290
  EXPECT_EQ(f.gaugeMem2, f.gaugeMem);
  EXPECT_EQ(f.labelMemusageNum2, f.labelMemusageNum);
}

TEST(Figures, AvailableAboveTotalWrapsAsUnsigned32Bit) {
  // Seen under Wine: available page file 0xFFFFFFFF over a total of 0xFFF7FFFF.
  const auto f = ComputeFigures(Status(2147483647u, 2147483647u, 0xFFF7FFFFu, kMax), 0);
  // used = 0xFFF7FFFF - 0xFFFFFFFF wraps to 0xFFF80000 (4095.5 MB).
  EXPECT_EQ(f.labelVMu, "4095 MB");
  EXPECT_EQ(f.labelVmUsage, "4096 MB");
  EXPECT_EQ(f.gaugeVm, (GaugeValues{0, 4095, 4095}));
  EXPECT_EQ(f.labelPmUsage, "0 MB");
  EXPECT_EQ(f.statusBar, "PM:2097151K/2097151K PF:4194303K/4193791K ");
}

TEST(Figures, PhysicalGaugeWrapsLikeItsLabelWhenMoreIsAvailableThanThereIs) {
  // 1000 MB total, 1500 MB reported available: the label's used figure
  // wraps to 4095 MB, and the gauge, which takes the same unsigned
  // difference, stands full rather than empty beside it.
  const auto f = ComputeFigures(Status(1000 * kMb, 1500 * kMb, 0, 0), 0);
  EXPECT_EQ(f.labelMemusageNum, "3596 MB/1000 MB");
  EXPECT_EQ(f.gaugeMem.progress, 4294966796);  // 1000 - 1500 in 32 bits
  EXPECT_EQ(GaugePercent(f.gaugeMem), 100);
  EXPECT_EQ(GaugePercent(f.gaugeMem2), 100);
}

TEST(Figures, ProcessorFiguresTruncateButGraphKeepsFraction) {
  const auto f = ComputeFigures(Status(kMb, 0, 0, 0), 31.9);
  EXPECT_EQ(f.gaugeCpu, (GaugeValues{0, 100, 31}));
  EXPECT_EQ(f.labelCpuUsage, "31%");
  EXPECT_DOUBLE_EQ(f.graphCpu, 31.9);
  EXPECT_EQ(ComputeFigures(Status(kMb, 0, 0, 0), -2.5).labelCpuUsage, "-2%");
}

TEST(GaugeText, ClampsAndHandlesEmptyRange) {
  EXPECT_EQ(GaugePercentText({0, 1000, 500}), "50%");
  EXPECT_EQ(GaugePercentText({0, 3, 2}), "66%");  // truncated, not rounded
  EXPECT_EQ(GaugePercentText({0, 100, 150}), "100%");
  EXPECT_EQ(GaugePercentText({0, 100, -5}), "0%");
  EXPECT_EQ(GaugePercentText({10, 10, 10}), "0%");
  EXPECT_EQ(GaugePercentText({0, 0, 7}), "0%");
  EXPECT_EQ(GaugePercentText({50, 150, 100}), "50%");
  EXPECT_EQ(GaugePercent({0, 4095, 4095}), 100);
}

TEST(TakeMemoryStatus, SetsLengthAndCopiesEveryField) {
  platform::SimOs os;
  os.memory.dwAvailVirtual = 12345;
  const MemoryStatus m = TakeMemoryStatus(os);
  EXPECT_EQ(m.dwLength, 32u);
  EXPECT_EQ(m.dwTotalPhys, os.memory.dwTotalPhys);
  EXPECT_EQ(m.dwAvailVirtual, 12345u);
  EXPECT_EQ(os.CountCalls("GlobalMemoryStatus"), 1u);
}

}  // namespace
}  // namespace monitor
