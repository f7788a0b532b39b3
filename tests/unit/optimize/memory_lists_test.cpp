#include "optimize/memory_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_os.h"

namespace optimize {
namespace {

// An NT 6.0 machine whose calls the test reads back, the memory-list ones
// and the token ones alone.
struct Vista {
  Vista() {
    os.version.dwMajorVersion = 6;
    os.version.dwMinorVersion = 0;
    os.version.dwPlatformId = platform::kVerPlatformWin32NT;
  }
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const std::string& c : os.Calls()) {
      if (c.rfind("NtSet", 0) == 0 || c.rfind("OpenProcessToken", 0) == 0 ||
          c.rfind("Lookup", 0) == 0 || c.rfind("Adjust", 0) == 0) {
        calls.push_back(c);
      }
    }
    return calls;
  }
  platform::SimOs os;
};

TEST(MemoryLists, EnableThePrivilegeThenFlushThenPurge) {
  Vista m;
  const MemoryListResult r = EmptyMemoryLists(m.os);
  EXPECT_EQ(r.outcome, MemoryListOutcome::kEmptied);
  EXPECT_EQ(MemoryListReportLine(r), "Standby list: emptied");
  EXPECT_EQ(m.Calls(), (std::vector<std::string>{
                           "OpenProcessToken", "LookupPrivilegeValueA(SeProfileSingleProcessPrivilege)",
                           "AdjustTokenPrivileges", "NtSetSystemInformation(80,3)",
                           "NtSetSystemInformation(80,4)"}));
  EXPECT_EQ(m.os.lastAdjustedState.Attributes, platform::kSePrivilegeEnabled);
  EXPECT_EQ(m.os.memoryListCommands, (std::vector<std::uint32_t>{3, 4}));
  EXPECT_TRUE(m.os.OpenHandles().empty()) << ::testing::PrintToString(m.os.OpenHandles());
}

TEST(MemoryLists, APrivilegeTheTokenDoesNotAssignStopsBeforeAnyCommand) {
  Vista m;
  m.os.userHoldsProfilePrivilege = false;
  const MemoryListResult r = EmptyMemoryLists(m.os);
  EXPECT_EQ(MemoryListReportLine(r), "Standby list: not emptied (administrator rights needed)");
  EXPECT_TRUE(m.os.memoryListCommands.empty());
  EXPECT_EQ(m.os.CountCalls("NtSetSystemInformation(80,3)"), 0u);
  EXPECT_TRUE(m.os.OpenHandles().empty());
}

TEST(MemoryLists, ACommandRefusedForWantOfThePrivilegeAsksForAdministratorRights) {
  Vista m;
  m.os.memoryListStatus[3] = platform::kStatusPrivilegeNotHeld;
  EXPECT_EQ(MemoryListReportLine(EmptyMemoryLists(m.os)),
            "Standby list: not emptied (administrator rights needed)");
}

struct RefusalCase {
  const char* name;
  std::uint32_t command;
  platform::NtStatus status;
  const char* line;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class MemoryListRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(MemoryListRefusal, EndsTheStepWithTheSystemsMessage) {
  Vista m;
  m.os.memoryListStatus[GetParam().command] = GetParam().status;
  const MemoryListResult r = EmptyMemoryLists(m.os);
  EXPECT_EQ(r.outcome, MemoryListOutcome::kFailed);
  EXPECT_EQ(MemoryListReportLine(r), GetParam().line);
  EXPECT_EQ(m.os.CountCalls("NtSetSystemInformation(80,4)"), GetParam().command == 3 ? 0u : 1u)
      << "a refused flush ends the step";
}

INSTANTIATE_TEST_SUITE_P(
    Commands, MemoryListRefusal,
    ::testing::Values(
        RefusalCase{"FlushRefused", 3, platform::kStatusAccessDenied,
                    "Standby list: not emptied (Error 5)"},
        RefusalCase{"PurgeRefused", 4, static_cast<platform::NtStatus>(0xC000009Au),
                    "Standby list: not emptied (Error 1450)"},
        // A status with no Win32 error stands as itself.
        RefusalCase{"StatusWithoutAnError", 4, static_cast<platform::NtStatus>(0xC0001234u),
                    "Standby list: not emptied (status 0xC0001234)"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST(MemoryLists, ATokenThatCannotBeOpenedIsAFailureWithItsReason) {
  Vista m;
  m.os.Fail("OpenProcessToken", platform::kErrorAccessDenied);
  const MemoryListResult r = EmptyMemoryLists(m.os);
  EXPECT_EQ(MemoryListReportLine(r), "Standby list: not emptied (Error 5)");
  EXPECT_TRUE(m.os.memoryListCommands.empty());
}

TEST(MemoryLists, AvailableFromNtSixWithTheCallOnly) {
  struct Case {
    std::uint32_t platformId, major;
    bool hasCall, available;
  };
  for (const Case& c : {Case{platform::kVerPlatformWin32NT, 6, true, true},
                        Case{platform::kVerPlatformWin32NT, 10, true, true},
                        Case{platform::kVerPlatformWin32NT, 5, true, false},
                        Case{platform::kVerPlatformWin32NT, 6, false, false},
                        Case{platform::kVerPlatformWin32Windows, 6, true, false}}) {
    platform::SimOs os;
    os.version.dwPlatformId = c.platformId;
    os.version.dwMajorVersion = c.major;
    os.ntSetSystemInformationAvailable = c.hasCall;
    EXPECT_EQ(MemoryListsAvailable(os), c.available)
        << "platform " << c.platformId << ", version " << c.major << ", call " << c.hasCall;
  }
  platform::SimOs silent;
  silent.Fail("GetVersionExA", 0);
  EXPECT_FALSE(MemoryListsAvailable(silent)) << "a version the system will not tell";
}

}  // namespace
}  // namespace optimize
