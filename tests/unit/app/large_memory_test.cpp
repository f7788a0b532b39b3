// Machines with more memory than a 32-bit report can count: every figure the
// user sees comes from the wide report, while the narrow one is clamped as
// Windows clamps it for a 32-bit program.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "app/frmmain.h"
#include "app/tray_icon.h"
#include "monitor/memory_status.h"
#include "optimize/auto_optimize.h"
#include "optimize/overall.h"
#include "program_fixture.h"

namespace app {
namespace {

constexpr std::uint64_t kMB = std::uint64_t{1} << 20;

struct Machine {
  const char* name;
  std::uint64_t totalPhys, availPhys, totalPage, availPage, totalVirtual, availVirtual;
  // What the user sees.
  const char* statusBar;
  monitor::GaugeValues gaugeMem;
  const char* memusageNum;
  monitor::GaugeValues gaugeVm;
  const char* vmnum;
  const char *pmTotal, *pmFree, *pmUsage, *vmTotal, *vmFree, *vmUsage;
  const char *lTotalRam, *lFreeRam, *lTotalPage, *lPageFree, *lTotalVirtual, *lFreeVirtual;
  const char* trayText;
  int trayFontHeight;
  int trayTextY;
  int physicalBar, pageFileBar;
  const char* tip;
};

void PrintTo(const Machine& m, std::ostream* os) { *os << m.name; }

const Machine kMachines[] = {
    {"ThreeGigabytes", 3072 * kMB, 1280 * kMB + 512 * 1024, 5120 * kMB, 3000 * kMB, 2047 * kMB,
     1900 * kMB,
     "PM:1311232K/3145728K PF:3072000K/5242880K ", {0, 3072, 1792}, "1791 MB/3072 MB",
     {0, 5120, 2120}, "2120 MB/5120 MB",
     // 1791.5 MB used rounds to the even 1792.
     "3072 MB", "1280 MB", "1792 MB", "5120 MB", "3000 MB", "2120 MB",
     "3145728 KB", "1311232 KB", "5242880 KB", "3072000 KB", "2096128 KB", "1945600 KB",
     "1280", 8, 0, 9, 6, "1280 MB free of 3072 MB physical memory"},
    // The build machine, as its wide report reads.
    {"TwentyFourGigabytes", 24105 * kMB + 123456, 23482 * kMB + 600000, 24105 * kMB + 123456,
     22000 * kMB + 1536, 0xFFFE0000u, 4000 * kMB,
     "PM:24046153K/24683640K PF:22528001K/24683640K ", {0, 24105, 623}, "622 MB/24105 MB",
     {0, 24105, 2105}, "2105 MB/24105 MB",
     "24105 MB", "23483 MB", "623 MB", "24105 MB", "22000 MB", "2105 MB",
     "24683641 KB", "24046154 KB", "24683641 KB", "22528002 KB", "4194176 KB", "4096000 KB",
     "22G", 10, -1, 0, 1, "23482 MB free of 24105 MB physical memory"},
    {"SixtyFourGigabytes", 65536 * kMB, 60000 * kMB, 73728 * kMB, 70000 * kMB, 0xFFFE0000u,
     4090 * kMB,
     "PM:61440000K/67108864K PF:71680000K/75497472K ", {0, 65536, 5536}, "5536 MB/65536 MB",
     {0, 73728, 3728}, "3728 MB/73728 MB",
     "65536 MB", "60000 MB", "5536 MB", "73728 MB", "70000 MB", "3728 MB",
     "67108864 KB", "61440000 KB", "75497472 KB", "71680000 KB", "4194176 KB", "4188160 KB",
     "58G", 10, -1, 1, 0, "60000 MB free of 65536 MB physical memory"},
};

class LargeMachine : public testing::ProgramTest, public ::testing::WithParamInterface<Machine> {
 protected:
  void SetUp() override {
    const Machine& m = GetParam();
    os.memory.ullTotalPhys = m.totalPhys;
    os.memory.ullAvailPhys = m.availPhys;
    os.memory.ullTotalPageFile = m.totalPage;
    os.memory.ullAvailPageFile = m.availPage;
    os.memory.ullTotalVirtual = m.totalVirtual;
    os.memory.ullAvailVirtual = m.availVirtual;
    // What a 32-bit program gets from the narrow report on such a machine.
    os.memoryStatusClamp = 0x7FFFFFFFu;
  }
};

TEST_P(LargeMachine, RefreshShowsEveryFigureAsItIs) {
  const Machine& m = GetParam();
  StartProgram();
  ASSERT_TRUE(started);
  backend.AdvanceBy(2000);  // a timer refresh, after the tray icon is there
  TForm_Zentor& f = Form();
  EXPECT_EQ(f.StatusBar_State.Panel(2).text, m.statusBar);
  EXPECT_EQ(f.Gauge_Mem.MinValue(), m.gaugeMem.minimum);
  EXPECT_EQ(f.Gauge_Mem.MaxValue(), m.gaugeMem.maximum);
  EXPECT_EQ(f.Gauge_Mem.Progress(), m.gaugeMem.progress);
  EXPECT_EQ(f.Gauge_Mem2.MaxValue(), m.gaugeMem.maximum);
  EXPECT_EQ(f.Gauge_Mem2.Progress(), m.gaugeMem.progress);
  EXPECT_EQ(f.Label_MemusageNum.Caption(), m.memusageNum);
  EXPECT_EQ(f.Label_MemusageNum2.Caption(), m.memusageNum);
  EXPECT_EQ(f.Gauge_VM.MaxValue(), m.gaugeVm.maximum);
  EXPECT_EQ(f.Gauge_VM.Progress(), m.gaugeVm.progress);
  EXPECT_EQ(f.Label_vmnum.Caption(), m.vmnum);
  EXPECT_EQ(f.Label_pmTotal.Caption(), m.pmTotal);
  EXPECT_EQ(f.Label_pmFree.Caption(), m.pmFree);
  EXPECT_EQ(f.Label_pmUsage.Caption(), m.pmUsage);
  EXPECT_EQ(f.Label_vmTotal.Caption(), m.vmTotal);
  EXPECT_EQ(f.Label_vmFree.Caption(), m.vmFree);
  EXPECT_EQ(f.Label_vmUsage.Caption(), m.vmUsage);
  EXPECT_EQ(f.LTotalRAM.Caption(), m.lTotalRam);
  EXPECT_EQ(f.LFreeRAM.Caption(), m.lFreeRam);
  EXPECT_EQ(f.LTotalPage.Caption(), m.lTotalPage);
  EXPECT_EQ(f.LPageFree.Caption(), m.lPageFree);
  EXPECT_EQ(f.LTotalVirtual.Caption(), m.lTotalVirtual);
  EXPECT_EQ(f.LFreeVirtual.Caption(), m.lFreeVirtual);

  // The graphs: the memory scale is all of physical memory, the newest
  // points the used megabytes.
  EXPECT_EQ(f.Chart_PhyMem.AxisMax(), static_cast<double>(m.gaugeMem.maximum));
  EXPECT_EQ(f.Chart_PhyMem.Series(0).YValue(49),
            static_cast<double>((m.totalPhys - m.availPhys) >> 20));
  EXPECT_EQ(f.Chart_PhyMem.Series(1).YValue(49), static_cast<double>(m.gaugeVm.progress));

  ASSERT_EQ(os.TrayIcons().size(), 1u);
  EXPECT_EQ(os.TrayIcons()[0].tip, m.tip);
}

TEST_P(LargeMachine, TrayPictureShowsTheFreeMemoryAndTheBars) {
  const Machine& m = GetParam();
  const TrayIconLayout layout = ComputeTrayIconLayout(monitor::TakeMemoryStatus(os), 0);
  EXPECT_EQ(layout.text, m.trayText);
  EXPECT_EQ(layout.fontHeight, m.trayFontHeight);
  EXPECT_EQ(layout.textY, m.trayTextY);
  EXPECT_EQ(layout.bars[0].fill, m.physicalBar);
  EXPECT_EQ(layout.bars[0].color, tray::kPhysical);
  EXPECT_EQ(layout.bars[1].fill, m.pageFileBar);
  EXPECT_EQ(layout.bars[1].color, tray::kPageFile);
  // The tip fits the record with its terminating zero.
  EXPECT_LT(std::string(m.tip).size(), sizeof(platform::NotifyIconData{}.szTip));
}

INSTANTIATE_TEST_SUITE_P(Machines, LargeMachine, ::testing::ValuesIn(kMachines),
                         [](const ::testing::TestParamInfo<Machine>& info) { return info.param.name; });

// The build machine's share: 23482.57 of 24105.12 MB is 97.4 % available.
TEST(LargeMachineStopCondition, ComparesTheWideShares) {
  monitor::MemoryStatus m;
  m.ullTotalPhys = 24105 * kMB + 123456;
  m.ullAvailPhys = 23482 * kMB + 600000;
  EXPECT_TRUE(optimize::EnoughMemoryAvailable(m, 97));
  EXPECT_FALSE(optimize::EnoughMemoryAvailable(m, 98));
  // 64 GB with exactly half available: half counts as enough.
  m.ullTotalPhys = 65536 * kMB;
  m.ullAvailPhys = 32768 * kMB;
  EXPECT_TRUE(optimize::EnoughMemoryAvailable(m, 50));
  EXPECT_FALSE(optimize::EnoughMemoryAvailable(m, 51));
}

TEST(LargeMachineReport, FiguresPastFourGigabytesAreNotWrapped) {
  EXPECT_EQ(optimize::OverallReportText(20000 * kMB + 5, 23000 * kMB),
            "Available physical memory before optimizing:20000 MB\r\n"
            "Available physical memory after optimizing:23000 MB\r\n"
            "Released physical memory after optimizing:2999 MB");
  // Less after than before: the difference of the bytes, cut toward zero.
  EXPECT_EQ(optimize::OverallReportText(6000 * kMB + 1, 4500 * kMB),
            "Available physical memory before optimizing:6000 MB\r\n"
            "Available physical memory after optimizing:4500 MB\r\n"
            "Released physical memory after optimizing:-1500 MB");
}

}  // namespace
}  // namespace app
