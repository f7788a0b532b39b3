// The real program on a machine with more memory than a 32-bit report can
// count, and with addresses above 2 GB: the exe is large-address-aware, and
// it runs with all of its low 2 GB that the system will give up taken
// before its code starts.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "harness.h"

namespace e2e {
namespace {

namespace ids = app::ids;

constexpr std::uintptr_t kTwoGigabytes = 0x80000000u;
constexpr std::uintptr_t kGranularity = 0x10000;

TEST(LargeAddressAware, TheShippedExeIsMarked) {
  HANDLE file = CreateFileA(QuorvelExePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::vector<unsigned char> head(4096);
  DWORD read = 0;
  const BOOL ok = ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok);
  ASSERT_GE(read, sizeof(IMAGE_DOS_HEADER));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data());
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LE(static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), read);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(head.data() + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
  EXPECT_EQ(nt->FileHeader.Machine, static_cast<WORD>(IMAGE_FILE_MACHINE_I386));
  EXPECT_NE(nt->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0)
      << "characteristics 0x" << std::hex << nt->FileHeader.Characteristics;
}

// Reserves, in the suspended process, every range below 2 GB that the
// system lets a caller have: the free ones, and those Wine shows as
// reserved because its own side might map there later but has not yet.
// Ranges the system really holds refuse the reservation. Returns the bytes.
std::uint64_t TakeLowTwoGigabytes(HANDLE process) {
  std::uint64_t taken = 0;
  for (const MemoryRegion& r : RegionsOf(process, kGranularity, kTwoGigabytes)) {
    if (r.state != MEM_FREE && r.state != MEM_RESERVE) continue;
    const std::uintptr_t from = (r.base + kGranularity - 1) & ~(kGranularity - 1);
    const std::uintptr_t end = r.End() < kTwoGigabytes ? r.End() : kTwoGigabytes;
    if (from >= end) continue;
    if (VirtualAllocEx(process, reinterpret_cast<void*>(from), end - from, MEM_RESERVE,
                       PAGE_NOACCESS) != nullptr) {
      taken += end - from;
    }
  }
  return taken;
}

std::uint64_t FreeBelowTwoGigabytes(HANDLE process) {
  std::uint64_t free = 0;
  for (const MemoryRegion& r : RegionsOf(process, kGranularity, kTwoGigabytes)) {
    if (r.state != MEM_FREE) continue;
    const std::uintptr_t end = r.End() < kTwoGigabytes ? r.End() : kTwoGigabytes;
    const std::uintptr_t from = (r.base + kGranularity - 1) & ~(kGranularity - 1);
    if (from < end) free += end - from;
  }
  return free;
}

// Committed private memory (heaps, stacks, the tweak's blocks) below or
// above 2 GB.
struct Committed {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
};
Committed PrivateCommitted(HANDLE process) {
  Committed c;
  for (const MemoryRegion& r : RegionsOf(process, kGranularity, 0xFFFF0000u)) {
    if (r.state != MEM_COMMIT || r.type != MEM_PRIVATE) continue;
    (r.base < kTwoGigabytes ? c.low : c.high) += r.size;
  }
  return c;
}

// The base addresses of the modules mapped into the process.
std::set<std::uintptr_t> ImageBases(HANDLE process) {
  std::set<std::uintptr_t> bases;
  for (const MemoryRegion& r : RegionsOf(process, kGranularity, 0xFFFF0000u)) {
    if (r.type == MEM_IMAGE) bases.insert(r.allocationBase);
  }
  return bases;
}

std::string MappedName(HANDLE process, std::uintptr_t base) {
  char name[MAX_PATH] = {};
  GetMappedFileNameA(process, reinterpret_cast<void*>(base), name, sizeof name);
  const char* slash = std::strrchr(name, '\\');
  return slash != nullptr ? slash + 1 : name;
}

std::string Text(HWND h) { return WindowText(h); }

// Every allocation the program makes and every module loaded after its
// start lies above 2 GB: the test takes all the low space the system will
// give up before the program's first thread runs. What stays below 2 GB is
// what Wine mapped while creating the process (ntdll, the exe, the first
// stack and heap) and the range its own loader occupies. The program must
// still do all a user asks of it.
TEST(HighAddresses, ProgramRunsWithItsLowTwoGigabytesTaken) {
  ASSERT_TRUE(CreateSettingsKey());
  ForgetSettings();
  Process quorvel;
  ASSERT_TRUE(quorvel.StartSuspended(QuorvelExePath()));
  const HANDLE process = quorvel.ProcessHandle();
  if (RegionsOf(process, kGranularity, kTwoGigabytes).empty()) {
    // Wine under an emulator cannot reach another process's memory.
    GTEST_SKIP() << "the new process's address space cannot be queried from here";
  }
  const std::uint64_t taken = TakeLowTwoGigabytes(process);
  std::printf("[ NOTE     ] reserved %llu MB below 2 GB before the program ran\n",
              static_cast<unsigned long long>(taken >> 20));
  EXPECT_GT(taken, std::uint64_t{1} << 30) << "hardly any low space was there to take";
  EXPECT_EQ(FreeBelowTwoGigabytes(process), 0u) << "a free range is left below 2 GB";
  const Committed atStart = PrivateCommitted(process);
  const std::set<std::uintptr_t> imagesAtStart = ImageBases(process);
  ASSERT_TRUE(quorvel.Resume());

  HWND main = WaitForProcessWindow(quorvel.Id(), "TForm_Zentor", "Quorvel", Timeout(60000));
  ASSERT_NE(main, nullptr) << "the program did not start with its low 2 GB taken";
  // A refresh has written the memory panel and the gauges.
  HWND memory = StatusPanel(main, ids::kStatusBarState, 2);
  ASSERT_TRUE(WaitUntil([&] { return Text(memory).rfind("PM:", 0) == 0; }, Timeout(30000)))
      << "no refresh: '" << Text(memory) << "'";
  HWND gauge = FindControl(main, ids::kGaugeMem);
  ASSERT_NE(gauge, nullptr);
  EXPECT_GT(SendMessageA(gauge, PBM_GETRANGE, FALSE, 0), 0);
  HWND page = FindControl(main, 400);
  ASSERT_TRUE(WaitUntil([&] { return page != nullptr && IsWindowVisible(page); }, Timeout(30000)));

  // The system libraries the program loaded had their preferred places
  // taken and were moved above 2 GB; its heaps and stacks are there too.
  int movedHigh = 0;
  for (std::uintptr_t base : ImageBases(process)) {
    if (imagesAtStart.count(base) != 0) continue;
    EXPECT_GE(base, kTwoGigabytes) << MappedName(process, base) << " loaded at 0x" << std::hex << base;
    if (base >= kTwoGigabytes) ++movedHigh;
  }
  EXPECT_GE(movedHigh, 5) << "kernel32, advapi32, user32, gdi32 and comctl32 at least load after the start";
  const Committed running = PrivateCommitted(process);
  std::printf("[ NOTE     ] %d modules loaded above 2 GB; private memory %llu KB below 2 GB at the "
              "start, %llu KB now; %llu KB above 2 GB\n",
              movedHigh, static_cast<unsigned long long>(atStart.low >> 10),
              static_cast<unsigned long long>(running.low >> 10),
              static_cast<unsigned long long>(running.high >> 10));
  EXPECT_LE(running.low, atStart.low) << "the program committed memory below 2 GB";
  EXPECT_GT(running.high, std::uint64_t{1} << 20) << "the program's memory is not above 2 GB";

  // An overall optimization at level 1, confirmed, with its report.
  PostMessageA(FindControl(main, ids::kSpeedButtonStartFull), BM_CLICK, 0, 0);
  HWND confirm = WaitForBox(quorvel.Id(), "Confirm", Timeout(20000));
  ASSERT_NE(confirm, nullptr) << "the overall optimization did not ask";
  ASSERT_TRUE(PressBoxButton(confirm, IDYES));
  HWND report = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        report = FindProcessWindow(quorvel.Id(), "#32770", "Quorvel", true);
        return report != nullptr;
      },
      Timeout(120000)))
      << "no report";
  EXPECT_EQ(BoxText(report).rfind("Available physical memory before optimizing:", 0), 0u)
      << BoxText(report);
  // With nothing free below 2 GB, the 1024 one-megabyte blocks it wrote
  // can only have been above.
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  ASSERT_TRUE(GetProcessMemoryInfo(process, &counters, sizeof counters));
  std::printf("[ NOTE     ] peak working set after level 1: %lu MB\n",
              static_cast<unsigned long>(counters.PeakWorkingSetSize >> 20));
  EXPECT_GE(counters.PeakWorkingSetSize, SIZE_T{1000} << 20);
  ASSERT_TRUE(PressBoxButton(report, IDOK));
  ASSERT_TRUE(WaitUntil(
      [&] { return FindProcessWindow(quorvel.Id(), "#32770", nullptr, true) == nullptr; },
      Timeout(10000)));

  // A save of a changed interval writes it to the record.
  SendMessageA(FindControl(main, ids::kSpinEditTime), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("23"));
  PostMessageA(FindControl(main, ids::kSpeedButtonSaveSet), BM_CLICK, 0, 0);
  HWND ask = WaitForBox(quorvel.Id(), "Confirm", Timeout(20000));
  ASSERT_NE(ask, nullptr) << "the save did not ask";
  ASSERT_TRUE(PressBoxButton(ask, IDYES));
  std::vector<unsigned char> record;
  ASSERT_TRUE(WaitUntil(
      [&] {
        DWORD type = 0;
        return GetMachineValue(kSettingsKeyPath, "QuorvelSetInfo", &type, &record) &&
               record.size() == 92 && record[4] == 23 && record[5] == 0 && record[6] == 0 &&
               record[7] == 0;
      },
      Timeout(20000)))
      << "the saved record does not hold the interval";

  EXPECT_LE(PrivateCommitted(process).low, atStart.low) << "the program committed memory below 2 GB";
  EXPECT_EQ(FreeBelowTwoGigabytes(process), 0u) << "low space came free while the program ran";

  // The tray menu opens; its last item, Exit, ends the program.
  PostMessageA(main, 3001, 1, WM_RBUTTONDOWN);
  ASSERT_NE(WaitForProcessWindow(quorvel.Id(), "#32768", nullptr, Timeout(10000)), nullptr)
      << "the tray menu did not open";
  PressKeys({}, VK_UP);
  PressKeys({}, VK_RETURN);
  DWORD code = 1234;
  ASSERT_TRUE(quorvel.WaitExit(Timeout(30000), &code)) << "Exit did not end the program";
  EXPECT_EQ(code, 0u);
  ForgetSettings();
}

}  // namespace
}  // namespace e2e
