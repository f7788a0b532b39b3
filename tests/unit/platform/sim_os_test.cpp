#include "platform/sim/sim_os.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform {
namespace {

TEST(SimEvents, BehaveAsNamedManualResetEvents) {
  SimOs os;
  const Handle a = os.CreateEventA(true, false, "E");
  EXPECT_EQ(os.GetLastError(), kErrorSuccess);
  EXPECT_EQ(os.WaitForSingleObject(a, 0), kWaitTimeout);
  const Handle b = os.CreateEventA(true, false, "E");
  EXPECT_EQ(os.GetLastError(), kErrorAlreadyExists);
  os.SetEvent(b);
  EXPECT_EQ(os.WaitForSingleObject(a, 0), kWaitObject0) << "both handles name one event";
  EXPECT_EQ(os.OpenEventA(kEventAllAccess, false, "e"), kNoHandle) << "names are case-sensitive";
  os.CloseHandle(a);
  EXPECT_TRUE(os.EventExists("E"));
  os.CloseHandle(b);
  EXPECT_FALSE(os.EventExists("E")) << "the event goes with its last handle";
  EXPECT_EQ(os.OpenEventA(kEventAllAccess, false, "E"), kNoHandle);
  EXPECT_EQ(os.GetLastError(), kErrorFileNotFound);
}

TEST(SimHandles, OpenHandlesListsWhatWasNeverClosed) {
  SimOs os;
  os.AddKey("HKLM\\Software\\Quorvel");
  HKey key = 0;
  ASSERT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "software\\QUORVEL", 0, kKeyRead, &key), 0);
  const Handle e = os.CreateEventA(true, false, "E");
  EXPECT_EQ(os.OpenHandles().size(), 2u);
  EXPECT_FALSE(os.CloseHandle(12345)) << "closing an unknown handle fails";
  EXPECT_EQ(os.RegCloseKey(key), 0);
  EXPECT_NE(os.RegCloseKey(key), 0) << "a key closes once";
  os.CloseHandle(e);
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SimRegistry, MissingAndDeniedKeys) {
  SimOs os;
  HKey key = 77;
  EXPECT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyRead, &key),
            static_cast<std::int32_t>(kErrorFileNotFound));
  EXPECT_EQ(key, 0u);
  os.DenyKey("HKLM\\Software\\Quorvel");
  EXPECT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyRead, &key),
            static_cast<std::int32_t>(kErrorAccessDenied));
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SimFailures, InjectedFailureLastsUntilHealed) {
  SimOs os;
  os.Fail("CreateEventA", kErrorAccessDenied);
  EXPECT_EQ(os.CreateEventA(true, false, "E"), kNoHandle);
  EXPECT_EQ(os.GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(os.CreateEventA(true, false, "E"), kNoHandle);
  os.Heal("CreateEventA");
  UniqueHandle h(os, os.CreateEventA(true, false, "E"));
  EXPECT_TRUE(h);
}

TEST(SimFailures, FailOnceFailsOnlyTheNthCallAndNamesIt) {
  SimOs os;
  os.FailOnce("CreateEventA", 2, kErrorAccessDenied);
  UniqueHandle first(os, os.CreateEventA(true, false, "first"));
  EXPECT_TRUE(first);
  EXPECT_FALSE(os.FailedOnce());
  // Calls of other names do not move the count.
  UniqueHandle other(os, os.OpenEventA(0x1F0003, false, "first"));
  EXPECT_EQ(os.CreateEventA(true, false, "second"), kNoHandle);
  EXPECT_EQ(os.GetLastError(), kErrorAccessDenied);
  EXPECT_TRUE(os.FailedOnce());
  EXPECT_EQ(os.FailedOnceCall(), "CreateEventA(second)");
  UniqueHandle third(os, os.CreateEventA(true, false, "third"));
  EXPECT_TRUE(third) << "only the one call fails";
  EXPECT_EQ(os.CallsCounted("CreateEventA"), 3u);
  EXPECT_EQ(os.CallsCounted("OpenEventA"), 1u);
}

TEST(SimFailures, FailOnceNamesTheCallWithTheLogOff) {
  SimOs os;
  os.logCalls = false;
  SimProcess p;
  p.pid = 12;
  os.AddProcess(p);
  os.FailOnce("OpenProcess", 2, kErrorAccessDenied);
  UniqueHandle first(os, os.OpenProcess(kProcessAllAccess, false, 12));
  EXPECT_TRUE(first);
  EXPECT_EQ(os.OpenProcess(kProcessQueryInformation | kProcessVmRead, false, 12), kNoHandle);
  EXPECT_TRUE(os.FailedOnce());
  EXPECT_EQ(os.FailedOnceCall(), "OpenProcess(12,0x410)")
      << "the entry is built for an armed failure even when nothing is logged";
  EXPECT_TRUE(os.Calls().empty());
}

TEST(SimFailures, ARefusedReleaseKeepsWhatItWasToRelease) {
  SimOs os;
  os.AddKey("HKLM\\Software\\Quorvel");
  const Handle event = os.CreateEventA(true, false, "E");
  HKey key = 0;
  ASSERT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyRead, &key), 0);
  os.Fail("CloseHandle", kErrorInvalidHandle);
  os.Fail("RegCloseKey", kErrorInvalidHandle);
  EXPECT_FALSE(os.CloseHandle(event));
  EXPECT_NE(os.RegCloseKey(key), 0);
  EXPECT_EQ(os.OpenHandles().size(), 2u);
  os.Heal("CloseHandle");
  os.Heal("RegCloseKey");
  EXPECT_TRUE(os.CloseHandle(event));
  EXPECT_EQ(os.RegCloseKey(key), 0);
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SimFailures, FailedRegistrationOfAWindowMessageAnswersZero) {
  SimOs os;
  os.Fail("RegisterWindowMessageA", kErrorNotEnoughMemory);
  EXPECT_EQ(os.RegisterWindowMessageA("TaskbarCreated"), 0u);
  os.Heal("RegisterWindowMessageA");
  EXPECT_GE(os.RegisterWindowMessageA("TaskbarCreated"), 0xC000u);
}

TEST(UniqueHandles, CloseOnceWhenMovedAndNotWhenReleased) {
  SimOs os;
  {
    UniqueHandle a(os, os.CreateEventA(true, false, "A"));
    UniqueHandle b(std::move(a));
    EXPECT_FALSE(a);
    UniqueHandle c;
    c = std::move(b);
    EXPECT_EQ(os.OpenHandles().size(), 1u);
  }
  EXPECT_TRUE(os.OpenHandles().empty());
  EXPECT_EQ(os.CountCalls("CloseHandle"), 1u) << "a moved-from owner closes nothing";

  Handle raw;
  {
    UniqueHandle d(os, os.CreateEventA(true, false, "D"));
    raw = d.Release();
  }
  EXPECT_EQ(os.OpenHandles().size(), 1u);
  os.CloseHandle(raw);

  {
    UniqueHandle e(os, os.CreateEventA(true, false, "E"));
    e = UniqueHandle(os, os.CreateEventA(true, false, "F"));
    EXPECT_FALSE(os.EventExists("E")) << "assigning over an owner closes the old handle";
  }
  EXPECT_TRUE(os.OpenHandles().empty());
}

// --- registry values -----------------------------------------------------------------

TEST(SimRegistryValues, QueryFollowsTheSystemsBufferRules) {
  SimOs os;
  os.SetValue("HKDD\\PerfStats\\StatData", "KERNEL\\CPUUsage", kRegBinary, {1, 2, 3, 4, 5});
  HKey key = 0;
  ASSERT_EQ(os.RegOpenKeyExA(kHKeyDynData, "perfstats\\statdata", 0, kKeyRead, &key), 0)
      << "setting a value creates its key";
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(os.RegQueryValueExA(key, "kernel\\cpuusage", &type, nullptr, &size), 0)
      << "a null buffer asks for the size";
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(size, 5u);

  std::uint8_t data[8] = {};
  for (std::uint32_t given : {0u, 4u}) {
    size = given;
    type = 0;
    EXPECT_EQ(os.RegQueryValueExA(key, "KERNEL\\CPUUsage", &type, data, &size),
              static_cast<std::int32_t>(kErrorMoreData));
    EXPECT_EQ(size, 5u) << "told what is needed";
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(data[0], 0) << "nothing written to a short buffer";
  }
  for (std::uint32_t given : {5u, 8u}) {
    size = given;
    EXPECT_EQ(os.RegQueryValueExA(key, "KERNEL\\CPUUsage", nullptr, data, &size), 0);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(data[4], 5);
  }
  EXPECT_EQ(os.RegQueryValueExA(key, "Other", &type, data, &size),
            static_cast<std::int32_t>(kErrorFileNotFound));
  os.RegCloseKey(key);
  EXPECT_EQ(os.RegQueryValueExA(key, "KERNEL\\CPUUsage", &type, data, &size),
            static_cast<std::int32_t>(kErrorInvalidHandle))
      << "a closed key answers nothing";
}

TEST(SimRegistryValues, KeepDenialAndGoWithTheirKey) {
  SimOs os;
  os.DenyKey("HKLM\\Software\\Quorvel");
  os.SetValue("HKLM\\Software\\Quorvel", "Settings", kRegBinary, {7});
  HKey key = 0;
  EXPECT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyRead, &key),
            static_cast<std::int32_t>(kErrorAccessDenied));
  ASSERT_TRUE(os.GetValue("hklm\\software\\quorvel", "SETTINGS").has_value());
  EXPECT_EQ(*os.GetValue("HKLM\\Software\\Quorvel", "Settings"), (SimRegValue{kRegBinary, {7}}));
  os.RemoveKey("HKLM\\Software\\Quorvel");
  EXPECT_FALSE(os.GetValue("HKLM\\Software\\Quorvel", "Settings").has_value());
}

// --- processes ---------------------------------------------------------------------------

SimProcess Listed(std::uint32_t pid, const std::string& exe) {
  SimProcess p;
  p.pid = pid;
  p.exeName = exe;
  p.path = "C:\\" + exe;
  return p;
}

TEST(SimProcesses, SnapshotWalksInOrderAndEndsWithNoMoreFiles) {
  SimOs os;
  os.AddProcess(Listed(8, "System"));
  os.AddProcess(Listed(200, "a.exe"));
  const Handle snapshot = os.CreateToolhelp32Snapshot(kTh32csSnapProcess, 0);
  ASSERT_NE(snapshot, kNoHandle);
  os.AddProcess(Listed(300, "later.exe"));  // after the snapshot: not in it

  ProcessEntry32 entry;
  entry.dwSize = sizeof entry - 1;
  EXPECT_FALSE(os.Process32First(snapshot, &entry)) << "a short record is refused";
  entry.dwSize = sizeof entry;
  std::vector<std::uint32_t> pids;
  for (bool more = os.Process32First(snapshot, &entry); more;
       more = os.Process32Next(snapshot, &entry)) {
    pids.push_back(entry.th32ProcessID);
  }
  EXPECT_EQ(pids, (std::vector<std::uint32_t>{8, 200}));
  EXPECT_EQ(os.GetLastError(), kErrorNoMoreFiles);
  EXPECT_FALSE(os.Process32Next(snapshot, &entry)) << "stays at the end";
  EXPECT_TRUE(os.Process32First(snapshot, &entry)) << "First starts the walk again";
  EXPECT_EQ(entry.th32ProcessID, 8u);
  EXPECT_EQ(os.OpenHandles(), (std::vector<std::string>{"snapshot processes"}));
  EXPECT_TRUE(os.CloseHandle(snapshot));
  EXPECT_FALSE(os.Process32First(snapshot, &entry)) << "a closed snapshot walks nothing";
}

TEST(SimProcesses, OpenAccessFollowsEachProcesssRules) {
  SimOs os;
  SimProcess limited = Listed(10, "svc.exe");
  limited.refuseFullAccess = true;
  SimProcess idle = Listed(0, "Idle");
  idle.refuseAllAccess = true;
  SimProcess brief = Listed(30, "brief.exe");
  brief.endsAfterSnapshot = true;
  os.AddProcess(limited);
  os.AddProcess(idle);
  os.AddProcess(brief);
  const std::uint32_t query = kProcessQueryInformation | kProcessVmRead;

  EXPECT_EQ(os.OpenProcess(kProcessAllAccess, false, 10), kNoHandle);
  EXPECT_EQ(os.GetLastError(), kErrorAccessDenied);
  UniqueHandle q(os, os.OpenProcess(query, false, 10));
  EXPECT_TRUE(q);
  EXPECT_EQ(os.OpenProcess(query, false, 0), kNoHandle);
  EXPECT_EQ(os.GetLastError(), kErrorAccessDenied);
  UniqueHandle b(os, os.OpenProcess(kProcessAllAccess, false, 30));
  EXPECT_TRUE(b) << "alive until a snapshot lists it";

  UniqueHandle snapshot(os, os.CreateToolhelp32Snapshot(kTh32csSnapProcess, 0));
  EXPECT_EQ(os.Processes().size(), 2u);
  EXPECT_EQ(os.OpenProcess(query, false, 30), kNoHandle);
  EXPECT_EQ(os.GetLastError(), kErrorInvalidParameter);
  char path[16] = {};
  EXPECT_EQ(os.GetModuleFileNameExA(b.Get(), kNoHandle, path, sizeof path), 0u)
      << "a handle that outlived its process reads nothing";
}

TEST(SimProcesses, ModulePathIsCutToTheBufferWithoutTerminator) {
  SimOs os;
  os.AddProcess(Listed(10, "abcdefgh.exe"));  // path "C:\abcdefgh.exe", 15 characters
  UniqueHandle h(os, os.OpenProcess(kProcessAllAccess, false, 10));
  char buffer[20];
  std::fill(std::begin(buffer), std::end(buffer), 'x');
  EXPECT_EQ(os.GetModuleFileNameExA(h.Get(), kNoHandle, buffer, 15), 15u);
  EXPECT_EQ(std::string(buffer, 16), "C:\\abcdefgh.exex");
  EXPECT_EQ(os.GetModuleFileNameExA(h.Get(), kNoHandle, buffer, 16), 15u);
  EXPECT_EQ(std::string(buffer), "C:\\abcdefgh.exe");

  os.psapiAvailable = false;
  std::fill(std::begin(buffer), std::end(buffer), 'x');
  ProcessMemoryCounters counters;
  counters.WorkingSetSize = 77;
  EXPECT_EQ(os.GetModuleFileNameExA(h.Get(), kNoHandle, buffer, 20), 0u);
  EXPECT_FALSE(os.GetProcessMemoryInfo(h.Get(), &counters, sizeof counters));
  EXPECT_EQ(buffer[0], 'x') << "without PSAPI nothing is written";
  EXPECT_EQ(counters.WorkingSetSize, 77u);
}

// --- NT system information -------------------------------------------------------------------

struct InfoClassCase {
  std::uint32_t infoClass;
  std::uint32_t length;
  std::uint32_t offset;
  std::uint32_t width;
};

void PrintTo(const InfoClassCase& c, std::ostream* os) { *os << "class " << c.infoClass; }

class SimSystemInformation : public ::testing::TestWithParam<InfoClassCase> {};

TEST_P(SimSystemInformation, WritesItsFieldAndInsistsOnItsLength) {
  const InfoClassCase& c = GetParam();
  SimOs os;
  os.processorCount = 3;
  os.idleTime = 0x0102030405060708;
  os.systemTime = 0x1112131415161718;
  std::vector<std::uint8_t> buffer(c.length + 1, 0xEE);
  std::uint32_t returned = 0;
  for (std::uint32_t wrong : {c.length - 1, c.length + 1}) {
    EXPECT_EQ(os.NtQuerySystemInformation(c.infoClass, buffer.data(), wrong, &returned),
              kStatusInfoLengthMismatch);
  }
  EXPECT_EQ(buffer[0], 0xEE);
  ASSERT_EQ(os.NtQuerySystemInformation(c.infoClass, buffer.data(), c.length, nullptr),
            kStatusSuccess);
  std::uint64_t field = 0;
  for (std::uint32_t i = 0; i < c.width; ++i) {
    field |= static_cast<std::uint64_t>(buffer[c.offset + i]) << (8 * i);
  }
  const std::uint64_t expected = c.infoClass == kSystemBasicInformation ? 3
                                 : c.infoClass == kSystemPerformanceInformation
                                     ? static_cast<std::uint64_t>(os.idleTime)
                                     : static_cast<std::uint64_t>(os.systemTime);
  EXPECT_EQ(field, expected);
  EXPECT_EQ(buffer[c.length], 0xEE) << "nothing past the buffer";

  os.failQueryClass = c.infoClass;
  EXPECT_NE(os.NtQuerySystemInformation(c.infoClass, buffer.data(), c.length, nullptr),
            kStatusSuccess);
  os.failQueryClass.reset();
  os.Fail("NtQuerySystemInformation", 0xC0000022u);
  EXPECT_EQ(os.NtQuerySystemInformation(c.infoClass, buffer.data(), c.length, nullptr),
            static_cast<NtStatus>(0xC0000022u));
}

INSTANTIATE_TEST_SUITE_P(Classes, SimSystemInformation,
                         ::testing::Values(InfoClassCase{0, 44, 40, 1}, InfoClassCase{2, 312, 0, 8},
                                           InfoClassCase{3, 32, 8, 8}));

TEST(SimSystemInformationClasses, FailingOneClassLeavesTheOthers) {
  SimOs os;
  os.failQueryClass = 2;
  std::uint8_t basic[44];
  std::uint8_t perf[312];
  EXPECT_EQ(os.NtQuerySystemInformation(0, basic, sizeof basic, nullptr), kStatusSuccess);
  EXPECT_NE(os.NtQuerySystemInformation(2, perf, sizeof perf, nullptr), kStatusSuccess);
  EXPECT_EQ(os.NtQuerySystemInformation(1, perf, sizeof perf, nullptr), kStatusInvalidInfoClass);
}


// --- memory for VirtualAlloc ---------------------------------------------------------

TEST(SimCommit, GivesZeroedWritableMemoryAndTracksItUntilReleased) {
  SimOs os;
  auto* a = static_cast<std::uint8_t*>(os.VirtualAlloc(nullptr, 8192, kMemCommit, kPageReadWrite));
  auto* b = static_cast<std::uint8_t*>(
      os.VirtualAlloc(nullptr, 4096, kMemCommit, kPageReadWrite | kPageNoCache));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(std::all_of(a, a + 8192, [](std::uint8_t x) { return x == 0; }));
  a[8191] = 0xFF;
  b[0] = 0xFF;
  EXPECT_EQ(os.CommittedBytes(), 12288u);
  EXPECT_EQ(os.CommittedBlocks(), 2u);
  const std::vector<std::string> open = os.OpenHandles();
  EXPECT_EQ(std::count(open.begin(), open.end(), "block 8192"), 1);
  EXPECT_EQ(std::count(open.begin(), open.end(), "block 4096"), 1);

  EXPECT_FALSE(os.VirtualFree(a, 8192, kMemRelease)) << "a release names no size";
  EXPECT_FALSE(os.VirtualFree(a + 4096, 0, kMemRelease)) << "only the base of a region";
  EXPECT_EQ(os.GetLastError(), kErrorInvalidParameter);
  EXPECT_TRUE(os.VirtualFree(a, 0, kMemRelease));
  EXPECT_FALSE(os.VirtualFree(a, 0, kMemRelease)) << "a region is released once";
  EXPECT_TRUE(os.VirtualFree(b, 0, kMemRelease));
  EXPECT_EQ(os.CommittedBytes(), 0u);
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SimCommit, RefusesPastTheLimitAndTheNamedCommit) {
  SimOs os;
  os.commitLimit = 3 * 4096;
  void* a = os.VirtualAlloc(nullptr, 2 * 4096, kMemCommit, kPageReadWrite);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(os.VirtualAlloc(nullptr, 2 * 4096, kMemCommit, kPageReadWrite), nullptr);
  EXPECT_EQ(os.GetLastError(), kErrorCommitmentLimit);
  void* b = os.VirtualAlloc(nullptr, 4096, kMemCommit, kPageReadWrite);
  EXPECT_NE(b, nullptr) << "what fits in the limit is still given";
  os.VirtualFree(a, 0, kMemRelease);
  os.VirtualFree(b, 0, kMemRelease);

  os.commitLimit = std::uint64_t{1} << 30;
  os.RefuseCommitNumber(2);
  std::vector<void*> got;
  for (int i = 0; i < 4; ++i) got.push_back(os.VirtualAlloc(nullptr, 4096, kMemCommit, kPageReadWrite));
  EXPECT_NE(got[0], nullptr);
  EXPECT_EQ(got[1], nullptr) << "the second commit from then on";
  EXPECT_EQ(os.GetLastError(), kErrorCommitmentLimit);
  EXPECT_NE(got[2], nullptr);
  EXPECT_NE(got[3], nullptr);
  for (void* p : got) {
    if (p != nullptr) os.VirtualFree(p, 0, kMemRelease);
  }
  EXPECT_EQ(os.CommittedBlocks(), 0u);
}

// The address space and the commit charge are separate limits, told apart
// by their errors, and what the program holds leaves the address space.
TEST(SimCommit, AddressSpaceAndCommitChargeAreSeparateLimits) {
  SimOs os;
  os.memory.ullAvailVirtual = 8u << 20;
  os.largestAddressRegion = 4u << 20;
  os.commitLimit = 6u << 20;
  EXPECT_EQ(os.VirtualAlloc(nullptr, 5u << 20, kMemCommit, kPageReadWrite), nullptr);
  EXPECT_EQ(os.GetLastError(), kErrorNotEnoughMemory) << "no region that large";
  void* a = os.VirtualAlloc(nullptr, 4u << 20, kMemCommit, kPageReadWrite);
  ASSERT_NE(a, nullptr);
  void* b = os.VirtualAlloc(nullptr, 3u << 20, kMemCommit, kPageReadWrite);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(os.GetLastError(), kErrorCommitmentLimit) << "room in the space, none in the charge";
  // A reservation takes no commit charge, only address space.
  void* r = os.VirtualAlloc(nullptr, 3u << 20, kMemReserve, kPageNoAccess);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(os.ReservedRegions(), 1u);
  MemoryStatusEx wide;
  wide.dwLength = sizeof wide;
  ASSERT_TRUE(os.GlobalMemoryStatusEx(&wide));
  EXPECT_EQ(wide.ullAvailVirtual, 1u << 20) << "what is held is no longer free";
  EXPECT_EQ(os.VirtualAlloc(nullptr, 2u << 20, kMemReserve, kPageNoAccess), nullptr);
  EXPECT_EQ(os.GetLastError(), kErrorNotEnoughMemory);
  EXPECT_EQ(os.OpenHandles(), (std::vector<std::string>{"block 4194304", "reservation 3145728"}));
  EXPECT_TRUE(os.VirtualFree(r, 0, kMemRelease));
  EXPECT_TRUE(os.VirtualFree(a, 0, kMemRelease));
  EXPECT_TRUE(os.OpenHandles().empty());
  EXPECT_EQ(os.PeakHeldBytes(), 7u << 20);
  EXPECT_EQ(os.CommitsMade(), 2u) << "reservations are no commits; the region miss came first";
}

// The narrow report clamps each figure as Windows does for a 32-bit
// program; the wide one gives them as they are, or is missing altogether.
TEST(SimMemoryReports, NarrowReportClampsAndTheWideOneMayBeMissing) {
  SimOs os;
  os.memory.ullTotalPhys = 24ull << 30;
  os.memory.ullAvailPhys = 100u << 20;
  os.memory.ullTotalPageFile = 5ull << 30;
  os.memory.ullAvailPageFile = 3ull << 30;
  os.memoryStatusClamp = 0x7FFFFFFFu;
  MemoryStatus narrow;
  os.GlobalMemoryStatus(&narrow);
  EXPECT_EQ(narrow.dwTotalPhys, 0x7FFFFFFFu);
  EXPECT_EQ(narrow.dwAvailPhys, 100u << 20);
  EXPECT_EQ(narrow.dwTotalPageFile, 0x7FFFFFFFu);
  EXPECT_EQ(narrow.dwAvailPageFile, 0x7FFFFFFFu);
  MemoryStatusEx wide;
  wide.dwLength = 32;
  EXPECT_FALSE(os.GlobalMemoryStatusEx(&wide)) << "the record's size must be its own";
  wide.dwLength = sizeof wide;
  ASSERT_TRUE(os.GlobalMemoryStatusEx(&wide));
  EXPECT_EQ(wide.ullTotalPhys, 24ull << 30);
  os.memoryStatusExAvailable = false;
  EXPECT_FALSE(os.GlobalMemoryStatusEx(&wide));
}

// --- working sets ------------------------------------------------------------------------

SimProcess TrimmableProcess(std::uint32_t pid, bool refuseFull) {
  SimProcess p;
  p.pid = pid;
  p.exeName = "p.exe";
  p.workingSet = 6 << 20;
  p.minimumWorkingSet = 1 << 20;
  p.refuseFullAccess = refuseFull;
  return p;
}

TEST(SimWorkingSets, OnlyAHandleWithSetQuotaTrimsAndItFreesTheDifference) {
  SimOs os;
  os.memory.ullTotalPhys = 64u << 20;
  os.memory.ullAvailPhys = 10u << 20;
  os.AddProcess(TrimmableProcess(10, false));
  os.AddProcess(TrimmableProcess(20, true));
  const Handle full = os.OpenProcess(kProcessAllAccess, false, 10);
  const Handle query = os.OpenProcess(kProcessQueryInformation | kProcessVmRead, false, 20);
  ASSERT_NE(full, kNoHandle);
  ASSERT_NE(query, kNoHandle);

  EXPECT_FALSE(os.SetProcessWorkingSetSize(query, kTrimAll, kTrimAll));
  EXPECT_EQ(os.GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(os.SetProcessWorkingSetSize(kNoHandle, kTrimAll, kTrimAll));
  EXPECT_EQ(os.memory.ullAvailPhys, 10u << 20);
  EXPECT_TRUE(os.trimmedPids.empty());

  EXPECT_TRUE(os.SetProcessWorkingSetSize(full, kTrimAll, kTrimAll));
  EXPECT_EQ(os.trimmedPids, std::vector<std::uint32_t>{10});
  EXPECT_EQ(os.Processes()[0].workingSet, 1u << 20);
  EXPECT_EQ(os.Processes()[1].workingSet, 6u << 20);
  EXPECT_EQ(os.memory.ullAvailPhys, 15u << 20);
  EXPECT_TRUE(os.SetProcessWorkingSetSize(full, kTrimAll, kTrimAll));
  EXPECT_EQ(os.memory.ullAvailPhys, 15u << 20) << "a trimmed set frees nothing more";

  os.RemoveProcess(10);
  EXPECT_FALSE(os.SetProcessWorkingSetSize(full, kTrimAll, kTrimAll)) << "the process has ended";
  os.CloseHandle(full);
  os.CloseHandle(query);
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SimWorkingSets, FreedMemoryNeverExceedsTheTotal) {
  SimOs os;
  os.memory.ullTotalPhys = 12u << 20;
  os.memory.ullAvailPhys = 10u << 20;
  os.AddProcess(TrimmableProcess(10, false));
  UniqueHandle h(os, os.OpenProcess(kProcessAllAccess, false, 10));
  os.SetProcessWorkingSetSize(h.Get(), kTrimAll, kTrimAll);
  EXPECT_EQ(os.memory.ullAvailPhys, 12u << 20);
}

TEST(SimWorkingSets, PseudoHandleTrimsTheCurrentProcessAndIsCounted) {
  SimOs os;
  os.AddProcess(TrimmableProcess(30, true));  // refusals do not apply to the pseudo handle
  EXPECT_TRUE(os.SetProcessWorkingSetSize(os.GetCurrentProcess(), kTrimAll, kTrimAll));
  EXPECT_EQ(os.SelfTrims(), 1u);
  EXPECT_TRUE(os.trimmedPids.empty()) << "no process of the current identifier is listed";
  os.currentProcessId = 30;
  os.SetProcessWorkingSetSize(os.GetCurrentProcess(), kTrimAll, kTrimAll);
  EXPECT_EQ(os.SelfTrims(), 2u);
  EXPECT_EQ(os.trimmedPids, std::vector<std::uint32_t>{30});
  EXPECT_EQ(os.Processes()[0].workingSet, 1u << 20);
  EXPECT_EQ(os.CountCalls("SetProcessWorkingSetSize(self)"), 2u);
}

// --- clipboard -----------------------------------------------------------------------------

TEST(SimClipboard, EmptiesOnlyWhileOpenAndRefusesWhileHeldElsewhere) {
  SimOs os;
  os.clipboardFormats = {"CF_TEXT"};
  EXPECT_FALSE(os.EmptyClipboard()) << "not open";
  EXPECT_EQ(os.clipboardFormats.size(), 1u);
  EXPECT_FALSE(os.CloseClipboard());

  os.clipboardHeldElsewhere = true;
  EXPECT_FALSE(os.OpenClipboard(0));
  EXPECT_FALSE(os.ClipboardOpen());
  EXPECT_FALSE(os.EmptyClipboard());
  EXPECT_EQ(os.clipboardFormats.size(), 1u);

  os.clipboardHeldElsewhere = false;
  EXPECT_TRUE(os.OpenClipboard(0));
  EXPECT_EQ(os.OpenHandles(), std::vector<std::string>{"clipboard"});
  EXPECT_TRUE(os.EmptyClipboard());
  EXPECT_TRUE(os.clipboardFormats.empty());
  EXPECT_TRUE(os.CloseClipboard());
  EXPECT_FALSE(os.ClipboardOpen());
  EXPECT_TRUE(os.OpenHandles().empty());
}

// --- the call hook ---------------------------------------------------------------------------

TEST(SimCallHook, RunsBeforeTheCallTakesEffect) {
  SimOs os;
  os.memory.ullAvailPhys = 1;
  std::vector<std::string> seen;
  os.onCall = [&](const std::string& call) {
    seen.push_back(call);
    os.memory.ullAvailPhys = 77;
  };
  MemoryStatus m;
  os.GlobalMemoryStatus(&m);
  EXPECT_EQ(m.dwAvailPhys, 77u) << "the call answers with what the hook left";
  os.logCalls = false;
  os.VirtualFree(nullptr, 0, kMemRelease);
  os.OpenProcess(kProcessAllAccess, false, 40);
  EXPECT_EQ(seen, (std::vector<std::string>{"GlobalMemoryStatus", "VirtualFree",
                                            "OpenProcess(40,0x1F0FFF)"}))
      << "the hook runs with the log turned off too, with the whole entry";
  EXPECT_EQ(os.Calls(), std::vector<std::string>{"GlobalMemoryStatus"});
}

}  // namespace
}  // namespace platform
