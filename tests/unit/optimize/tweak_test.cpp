#include "optimize/tweak.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/gauge_progress.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "gui/headless/headless_backend.h"
#include "optimize/tweak_os.h"

namespace optimize {
namespace {

using testing::TweakOs;

constexpr std::uint32_t kMB = 1048576;
constexpr std::uint32_t kPage = 4096;

std::string Range(std::int64_t max, std::int64_t at) {
  return "0.." + std::to_string(max) + " @" + std::to_string(at);
}
std::string GaugeState(const gui::TGauge& g) {
  return std::string(g.Visible() ? "shown " : "hidden ") + std::to_string(g.MinValue()) + ".." +
         std::to_string(g.MaxValue()) + " @" + std::to_string(g.Progress());
}

// Notes what a user could see of the gauge: each showing and hiding, and
// each repaint while it is shown. A repaint may carry more, from `extra`.
class GaugeRecorder : public gui::Peer {
 public:
  GaugeRecorder(const gui::TGauge& gauge, std::vector<std::string>& trace,
                std::function<std::string()>& extra)
      : gauge_(gauge), trace_(trace), extra_(extra) {}
  void Changed(gui::Change what) override {
    if (what == gui::Change::Visible) {
      trace_.push_back(GaugeState(gauge_));
    } else if (what == gui::Change::State && gauge_.Visible()) {
      std::string entry = "at " + Range(gauge_.MaxValue(), gauge_.Progress());
      if (gauge_.MinValue() != 0) entry += " min " + std::to_string(gauge_.MinValue());
      if (extra_) entry += " | " + extra_();
      trace_.push_back(entry);
    }
  }

 private:
  const gui::TGauge& gauge_;
  std::vector<std::string>& trace_;
  std::function<std::string()>& extra_;
};

class Tweak : public ::testing::Test {
 protected:
  Tweak() {
    app.SetTitle("Quorvel");
    TweakBusy = false;
    // Left over from an earlier run: part-way and hidden.
    gauge.SetMinValue(0);
    gauge.SetMaxValue(100);
    gauge.SetProgress(40);
    gauge.Hide();
    gauge.AttachPeer(std::make_unique<GaugeRecorder>(gauge, trace, extra));
    os.onCall = [this](const std::string& call) {
      if (call.rfind("VirtualAlloc(", 0) == 0) trace.push_back("commit " + GaugeState(gauge));
      if (call == "VirtualFree") trace.push_back("release " + GaugeState(gauge));
    };
    backend.WhileBoxOpen = [this](const gui::ShownBox& box) { trace.push_back("box " + box.text); };
  }
  ~Tweak() override { TweakBusy = false; }

  std::vector<std::string> Commits() const {
    std::vector<std::string> commits;
    for (const std::string& c : os.Calls()) {
      if (c.rfind("VirtualAlloc(", 0) == 0) commits.push_back(c);
    }
    return commits;
  }

  TweakOs os;
  gui::HeadlessBackend backend;
  gui::TApplication app{backend};
  gui::TForm form{app, 1};
  std::vector<std::string> trace;
  std::function<std::string()> extra;
  gui::TGauge gauge{&form, 2};
  app::GaugeProgress progress{gauge};
  TweakProgress silent;
};

const std::string kBox = std::string("box ") + kLowMemoryMessage;

// One whole-memory pass over `pages` pages, as the gauge and the calls show it.
void AppendWholePass(std::vector<std::string>& t, std::int64_t pages) {
  t.push_back("shown " + Range(pages, 0));
  t.push_back("commit shown " + Range(pages, 0));
  for (std::int64_t i = 1; i <= pages; ++i) t.push_back("at " + Range(pages, i));
  t.push_back("release shown " + Range(pages, pages));
  t.push_back("hidden " + Range(pages, pages));
}

// --- level 1 ------------------------------------------------------------------------

TEST_F(Tweak, LevelOneCountsTheGaugeUpWhileCommittingAndAgainWhileReleasing) {
  os.memory.ullTotalPhys = 6 * kMB;  // 6 MB: seven blocks
  TweakMemory(os, 1, progress);
  std::vector<std::string> expected{"shown " + Range(7, 0)};
  for (int i = 0; i < 7; ++i) {
    expected.push_back("commit shown " + Range(7, i));
    expected.push_back("at " + Range(7, i + 1));
  }
  expected.push_back("at " + Range(7, 0));
  for (int i = 0; i < 7; ++i) {
    expected.push_back("release shown " + Range(7, i));
    expected.push_back("at " + Range(7, i + 1));
  }
  expected.push_back("hidden " + Range(7, 7));
  EXPECT_EQ(trace, expected);
  EXPECT_EQ(Commits(), std::vector<std::string>(7, "VirtualAlloc(1048576,0x1000,0x204)"))
      << "one-megabyte, non-cached, read-write commits";
  EXPECT_EQ(os.released, std::vector<std::string>(7, "00*1048576"))
      << "each block is zeroed whole before it is given back";
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_FALSE(TweakBusy);
}

struct BlockCountCase {
  const char* name;
  std::uint32_t totalPhys;
  int blocks;
};

void PrintTo(const BlockCountCase& c, std::ostream* os) { *os << c.name; }

class LevelOneBlockCount : public Tweak, public ::testing::WithParamInterface<BlockCountCase> {};

// The count shows as the gauge's maximum before the first commit; that
// commit is refused so that a gigabyte need not be written to see it.
TEST_P(LevelOneBlockCount, IsWholeMegabytesPlusOneAtMost1024) {
  os.memory.ullTotalPhys = GetParam().totalPhys;
  os.RefuseCommitNumber(1);
  TweakMemory(os, 1, progress);
  const int n = GetParam().blocks;
  ASSERT_GE(trace.size(), 3u);
  EXPECT_EQ(trace[0], "shown " + Range(n, 0));
  EXPECT_EQ(trace[1], "commit shown " + Range(n, 0));
  EXPECT_EQ(trace[2], kBox);
  EXPECT_EQ(os.CommitsMade(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Totals, LevelOneBlockCount,
    ::testing::Values(BlockCountCase{"Nothing", 0, 1},
                      BlockCountCase{"JustUnderOneMegabyte", kMB - 1, 1},
                      BlockCountCase{"JustUnder512Megabytes", 512 * kMB - 1, 512},
                      BlockCountCase{"Exactly512Megabytes", 512 * kMB, 513},
                      BlockCountCase{"JustUnder1023Megabytes", 1023 * kMB - 1, 1023},
                      BlockCountCase{"Exactly1023Megabytes", 1023 * kMB, 1024},
                      BlockCountCase{"OneGigabyte", 1024 * kMB, 1024},
                      BlockCountCase{"LargestTotal", 0xFFFFFFFFu, 1024}),
    [](const ::testing::TestParamInfo<BlockCountCase>& info) { return info.param.name; });

TEST_F(Tweak, LevelOneCommitsAsManyBlocksAsItCounts) {
  os.memory.ullTotalPhys = 5 * kMB + 1;
  TweakMemory(os, 1, silent);
  EXPECT_EQ(os.CommitsMade(), 6u);
  EXPECT_EQ(os.released.size(), 6u);
  EXPECT_EQ(os.CountCalls("VirtualFree"), 6u);
}

class LevelOneRefusal : public Tweak, public ::testing::WithParamInterface<int> {};

TEST_P(LevelOneRefusal, ShowsTheMessageOnceAndGivesBackEveryBlockHeld) {
  const int k = GetParam();  // the refused commit, counted from 1
  os.memory.ullTotalPhys = 6 * kMB;
  os.RefuseCommitNumber(static_cast<std::size_t>(k));
  TweakMemory(os, 1, progress);

  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Unable to tweak RAM, please increase system virtual memory.");
  EXPECT_EQ(backend.Boxes()[0].caption, "Quorvel");
  EXPECT_EQ(backend.Boxes()[0].style, gui::mb::kOk) << "one OK, no icon";
  EXPECT_EQ(os.CommitsMade(), static_cast<std::size_t>(k)) << "no commit after the refused one";
  EXPECT_EQ(os.released, std::vector<std::string>(static_cast<std::size_t>(k - 1), "00*1048576"));
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_EQ(os.CommittedBytes(), 0u);
  EXPECT_FALSE(gauge.Visible());
  EXPECT_FALSE(TweakBusy);

  // Up to the message the gauge counted the blocks committed so far.
  std::vector<std::string> expected{"shown " + Range(7, 0)};
  for (int i = 0; i < k - 1; ++i) {
    expected.push_back("commit shown " + Range(7, i));
    expected.push_back("at " + Range(7, i + 1));
  }
  expected.push_back("commit shown " + Range(7, k - 1));
  expected.push_back(kBox);
  ASSERT_GE(trace.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(trace.begin(), trace.begin() + static_cast<long>(expected.size())),
            expected);
  // The release phase starts from zero again.
  if (k > 1) {
    EXPECT_EQ(trace[expected.size()], "at " + Range(7, 0));
  }
  EXPECT_EQ(trace.back().rfind("hidden ", 0), 0u) << trace.back();
}

INSTANTIATE_TEST_SUITE_P(RefusedCommit, LevelOneRefusal, ::testing::Values(1, 2, 4, 7),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Block" + std::to_string(info.param);
                         });

TEST_F(Tweak, LevelOneIsMarkedBusyWhileItHoldsMemory) {
  os.memory.ullTotalPhys = 2 * kMB;
  std::vector<bool> busyAtCommit;
  os.onCall = [&](const std::string& call) {
    if (call.rfind("VirtualAlloc(", 0) == 0 || call == "VirtualFree") busyAtCommit.push_back(TweakBusy);
  };
  TweakMemory(os, 1, progress);
  EXPECT_EQ(busyAtCommit, std::vector<bool>(6, true));
  EXPECT_FALSE(TweakBusy);
}

TEST_F(Tweak, LevelOneStartedWhileBusyTouchesNothingAndLeavesTheMark) {
  TweakBusy = true;
  TweakMemory(os, 1, progress);
  TweakMemoryBlocks(os, 3, progress);
  EXPECT_TRUE(trace.empty()) << ::testing::PrintToString(trace);
  EXPECT_EQ(os.CommitsMade(), 0u);
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_TRUE(TweakBusy) << "the mark belongs to the tweak that is running";
  EXPECT_EQ(gauge.Progress(), 40);
}

TEST_F(Tweak, SecondLevelOneStartedFromItsOwnMessageDoesNothing) {
  os.memory.ullTotalPhys = 6 * kMB;
  os.RefuseCommitNumber(3);
  std::size_t commitsInsideBox = 0;
  bool busyInsideBox = false;
  backend.WhileBoxOpen = [&](const gui::ShownBox&) {
    busyInsideBox = TweakBusy;
    const std::size_t before = os.CommitsMade();
    TweakMemory(os, 1, progress);
    commitsInsideBox = os.CommitsMade() - before;
  };
  TweakMemory(os, 1, progress);
  EXPECT_TRUE(busyInsideBox);
  EXPECT_EQ(commitsInsideBox, 0u);
  EXPECT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_FALSE(TweakBusy);
}

// --- levels 2 to 5 --------------------------------------------------------------------

class WholeMemoryLevel : public Tweak, public ::testing::WithParamInterface<int> {};

TEST_P(WholeMemoryLevel, RunsOnePassPerLevelEachFromZero) {
  const int level = GetParam();
  // Sixteen pages and a tail that is not a whole page.
  os.memory.ullTotalPhys = 16 * kPage + 100;
  TweakMemory(os, level, progress);
  std::vector<std::string> expected;
  for (int pass = 0; pass < level; ++pass) AppendWholePass(expected, 16);
  EXPECT_EQ(trace, expected);
  EXPECT_EQ(Commits(),
            std::vector<std::string>(static_cast<std::size_t>(level), "VirtualAlloc(65636,0x1000,0x4)"));
  EXPECT_EQ(os.released,
            std::vector<std::string>(static_cast<std::size_t>(level), "FF*65536 00*100"))
      << "the tail past the last whole page gets only the zero sweep";
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_TRUE(backend.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Levels, WholeMemoryLevel, ::testing::Values(2, 3, 4, 5),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Level" + std::to_string(info.param);
                         });

TEST_F(Tweak, WholePassZeroesEverythingThenFillsPageByPage) {
  extra = [this] { return os.NewestLiveContents(); };
  TweakMemoryWhole(os, 4 * kPage + 100, progress);
  const std::vector<std::string> expected{
      "shown " + Range(4, 0),
      "commit shown " + Range(4, 0),
      "at " + Range(4, 1) + " | FF*4096 00*12388",
      "at " + Range(4, 2) + " | FF*8192 00*8292",
      "at " + Range(4, 3) + " | FF*12288 00*4196",
      "at " + Range(4, 4) + " | FF*16384 00*100",
      "release shown " + Range(4, 4),
      "hidden " + Range(4, 4),
  };
  EXPECT_EQ(trace, expected);
}

struct PageCountCase {
  const char* name;
  std::uint32_t totalPhys;
  std::uint32_t pageSize;
  std::int64_t pages;
};

void PrintTo(const PageCountCase& c, std::ostream* os) { *os << c.name; }

class WholeMemoryGauge : public Tweak, public ::testing::WithParamInterface<PageCountCase> {};

// Every commit is refused, so each pass shows its maximum without holding
// the memory; the refusal shows its message before the gauge goes. The
// address space has room for all of physical memory.
TEST_P(WholeMemoryGauge, MaximumIsTheWholePagesOfPhysicalMemory) {
  os.memory.ullTotalPhys = GetParam().totalPhys;
  os.memory.ullAvailVirtual = std::uint64_t{8} << 30;
  os.systemInfo.dwPageSize = GetParam().pageSize;
  os.commitLimit = 0;
  TweakMemory(os, 2, progress);
  const std::int64_t pages = GetParam().pages;
  std::vector<std::string> expected;
  for (int pass = 0; pass < 2; ++pass) {
    expected.push_back("shown " + Range(pages, 0));
    expected.push_back("commit shown " + Range(pages, 0));
    expected.push_back(kBox);
    expected.push_back("hidden " + Range(pages, 0));
  }
  EXPECT_EQ(trace, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, WholeMemoryGauge,
    ::testing::Values(PageCountCase{"Megabytes256Pages4K", 256 * kMB, 4096, 65536},
                      PageCountCase{"Megabytes256AndAPartPage", 256 * kMB + 4095, 4096, 65536},
                      PageCountCase{"Megabytes256Pages8K", 256 * kMB, 8192, 32768},
                      PageCountCase{"LargestTotal", 0xFFFFFFFFu, 4096, 1048575},
                      PageCountCase{"LessThanAPage", 4095, 4096, 0}),
    [](const ::testing::TestParamInfo<PageCountCase>& info) { return info.param.name; });

TEST_F(Tweak, LevelFiveThatCannotCommitTriesEveryPassAndHoldsNothing) {
  os.memory.ullTotalPhys = 16 * kPage;
  os.commitLimit = 16 * kPage - 1;
  TweakMemory(os, 5, progress);
  ASSERT_EQ(backend.Boxes().size(), 5u);
  for (const gui::ShownBox& box : backend.Boxes()) {
    EXPECT_EQ(box.text, kLowMemoryMessage);
    EXPECT_EQ(box.caption, "Quorvel");
    EXPECT_EQ(box.style, gui::mb::kOk);
  }
  EXPECT_EQ(os.CommitsMade(), 5u);
  EXPECT_EQ(os.CountCalls("VirtualFree"), 0u) << "nothing was committed, nothing is released";
  EXPECT_FALSE(gauge.Visible());
}

// --- levels 2 to 5 within the address space ------------------------------------------

constexpr std::uint64_t kGB = std::uint64_t{1} << 30;
constexpr std::uint64_t kReserve = kAddressSpaceReserve;
constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

TEST(TweakPlan, PassHoldsPhysicalMemoryOrWhatTheAddressSpaceLeavesLessTheReserve) {
  struct Case {
    std::uint64_t totalPhys, availVirtual, bytes;
  } cases[] = {
      {512 * kMiB, 2000 * kMiB, 512 * kMiB},            // room for all of it
      {24105 * kMiB, 1900 * kMiB, 1900 * kMiB - kReserve},  // 24 GB, a plain 32-bit process
      {24105 * kMiB, 4000 * kMiB, 4000 * kMiB - kReserve},  // large-address-aware on 64-bit Windows
      {64 * kGB, 3 * kGB, 3 * kGB - kReserve},
      {3 * kGB, 3 * kGB + kReserve, 3 * kGB},        // exactly room for it
      {3 * kGB, 3 * kGB + kReserve - 1, 3 * kGB - 1},
      {512 * kMiB, kReserve, 0},                      // nothing beyond the reserve
      {512 * kMiB, kReserve - 1, 0},
      {512 * kMiB, 0, 0},
      {0, 2000 * kMiB, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TweakPassBytes(c.totalPhys, c.availVirtual), c.bytes)
        << c.totalPhys << " of physical memory, " << c.availVirtual << " of address space";
  }
}

std::vector<std::string> Repeat(std::initializer_list<std::string> once, int times) {
  std::vector<std::string> all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), once.begin(), once.end());
  return all;
}

// Physical memory larger than the address space: each pass holds what the
// space leaves above the reserve, sweeps it whole, and shows no box.
TEST_F(Tweak, PassOnALargeMachineHoldsWhatTheAddressSpaceLeaves) {
  os.memory.ullTotalPhys = 24 * kGB;
  os.memory.ullAvailVirtual = kReserve + 3 * kMB;
  os.commitLimit = 24 * kGB;
  TweakMemory(os, 2, progress);
  EXPECT_EQ(Commits(), std::vector<std::string>(2, "VirtualAlloc(3145728,0x1000,0x4)"));
  EXPECT_EQ(os.released, std::vector<std::string>(2, "FF*3145728"));
  ASSERT_GE(trace.size(), 2u);
  EXPECT_EQ(trace[0], "shown " + Range(768, 0)) << "the gauge counts the pages the pass holds";
  EXPECT_EQ(trace.back(), "hidden " + Range(768, 768));
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_EQ(os.ReservedRegions(), 0u);
}

// Where no free region is as large as the pass, it holds smaller blocks:
// half the size at each miss, whole pages each, and sweeps across them all
// page by page.
TEST_F(Tweak, FragmentedAddressSpaceIsHeldAsSmallerBlocks) {
  os.memory.ullTotalPhys = 4 * kMB + 100;
  os.largestAddressRegion = kMB + 4096;
  TweakMemory(os, 2, progress);
  const std::vector<std::string> pass{
      "VirtualAlloc(4194404,0x1000,0x4)", "VirtualAlloc(4194404,0x2000,0x1)",
      "VirtualAlloc(2097152,0x1000,0x4)", "VirtualAlloc(2097152,0x2000,0x1)",
      "VirtualAlloc(1048576,0x1000,0x4)", "VirtualAlloc(1048576,0x1000,0x4)",
      "VirtualAlloc(1048576,0x1000,0x4)", "VirtualAlloc(1048576,0x1000,0x4)",
      "VirtualAlloc(100,0x1000,0x4)"};
  std::vector<std::string> expected = pass;
  expected.insert(expected.end(), pass.begin(), pass.end());
  EXPECT_EQ(Commits(), expected);
  EXPECT_EQ(os.released, Repeat({"FF*1048576", "FF*1048576", "FF*1048576", "FF*1048576", "00*100"}, 2))
      << "every whole page written with 0xFF, the tail past the last one zeroed";
  EXPECT_EQ(os.PeakHeldBytes(), 4 * kMB + 100);
  // One gauge step per page across the blocks, from the page count of all.
  const std::string first = "shown " + Range(1024, 0);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), first), 2);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "at " + Range(1024, 1024)), 2);
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_EQ(os.ReservedRegions(), 0u) << "the reservations that tell the two limits apart are given back";
}

// The address space fills up part-way (something else took the room the
// snapshot saw): not a refusal. The pass sweeps what it holds, and the gauge
// counts that.
TEST_F(Tweak, AddressSpaceRunningOutPartWaySweepsWhatThePassHolds) {
  os.memory.ullTotalPhys = 3 * kMB;
  os.largestAddressRegion = kMB;
  int commits = 0;
  os.onCall = [&](const std::string& call) {
    if (call.rfind("VirtualAlloc(1048576,0x1000", 0) == 0 && ++commits == 2) {
      os.memory.ullAvailVirtual = os.CommittedBytes() + 2 * kMB;  // room for this block and one more
    }
  };
  TweakMemoryWhole(os, 3 * kMB + 2 * kMB + 100, progress);
  EXPECT_EQ(os.released, std::vector<std::string>(3, "FF*1048576"));
  EXPECT_TRUE(backend.Boxes().empty()) << "running out of address space is no low-memory case";
  EXPECT_EQ(gauge.MaxValue(), 768) << "three megabytes held, in pages";
  EXPECT_EQ(gauge.Progress(), 768);
  EXPECT_FALSE(gauge.Visible());
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_EQ(os.ReservedRegions(), 0u);
}

// The commit charge refuses after some blocks are held: the same single box
// per pass as when the one block was refused, with nothing swept and every
// block given back before the box comes up.
TEST_F(Tweak, CommitRefusedAfterSomeBlocksGivesThemBackAndShowsTheBoxOncePerPass) {
  os.memory.ullTotalPhys = 4 * kMB;
  os.largestAddressRegion = kMB;
  os.commitLimit = 2 * kMB + kMB / 2;
  std::vector<std::uint64_t> heldAtBox;
  backend.WhileBoxOpen = [&](const gui::ShownBox&) { heldAtBox.push_back(os.CommittedBytes()); };
  TweakMemory(os, 2, progress);
  ASSERT_EQ(backend.Boxes().size(), 2u);
  EXPECT_EQ(backend.Boxes()[0].text, kLowMemoryMessage);
  EXPECT_EQ(heldAtBox, (std::vector<std::uint64_t>{0, 0}));
  const std::string stale = "A5*1048576";
  EXPECT_EQ(os.released, Repeat({stale, stale}, 2)) << "nothing is written before the refusal";
  EXPECT_FALSE(gauge.Visible());
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_EQ(os.ReservedRegions(), 0u);
}

// A refusal that does not name the commit limit (as a system may report
// it) still counts as the commit charge's when the address space has room
// for the block.
TEST_F(Tweak, RefusalWithAnotherErrorIsTheCommitChargesWhereTheRangeCanBeReserved) {
  os.memory.ullTotalPhys = 16 * kPage;
  os.FailOnce("VirtualAlloc", 1, platform::kErrorNotEnoughMemory);
  TweakMemory(os, 2, progress);
  ASSERT_EQ(backend.Boxes().size(), 1u) << "the first pass was refused, the second ran";
  EXPECT_EQ(os.released, std::vector<std::string>{"FF*65536"});
  EXPECT_EQ(os.ReservedRegions(), 0u);
}

// A machine whose commit limit is below physical memory, in an address
// space with room for it: exactly the boxes it always got.
TEST_F(Tweak, CommitLimitBelowPhysicalMemoryShowsOneBoxPerPass) {
  os.memory.ullTotalPhys = 16 * kPage;
  os.commitLimit = 16 * kPage - 1;
  TweakMemory(os, 3, progress);
  std::vector<std::string> expected;
  for (int pass = 0; pass < 3; ++pass) {
    expected.push_back("shown " + Range(16, 0));
    expected.push_back("commit shown " + Range(16, 0));
    expected.push_back(kBox);
    expected.push_back("hidden " + Range(16, 0));
  }
  EXPECT_EQ(trace, expected);
  EXPECT_EQ(os.CountCalls("VirtualAlloc"), 3u) << "the commit limit is named: no reservation needed";
}

// --- all levels ---------------------------------------------------------------------

class NoTweakLevel : public Tweak, public ::testing::WithParamInterface<int> {};

TEST_P(NoTweakLevel, ChangesNothingAndShowsNothing) {
  TweakMemory(os, GetParam(), progress);
  EXPECT_TRUE(trace.empty()) << ::testing::PrintToString(trace);
  EXPECT_EQ(os.CountCalls("VirtualAlloc"), 0u);
  EXPECT_EQ(os.CountCalls("GetSystemInfo"), 0u);
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_EQ(gauge.Progress(), 40);
  EXPECT_EQ(gauge.MaxValue(), 100);
  EXPECT_FALSE(gauge.Visible());
  EXPECT_FALSE(TweakBusy);
}

INSTANTIATE_TEST_SUITE_P(Levels, NoTweakLevel, ::testing::Values(0, -1, -5, INT_MIN),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("Zero")
                                  : info.param == INT_MIN
                                      ? std::string("Lowest")
                                      : "Minus" + std::to_string(-info.param);
                         });

struct NoGaugeCase {
  const char* name;
  int level;
  std::size_t refuseCommit;  // 0: none
  int passes;                // that ran to their end
};

void PrintTo(const NoGaugeCase& c, std::ostream* os) { *os << c.name; }

class WithoutGauge : public ::testing::TestWithParam<NoGaugeCase> {};

// What the system sees and what the memory holds, run for run.
struct MemoryWork {
  std::vector<std::string> calls;
  std::vector<std::string> released;
  std::vector<std::string> boxes;
  TweakResult result;
};

MemoryWork RunTweak(const NoGaugeCase& c, bool withGauge) {
  TweakOs os;
  os.memory.ullTotalPhys = 3 * kMB + 5;
  os.systemInfo.dwPageSize = kPage;
  if (c.refuseCommit != 0) os.RefuseCommitNumber(c.refuseCommit);
  gui::HeadlessBackend backend;
  gui::TApplication app(backend);
  app.SetTitle("Quorvel");
  gui::TForm form(app, 1);
  gui::TGauge gauge(&form, 2);
  TweakBusy = false;
  app::GaugeProgress shown(gauge);
  TweakProgress unseen;
  MemoryWork work;
  work.result = TweakMemory(os, c.level, withGauge ? static_cast<TweakProgress&>(shown) : unseen);
  for (const std::string& call : os.Calls()) {
    if (call != "GlobalMemoryStatus") work.calls.push_back(call);
  }
  work.released = os.released;
  for (const gui::ShownBox& box : backend.Boxes()) work.boxes.push_back(box.text);
  EXPECT_EQ(os.CommittedBlocks(), 0u);
  EXPECT_FALSE(TweakBusy);
  return work;
}

TEST_P(WithoutGauge, DoesTheSameMemoryWork) {
  const MemoryWork shown = RunTweak(GetParam(), true);
  const MemoryWork unseen = RunTweak(GetParam(), false);
  ASSERT_FALSE(shown.calls.empty());
  EXPECT_EQ(unseen.calls, shown.calls);
  EXPECT_EQ(unseen.released, shown.released);
  // Unwatched, a refusal shows no box, but the result still counts it.
  EXPECT_TRUE(unseen.boxes.empty());
  EXPECT_EQ(unseen.result.refusals, static_cast<int>(shown.boxes.size()));
  EXPECT_EQ(shown.result.refusals, static_cast<int>(shown.boxes.size()));
  EXPECT_EQ(unseen.result.passes, shown.result.passes);
  EXPECT_EQ(shown.result.passes, GetParam().passes);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, WithoutGauge,
    ::testing::Values(NoGaugeCase{"LevelOne", 1, 0, 1}, NoGaugeCase{"LevelTwo", 2, 0, 2},
                      NoGaugeCase{"LevelFive", 5, 0, 5},
                      // Level 1 gives back what it holds and ends its one pass.
                      NoGaugeCase{"LevelOneRefusedAtThirdBlock", 1, 3, 1},
                      NoGaugeCase{"LevelThreeRefusedAtSecondPass", 3, 2, 2}),
    [](const ::testing::TestParamInfo<NoGaugeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace optimize
