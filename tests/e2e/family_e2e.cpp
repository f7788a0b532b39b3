// What depends on the Windows family, asserted for the family the prefix
// reports. scripts/e2e runs these once as Windows 7 (NT) and once more with
// Wine's version set to Windows 98, with QUORVEL_E2E_FAMILY telling which
// family the run is meant to be, so a 9x run that silently ran as NT fails.
//
// A test added to the 9x run is one more TEST_F here (and, if it belongs only
// to that run, one more pattern in scripts/e2e's 9x filter).

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/control_ids.h"
#include "harness.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

namespace ids = app::ids;

bool Reports9x() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// The attributes of SeDebugPrivilege in a process's token; -1 when unreadable.
long DebugPrivilegeAttributes(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (process == nullptr) return -1;
  HANDLE token = nullptr;
  long result = -1;
  if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
    LUID debug = {};
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (size > 0 && LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &debug) &&
        GetTokenInformation(token, TokenPrivileges, &buffer[0], size, &size)) {
      const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
      result = 0;  // present in no entry: not held at all
      for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
        if (p.Luid.LowPart == debug.LowPart && p.Luid.HighPart == debug.HighPart) {
          result = static_cast<long>(p.Attributes);
        }
      }
    }
    CloseHandle(token);
  }
  CloseHandle(process);
  return result;
}

// Keeps one processor busy while it lives, so that a reading that measures
// anything cannot be 0.
class BusyProcessor {
 public:
  BusyProcessor() : worker_([this] {
    volatile unsigned long spin = 0;
    while (!stop_) ++spin;
  }) {}
  ~BusyProcessor() {
    stop_ = true;
    worker_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

class Family : public RunningQuorvel {
 protected:
  void SetUp() override {
    const char* expected = std::getenv("QUORVEL_E2E_FAMILY");
    nineX_ = Reports9x();
    if (expected != nullptr) {
      ASSERT_EQ(nineX_, std::string(expected) == "9x")
          << "the run is meant for " << expected << " but the prefix reports the other family";
    }
    RunningQuorvel::SetUp();
  }
  // One status refresh, run to its end: the refresh command is a button.
  void Refresh() { SendMessageA(Control(ids::kButtonGetProcessInfo), BM_CLICK, 0, 0); }

  bool nineX_ = false;
};

// The rights step: on NT the program enables the debug privilege of its token;
// on 9x it makes no token call at all, so the privilege stays as the process
// got it, and the start still shows no box and a running window.
TEST_F(Family, RightsStepEnablesTheDebugPrivilegeOnlyOnNt) {
  EXPECT_EQ(FindProcessWindow(quorvel_.Id(), "#32770", nullptr, false), nullptr)
      << "no box at start, in either family";
  EXPECT_TRUE(IsWindowVisible(main_));
  const long attributes = DebugPrivilegeAttributes(quorvel_.Id());
  ASSERT_GE(attributes, 0) << "the program's token could not be read";
  if (nineX_) {
    EXPECT_EQ(attributes & SE_PRIVILEGE_ENABLED, 0) << "a token call was made on 9x";
  } else {
    EXPECT_NE(attributes & SE_PRIVILEGE_ENABLED, 0) << "the debug privilege was not enabled";
  }
}

// The processor reading: NT measures (a busy processor reads above 0); 9x reads
// the dynamic-data statistic, which Wine does not provide, so 0 at every refresh.
TEST_F(Family, ProcessorReadingTakesTheFamilysPath) {
  HWND label = Control(ids::kLabelCPUusage);
  HWND gauge = Control(ids::kGaugeCPU);
  ASSERT_NE(label, nullptr);
  ASSERT_NE(gauge, nullptr);
  BusyProcessor busy;
  if (nineX_) {
    for (int i = 0; i < 5; ++i) {
      Sleep(200);  // let the busy thread load the machine between readings
      Refresh();
      EXPECT_EQ(WindowText(label), "0%") << "refresh " << i;
      EXPECT_EQ(SendMessageA(gauge, PBM_GETPOS, 0, 0), 0) << "refresh " << i;
    }
  } else {
    EXPECT_TRUE(WaitUntil(
        [&] {
          Sleep(250);  // a reading covers the time since the one before
          Refresh();
          return WindowText(label) != "0%" && SendMessageA(gauge, PBM_GETPOS, 0, 0) > 0;
        },
        Timeout(20000)))
        << "a busy processor still reads " << WindowText(label);
  }
}

// The process list fills in both families (tool help exists on 95 and NT 5+;
// under Wine both), and a refresh takes up a process started after the last.
TEST_F(Family, RefreshListsAProcessStartedAfterTheStart) {
  HWND report = Control(ids::kListViewProcessReport);
  ASSERT_NE(report, nullptr);
  char text[8192] = {};
  auto table = [&] {
    SendMessageTimeoutA(report, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return std::string(text);
  };
  auto listed = [&](DWORD pid) {
    return table().find("\t" + std::to_string(pid) + "\t") != std::string::npos;
  };
  ASSERT_TRUE(WaitUntil([&] { return listed(quorvel_.Id()); }, Timeout(10000)))
      << "the program does not list itself: " << table();

  Process extra;
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  ASSERT_TRUE(extra.Start(std::string(windows) + "\\notepad.exe"));
  Refresh();
  EXPECT_TRUE(WaitUntil([&] { Refresh(); return listed(extra.Id()); }, Timeout(10000)));
  HWND count = StatusPanel(main_, ids::kStatusBarState, 0);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(WindowText(count).rfind("Process number:", 0), 0u) << WindowText(count);
}

// The memory lists exist from NT 6.0 on: on 9x the option cannot be ticked.
TEST_F(Family, MemoryListOptionIsDisabledOn9xOnly) {
  HWND box = Control(ids::kCheckBoxMemoryLists);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(IsWindowEnabled(box) != FALSE, !nineX_) << (nineX_ ? "9x" : "NT");
}

// The overall optimization runs to its report in both families.
TEST_F(Family, OverallOptimizationAsksThenReports) {
  PostMessageA(Control(ids::kSpeedButtonStartFull), BM_CLICK, 0, 0);
  HWND confirm = WaitForProcessWindow(quorvel_.Id(), "#32770", "Confirm", Timeout(20000));
  ASSERT_NE(confirm, nullptr) << "no confirmation";
  PostMessageA(GetDlgItem(confirm, IDYES), BM_CLICK, 0, 0);

  HWND report = WaitForProcessWindow(quorvel_.Id(), "#32770", "Quorvel", Timeout(120000));
  ASSERT_NE(report, nullptr) << "no report after the optimization";
  const std::string text = WindowText(GetDlgItem(report, 0xFFFF));
  EXPECT_EQ(text.rfind("Available physical memory before optimizing:", 0), 0u) << text;
  EXPECT_NE(text.find("Available physical memory after optimizing:"), std::string::npos) << text;
  EXPECT_NE(text.find("Released physical memory after optimizing:"), std::string::npos) << text;
  PostMessageA(GetDlgItem(report, IDOK), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(report); }, Timeout(10000)));
  EXPECT_TRUE(quorvel_.Running());
}

// A save writes the whole record and the start-up value in both families:
// the settings key is the same machine-wide key on each.
TEST_F(Family, SaveWritesTheRecordAndTheStartupValue) {
  // Whatever the defaults, the start-up option ends up ticked.
  if (SendMessageA(Control(ids::kCheckBoxAutoStart), BM_GETCHECK, 0, 0) != BST_CHECKED) {
    SendMessageA(Control(ids::kCheckBoxAutoStart), BM_CLICK, 0, 0);
  }
  SendMessageA(Control(ids::kSpinEditTime), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("17"));
  PostMessageA(Control(ids::kSpeedButtonSaveSet), BM_CLICK, 0, 0);
  HWND box = WaitForBox(quorvel_.Id(), "Confirm", Timeout(20000));
  ASSERT_NE(box, nullptr) << "no save question";
  EXPECT_EQ(BoxText(box), "Are you sure to save the settings?");
  ASSERT_TRUE(PressBoxButton(box, IDYES));

  DWORD type = 0;
  std::vector<unsigned char> run;
  ASSERT_TRUE(WaitUntil([&] { return GetMachineValue(kRunKeyPath, "Quorvel", &type, &run); },
                        Timeout(20000)))
      << "no start-up value after the save";
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  std::vector<unsigned char> record;
  ASSERT_TRUE(GetMachineValue(kSettingsKeyPath, "QuorvelSetInfo", &type, &record));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(record.size(), 92u);
  EXPECT_EQ(record[4] | record[5] << 8 | record[6] << 16 | record[7] << 24, 17) << "AutoTime";
  EXPECT_TRUE(quorvel_.Running());
}

}  // namespace
}  // namespace e2e
