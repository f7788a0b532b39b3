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
  m.ullTotalPhys = totalPhys;
  m.ullAvailPhys = availPhys;
  m.ullTotalPageFile = totalPage;
  m.ullAvailPageFile = availPage;
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
  m.ullTotalVirtual = 2047u * kMb;
  m.ullAvailVirtual = 1536;  // 1.5 KB
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

TEST(Figures, AvailableAboveTotalCountsAsNothingUsed) {
  // Seen under Wine's clamped 32-bit report: available page file 0xFFFFFFFF
  // over a total of 0xFFF7FFFF. A wrapped difference would read 4095 MB used.
  const auto f = ComputeFigures(Status(2147483647u, 2147483647u, 0xFFF7FFFFu, kMax), 0);
  EXPECT_EQ(f.labelVMu, "0 MB");
  EXPECT_EQ(f.labelVmUsage, "0 MB");
  EXPECT_EQ(f.labelVmnum, "0 MB/4095 MB");
  EXPECT_EQ(f.gaugeVm, (GaugeValues{0, 4095, 0}));
  EXPECT_EQ(f.graphPageFile, 0.0);
  EXPECT_EQ(f.labelPmUsage, "0 MB");
  EXPECT_EQ(f.statusBar, "PM:2097151K/2097151K PF:4194303K/4193791K ");
}

TEST(Figures, PhysicalGaugeAndLabelReadEmptyWhenMoreIsAvailableThanThereIs) {
  // 1000 MB total, 1500 MB reported available.
  const auto f = ComputeFigures(Status(1000 * kMb, 1500 * kMb, 0, 0), 0);
  EXPECT_EQ(f.labelMemusageNum, "0 MB/1000 MB");
  EXPECT_EQ(f.labelPMu, "0 MB");
  EXPECT_EQ(f.gaugeMem, (GaugeValues{0, 1000, 0}));
  EXPECT_EQ(GaugePercent(f.gaugeMem2), 0);
  EXPECT_EQ(f.graphPhysical, 0.0);
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

TEST(TakeMemoryStatus, ReadsTheWideReportWhereTheSystemHasIt) {
  platform::SimOs os;
  os.memory.ullTotalPhys = std::uint64_t{24105} << 20;
  os.memory.ullAvailPhys = std::uint64_t{23482} << 20;
  os.memory.ullTotalPageFile = std::uint64_t{24105} << 20;
  os.memory.ullAvailPageFile = (std::uint64_t{20000} << 20) + 1;
  os.memory.ullTotalVirtual = std::uint64_t{4095} << 20;
  os.memory.ullAvailVirtual = 12345;
  os.memoryStatusClamp = 0x7FFFFFFFu;
  const MemoryStatus m = TakeMemoryStatus(os);
  EXPECT_EQ(m.dwLength, 64u);
  EXPECT_EQ(m.dwMemoryLoad, os.memory.dwMemoryLoad);
  EXPECT_EQ(m.ullTotalPhys, std::uint64_t{24105} << 20);
  EXPECT_EQ(m.ullAvailPhys, std::uint64_t{23482} << 20);
  EXPECT_EQ(m.ullTotalPageFile, std::uint64_t{24105} << 20);
  EXPECT_EQ(m.ullAvailPageFile, (std::uint64_t{20000} << 20) + 1);
  EXPECT_EQ(m.ullTotalVirtual, std::uint64_t{4095} << 20);
  EXPECT_EQ(m.ullAvailVirtual, 12345u);
  EXPECT_EQ(os.Calls(), std::vector<std::string>{"GlobalMemoryStatusEx"}) << "no narrow report needed";
}

// Windows 95 and NT 4: the 32-bit report, each field widened as it stands.
TEST(TakeMemoryStatus, FallsBackToTheNarrowReportWithoutTheWideCall) {
  platform::SimOs os;
  os.memoryStatusExAvailable = false;
  os.memory.ullTotalPhys = 0xFFFFF000u;
  os.memory.ullAvailPhys = 1000u * kMb + 5;
  os.memory.ullTotalPageFile = kMax;
  os.memory.ullAvailPageFile = 7;
  os.memory.ullTotalVirtual = 2047u * kMb;
  os.memory.ullAvailVirtual = 12345;
  const MemoryStatus m = TakeMemoryStatus(os);
  EXPECT_EQ(m.dwLength, 64u);
  EXPECT_EQ(m.dwMemoryLoad, os.memory.dwMemoryLoad);
  EXPECT_EQ(m.ullTotalPhys, 0xFFFFF000u);
  EXPECT_EQ(m.ullAvailPhys, 1000u * kMb + 5);
  EXPECT_EQ(m.ullTotalPageFile, kMax);
  EXPECT_EQ(m.ullAvailPageFile, 7u);
  EXPECT_EQ(m.ullTotalVirtual, 2047u * kMb);
  EXPECT_EQ(m.ullAvailVirtual, 12345u);
  EXPECT_EQ(os.Calls(), (std::vector<std::string>{"GlobalMemoryStatusEx", "GlobalMemoryStatus"}));
}

// A machine past what the narrow report can count, on a system without the
// wide call: the figures are the clamped ones, exactly as before.
TEST(TakeMemoryStatus, NarrowReportOfALargeMachineGivesTheClampedFigures) {
  platform::SimOs os;
  os.memoryStatusExAvailable = false;
  os.memoryStatusClamp = 0x7FFFFFFFu;
  os.memory.ullTotalPhys = std::uint64_t{24} << 30;
  os.memory.ullAvailPhys = std::uint64_t{23} << 30;
  os.memory.ullTotalPageFile = std::uint64_t{24} << 30;
  os.memory.ullAvailPageFile = std::uint64_t{20} << 30;
  const Figures f = ComputeFigures(TakeMemoryStatus(os), 0);
  EXPECT_EQ(f.statusBar, "PM:2097151K/2097151K PF:2097151K/2097151K ");
  EXPECT_EQ(f.labelPmTotal, "2048 MB");
  EXPECT_EQ(f.labelMemusageNum, "0 MB/2047 MB");
}

}  // namespace
}  // namespace monitor
