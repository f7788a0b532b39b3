#include "app/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/program.h"
#include "gui/headless/headless_backend.h"
#include "optimize/tweak.h"
#include "platform/sim/sim_os.h"

namespace app {
namespace {

struct ParseCase {
  const char* arguments;
  CommandLine::Kind kind;
  int level;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << "'" << c.arguments << "'"; }

class CommandLineParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CommandLineParse, ReadsTheSwitchAndItsLevel) {
  const CommandLine line = ParseCommandLine(GetParam().arguments);
  EXPECT_EQ(line.kind, GetParam().kind);
  if (line.kind == CommandLine::Kind::kOptimize) {
    EXPECT_EQ(line.level, GetParam().level);
  }
}

using K = CommandLine::Kind;
INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineParse,
    ::testing::Values(ParseCase{"", K::kStart, 0}, ParseCase{"  ", K::kStart, 0},
                      ParseCase{"/minimized", K::kStart, 0},
                      ParseCase{"/optimize", K::kOptimize, 1},
                      ParseCase{"/OPTIMIZE", K::kOptimize, 1},
                      ParseCase{"/optimize:1", K::kOptimize, 1},
                      ParseCase{"/optimize:5", K::kOptimize, 5},
                      ParseCase{"other /optimize:3 more", K::kOptimize, 3},
                      ParseCase{"\t/optimize:2\t", K::kOptimize, 2},
                      ParseCase{"\"/optimize:4\"", K::kOptimize, 4},
                      ParseCase{"/optimize:0", K::kMisused, 0},
                      ParseCase{"/optimize:6", K::kMisused, 0},
                      ParseCase{"/optimize:9", K::kMisused, 0},
                      ParseCase{"/optimize:", K::kMisused, 0},
                      ParseCase{"/optimize:12", K::kMisused, 0},
                      ParseCase{"/optimize:2x", K::kMisused, 0},
                      ParseCase{"/optimizer", K::kMisused, 0},
                      ParseCase{"/optimize=2", K::kMisused, 0},
                      ParseCase{"\"/optimize 2\"", K::kMisused, 0},
                      // The first switch decides.
                      ParseCase{"/optimize:7 /optimize:2", K::kMisused, 0},
                      ParseCase{"optimize:2", K::kStart, 0}));

// A machine that lets the command run: the settings key, a few processes,
// little memory so the tweak is quick.
struct Machine {
  Machine() {
    os.AddKey("HKLM\\Software\\Quorvel");
    os.memory.ullTotalPhys = 4u << 20;
    os.memory.ullAvailPhys = 1u << 20;
    for (std::uint32_t pid : {400u, 900u}) {
      platform::SimProcess p;
      p.pid = pid;
      p.exeName = "p" + std::to_string(pid) + ".exe";
      os.AddProcess(p);
    }
    os.version.dwMajorVersion = 6;
    optimize::TweakBusy = false;
  }
  int Run(const std::string& arguments) { return QuorvelMain(os, backend, arguments); }
  std::size_t Writes() const {
    std::size_t n = 0;
    for (const std::string& c : os.Calls()) {
      if (c.rfind("RegSetValueExA", 0) == 0 || c.rfind("RegCreateKeyExA", 0) == 0 ||
          c.rfind("RegDeleteValueA", 0) == 0) {
        ++n;
      }
    }
    return n;
  }
  platform::SimOs os;
  gui::HeadlessBackend backend;
};

TEST(OptimizeCommand, RunsTheWorkSilentlyAndEndsWithZero) {
  Machine m;
  EXPECT_EQ(m.Run("/optimize:2"), kCommandDone);
  EXPECT_EQ(m.os.CountCalls("VirtualAlloc(4194304,0x1000,0x4)"), 2u) << "two whole-memory passes";
  EXPECT_EQ(m.os.trimmedPids, (std::vector<std::uint32_t>{400, 900}));
  EXPECT_TRUE(m.backend.Boxes().empty()) << "no confirmation, report or other box";
  EXPECT_EQ(m.backend.Repainted().size(), 0u) << "no window was drawn";
  EXPECT_EQ(m.Writes(), 0u) << "no setting and no start-up value is touched";
  EXPECT_EQ(m.os.CountCalls("OpenEventA(QuorvelEvent20070409)"), 0u) << "the mark is not tested";
  EXPECT_FALSE(m.os.EventExists("QuorvelEvent20070409")) << "nor set";
  EXPECT_TRUE(m.os.memoryListCommands.empty()) << "the option is off";
  EXPECT_TRUE(m.os.OpenHandles().empty()) << ::testing::PrintToString(m.os.OpenHandles());
}

TEST(OptimizeCommand, EnablesTheDebugPrivilegeBeforeOpeningAnyProcess) {
  Machine m;
  EXPECT_EQ(m.Run("/optimize"), kCommandDone);
  const std::vector<std::string>& calls = m.os.Calls();
  const auto at = [&](const std::string& c) {
    return std::find(calls.begin(), calls.end(), c) - calls.begin();
  };
  ASSERT_LT(at("LookupPrivilegeValueA(SeDebugPrivilege)"), static_cast<long>(calls.size()));
  EXPECT_LT(at("AdjustTokenPrivileges"), at("OpenProcess(400,0x1F0FFF)"));
  EXPECT_EQ(m.os.lastAdjustedState.luid.LowPart, m.os.debugPrivilegeLuid.LowPart);

  Machine refused;  // a user without the privilege still gets the rest, silently
  refused.os.userHoldsDebugPrivilege = false;
  EXPECT_EQ(refused.Run("/optimize"), kCommandDone);
  EXPECT_TRUE(refused.backend.Boxes().empty());
  EXPECT_EQ(refused.os.trimmedPids.size(), 2u);
}

TEST(OptimizeCommand, RunsBesideARunningInstance) {
  Machine m;
  m.os.AddForeignEvent("QuorvelEvent20070409", true);
  EXPECT_EQ(m.Run("/optimize"), kCommandDone);
  EXPECT_EQ(m.os.CountCalls("VirtualAlloc(1048576,0x1000,0x204)"), 5u) << "level 1: five blocks";
  EXPECT_TRUE(m.os.EventSignalled("QuorvelEvent20070409"));
}

TEST(OptimizeCommand, EmptiesTheListsWhenTheStoredOptionSaysSo) {
  Machine m;
  m.os.SetValue("HKLM\\Software\\Quorvel", "QuorvelMemoryLists", platform::kRegDword, {1, 0, 0, 0});
  EXPECT_EQ(m.Run("/optimize"), kCommandDone);
  EXPECT_EQ(m.os.memoryListCommands, (std::vector<std::uint32_t>{3, 4}));
  EXPECT_EQ(m.Writes(), 0u);

  Machine refused;
  refused.os.SetValue("HKLM\\Software\\Quorvel", "QuorvelMemoryLists", platform::kRegDword,
                      {1, 0, 0, 0});
  refused.os.userHoldsProfilePrivilege = false;
  EXPECT_EQ(refused.Run("/optimize"), kCommandRefused);
  EXPECT_TRUE(refused.backend.Boxes().empty());

  Machine old;  // NT 5: the option has nothing to act on and is no failure
  old.os.version.dwMajorVersion = 5;
  old.os.SetValue("HKLM\\Software\\Quorvel", "QuorvelMemoryLists", platform::kRegDword, {1, 0, 0, 0});
  EXPECT_EQ(old.Run("/optimize"), kCommandDone);
  EXPECT_EQ(old.os.CountCalls("NtSetSystemInformation(80,3)"), 0u);
}

TEST(OptimizeCommand, ARefusedCommitEndsWithOneAndNoBox) {
  Machine m;
  m.os.RefuseCommitNumber(3);
  EXPECT_EQ(m.Run("/optimize:1"), kCommandRefused);
  EXPECT_TRUE(m.backend.Boxes().empty()) << "not even the low-memory box";
  EXPECT_EQ(m.os.CommittedBlocks(), 0u);
  EXPECT_EQ(m.os.trimmedPids.size(), 2u) << "the trimming still runs";
}

TEST(OptimizeCommand, AMisusedSwitchShowsItsBoxAndEndsWithTwo) {
  Machine m;
  EXPECT_EQ(m.Run("/optimize:9"), kCommandMisused);
  ASSERT_EQ(m.backend.Boxes().size(), 1u);
  EXPECT_EQ(m.backend.Boxes()[0].text, "Use /optimize or /optimize:LEVEL, LEVEL from 1 to 5.");
  EXPECT_EQ(m.backend.Boxes()[0].caption, "Quorvel");
  EXPECT_EQ(m.os.CountCalls("VirtualAlloc(1048576,0x1000,0x204)"), 0u) << "nothing ran";
  EXPECT_EQ(m.Writes(), 0u);
  EXPECT_FALSE(m.os.EventExists("QuorvelEvent20070409"));
}

}  // namespace
}  // namespace app
