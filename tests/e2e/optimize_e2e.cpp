// Freeing memory with the real program: the confirmed overall optimization
// with its report, the level chosen on the track bar's own keyboard
// handling, a whole-memory level on a machine larger than the address
// space, automatic optimization switched on and off, and the clipboard
// button.

#include "harness.h"

#include <commctrl.h>
#include <psapi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

namespace ids = app::ids;

constexpr char kConfirmText[] =
    "This function could free a lot of physical memory space,but take sometime to complete. "
    "\rConfirm to proceed?";
constexpr char kLowMemoryText[] = "Unable to tweak RAM, please increase system virtual memory.";

struct Report {
  long before = -1, after = -1, released = 0;
};

// The report's three lines, exactly as the program writes them; false when
// the text has any other shape.
bool ParseReport(const std::string& text, Report& r) {
  if (std::sscanf(text.c_str(),
                  "Available physical memory before optimizing:%ld MB\r\n"
                  "Available physical memory after optimizing:%ld MB\r\n"
                  "Released physical memory after optimizing:%ld MB",
                  &r.before, &r.after, &r.released) != 3) {
    return false;
  }
  char rebuilt[512];
  std::snprintf(rebuilt, sizeof rebuilt,
                "Available physical memory before optimizing:%ld MB\r\n"
                "Available physical memory after optimizing:%ld MB\r\n"
                "Released physical memory after optimizing:%ld MB",
                r.before, r.after, r.released);
  return text == rebuilt;
}

long AvailablePhysicalMb() {
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  GlobalMemoryStatusEx(&m);
  return static_cast<long>(m.ullAvailPhys >> 20);
}

class OptimizeE2e : public RunningQuorvel {
 protected:
  // A box of the program with this caption whose text is `text` (any text
  // when null).
  HWND WaitForBox(const char* caption, const char* text, DWORD timeoutMs = 30000) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          found = FindProcessWindow(quorvel_.Id(), "#32770", caption, true);
          return found != nullptr && (text == nullptr || BoxText(found) == text);
        },
        Timeout(timeoutMs));
    if (found != nullptr && text != nullptr && BoxText(found) != text) return nullptr;
    return found;
  }
  static std::string BoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }
  // Presses a box's button and waits for the box to go.
  static bool Answer(HWND box, int button) {
    HWND b = GetDlgItem(box, button);
    if (b == nullptr) return false;
    PostMessageA(b, BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(box); }, Timeout(10000));
  }
  std::string Panel1() { return WindowText(StatusPanel(main_, ids::kStatusBarState, 1)); }
  bool Shown(int id) {
    HWND h = Control(id);
    return h != nullptr && IsWindowVisible(h);
  }
  LRESULT Checked(int id) { return SendMessageA(Control(id), BM_GETCHECK, 0, 0); }
  HWND StartOverall() {
    HWND start = Control(ids::kSpeedButtonStartFull);
    if (start == nullptr) return nullptr;
    // Posted: the handler holds the program in the confirmation's loop.
    PostMessageA(start, BM_CLICK, 0, 0);
    return WaitForBox("Confirm", kConfirmText);
  }
};

TEST_F(OptimizeE2e, OverallGroupStartsAtLevelOneWithItsGaugeHidden) {
  SendMessageA(Control(ids::kSpeedButtonFull), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return Shown(ids::kPageProcesses); }, Timeout(5000)));
  struct Expect {
    int id;
    const char* text;
  };
  for (const Expect& e : {Expect{ids::kGroupBoxOverallOptimize, "Overall optimize"},
                          Expect{ids::kLabelOptimizeLavel, "Level 1"},
                          Expect{ids::kLabelMaxSpeed, "Max. Speed"},
                          Expect{ids::kLabelMaxSpace, "Max. Space"},
                          Expect{ids::kLabelOveralloptimizing, "Memory overall optimizing..."}}) {
    HWND h = Control(e.id);
    ASSERT_NE(h, nullptr) << "control " << e.id;
    EXPECT_EQ(WindowText(h), e.text) << "control " << e.id;
  }
  HWND bar = Control(ids::kTrackBarOverallOption);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), 1);
  EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0), 5);
  EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 1);
  EXPECT_NE(GetWindowLongA(bar, GWL_STYLE) & TBS_NOTICKS, 0) << "the track bar shows tick marks";
  EXPECT_TRUE(Shown(ids::kSpeedButtonStartFull));
  EXPECT_TRUE(Shown(ids::kSpeedButtonRunAuto2));
  EXPECT_FALSE(Shown(ids::kGaugeOvarallOptimize));
  EXPECT_FALSE(Shown(ids::kLabelOveralloptimizing));
  RECT gauge;
  GetClientRect(Control(ids::kGaugeOvarallOptimize), &gauge);
  EXPECT_EQ(gauge.bottom, 14);
}

TEST_F(OptimizeE2e, ConfirmationAsksYesOrCancelAndCancelChangesNothing) {
  for (bool byCloseBox : {false, true}) {
    HWND box = StartOverall();
    ASSERT_NE(box, nullptr) << "no confirmation box with the expected text";
    EXPECT_EQ(WindowText(GetDlgItem(box, IDYES)), "&Yes");
    EXPECT_EQ(WindowText(GetDlgItem(box, IDCANCEL)), "Cancel");
    EXPECT_EQ(GetDlgItem(box, IDNO), nullptr) << "the box offers No";
    EXPECT_EQ(GetDlgItem(box, IDOK), nullptr) << "the box offers OK";
    if (byCloseBox) {
      PostMessageA(box, WM_CLOSE, 0, 0);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, Timeout(10000)));
    } else {
      EXPECT_TRUE(Answer(box, IDCANCEL));
    }
    // Nothing ran: no status text, no caption over the gauge, no report.
    EXPECT_EQ(Panel1(), "");
    EXPECT_FALSE(Shown(ids::kLabelOveralloptimizing));
    EXPECT_FALSE(Shown(ids::kGaugeOvarallOptimize));
    EXPECT_EQ(FindProcessWindow(quorvel_.Id(), "#32770", "Quorvel", true), nullptr);
  }
}

TEST_F(OptimizeE2e, YesTweaksAtLevelOneTrimsAndReportsTheSystemsFigures) {
  SendMessageA(Control(ids::kSpeedButtonFull), BM_CLICK, 0, 0);
  HWND box = StartOverall();
  ASSERT_NE(box, nullptr);
  const long before = AvailablePhysicalMb();
  ASSERT_TRUE(Answer(box, IDYES));
  HWND report = WaitForBox("Quorvel", nullptr, 120000);
  ASSERT_NE(report, nullptr) << "no report after the optimization";
  const long after = AvailablePhysicalMb();
  const std::string text = BoxText(report);
  Report r;
  ASSERT_TRUE(ParseReport(text, r)) << "report text: " << text;
  // The program's snapshots are taken moments from the test's own.
  EXPECT_LE(std::labs(r.before - before), 256) << "before: program " << r.before << ", test " << before;
  EXPECT_LE(std::labs(r.after - after), 256) << "after: program " << r.after << ", test " << after;
  EXPECT_LE(std::labs(r.released - (r.after - r.before)), 1);
  // While the report is up the run is not over yet.
  EXPECT_EQ(Panel1(), "memory tweaking... ");
  EXPECT_TRUE(Shown(ids::kLabelOveralloptimizing));
  EXPECT_FALSE(Shown(ids::kGaugeOvarallOptimize)) << "the tweak leaves its gauge up";
  ASSERT_TRUE(Answer(report, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return !Shown(ids::kLabelOveralloptimizing); }, Timeout(5000)));
  EXPECT_EQ(Panel1(), "memory tweaking... ") << "the status text stays after the run";
}

// The program's working set, sampled while it runs: each time it climbs past
// `high` and falls back below a third of that counts as one pass, and its
// top is kept.
class PassWatch {
 public:
  explicit PassWatch(SIZE_T high) : high_(high) {}
  bool Sample(HANDLE process) {
    PROCESS_MEMORY_COUNTERS c = {};
    c.cb = sizeof c;
    if (!GetProcessMemoryInfo(process, &c, sizeof c)) return false;
    const SIZE_T ws = c.WorkingSetSize;
    if (!inPass_ && ws >= high_) {
      inPass_ = true;
      top_ = ws;
    } else if (inPass_) {
      if (ws > top_) top_ = ws;
      if (ws < high_ / 3) End();
    }
    return true;
  }
  // The tops of the passes seen, the one still under way included.
  std::vector<SIZE_T> Passes() {
    if (inPass_) End();
    return tops_;
  }

 private:
  void End() {
    tops_.push_back(top_);
    inPass_ = false;
  }
  SIZE_T high_;
  bool inPass_ = false;
  SIZE_T top_ = 0;
  std::vector<SIZE_T> tops_;
};

// Level 2 on a machine whose memory a 32-bit address space cannot hold:
// each of the two passes holds what the space leaves, with no low-memory
// box, and the program's working set shows how much each pass wrote.
TEST_F(OptimizeE2e, LevelTwoFromTheKeyboardHoldsWhatTheAddressSpaceLeavesThenReports) {
  SendMessageA(Control(ids::kSpeedButtonFull), BM_CLICK, 0, 0);
  HWND bar = Control(ids::kTrackBarOverallOption);
  ASSERT_NE(bar, nullptr);
  // The track bar moves itself on the arrow key and tells its parent.
  PostMessageA(bar, WM_KEYDOWN, VK_RIGHT, 1);
  PostMessageA(bar, WM_KEYUP, VK_RIGHT, 0xC0000001);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(Control(ids::kLabelOptimizeLavel)) == "Level 2"; },
                        Timeout(5000)))
      << "caption: " << WindowText(Control(ids::kLabelOptimizeLavel));
  EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 2);

  MEMORYSTATUSEX machine = {};
  machine.dwLength = sizeof machine;
  ASSERT_TRUE(GlobalMemoryStatusEx(&machine));
  // A pass holds all of physical memory or what the address space leaves,
  // written page by page. On a machine larger than the space that is at
  // least 1.5 GB, and at least half the space the program shows it has:
  // its code, libraries and heaps take far less than the other half.
  long long spaceKb = -1;
  ASSERT_EQ(std::sscanf(WindowText(Control(ids::kLTotalVirtual)).c_str(), "%lld KB", &spaceKb), 1);
  const DWORDLONG halfSpace = static_cast<DWORDLONG>(spaceKb) << 9;
  const DWORDLONG wanted = machine.ullTotalPhys < (DWORDLONG{2048} << 20) ? machine.ullTotalPhys / 2
                           : halfSpace > (DWORDLONG{1536} << 20)          ? halfSpace
                                                                          : DWORDLONG{1536} << 20;
  HWND box = StartOverall();
  ASSERT_NE(box, nullptr);
  PassWatch watch(static_cast<SIZE_T>(wanted));
  ASSERT_TRUE(watch.Sample(quorvel_.ProcessHandle())) << "the program's working set cannot be read";
  const DWORD started = GetTickCount();
  ASSERT_TRUE(Answer(box, IDYES));
  // Sampled often enough to see the working set fall between the passes:
  // writing a pass's first third takes far longer than a sample.
  HWND next = nullptr;
  const DWORD limit = Timeout(240000);
  while ((next = FindProcessWindow(quorvel_.Id(), "#32770", nullptr, true)) == nullptr &&
         GetTickCount() - started < limit) {
    watch.Sample(quorvel_.ProcessHandle());
    Sleep(5);
  }
  const DWORD took = GetTickCount() - started;
  ASSERT_NE(next, nullptr) << "no box after the optimization";
  // A box can show a moment before its caption is set.
  EXPECT_TRUE(WaitUntil([&] { return WindowText(next) == "Quorvel"; }, Timeout(5000)))
      << "caption: '" << WindowText(next) << "'";
  EXPECT_NE(BoxText(next), kLowMemoryText) << "the address space running out is no refusal";
  Report r;
  EXPECT_TRUE(ParseReport(BoxText(next), r)) << "report text: " << BoxText(next);

  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  ASSERT_TRUE(GetProcessMemoryInfo(quorvel_.ProcessHandle(), &counters, sizeof counters));
  const std::vector<SIZE_T> passes = watch.Passes();
  std::printf("[ NOTE     ] level 2 took %lu ms; peak working set %lu MB of %llu MB physical memory;",
              static_cast<unsigned long>(took), static_cast<unsigned long>(counters.PeakWorkingSetSize >> 20),
              static_cast<unsigned long long>(machine.ullTotalPhys >> 20));
  for (SIZE_T top : passes) std::printf(" a pass at %lu MB", static_cast<unsigned long>(top >> 20));
  std::printf("\n");
  EXPECT_GE(static_cast<DWORDLONG>(counters.PeakWorkingSetSize), wanted);
  EXPECT_EQ(passes.size(), 2u) << "passes that wrote at least " << (wanted >> 20) << " MB";
  ASSERT_TRUE(Answer(next, IDOK));
  EXPECT_EQ(FindProcessWindow(quorvel_.Id(), "#32770", nullptr, true), nullptr)
      << "another box after the report: " << BoxText(FindProcessWindow(quorvel_.Id(), "#32770", nullptr, true));
  EXPECT_EQ(WindowText(Control(ids::kLabelOptimizeLavel)), "Level 2");
}

TEST_F(OptimizeE2e, AutoOptimizationPressesAndReleasesBothButtons) {
  const int buttons[] = {ids::kSpeedButtonRunAuto, ids::kSpeedButtonRunAuto2};
  for (int id : buttons) ASSERT_EQ(Checked(id), BST_UNCHECKED) << "button " << id;
  EXPECT_EQ(Panel1(), "");
  SendMessageA(Control(ids::kSpeedButtonRunAuto), BM_CLICK, 0, 0);
  for (int id : buttons) EXPECT_EQ(Checked(id), BST_CHECKED) << "button " << id;
  EXPECT_EQ(Panel1(), "Auto optimizing...");
  EXPECT_FALSE(Shown(ids::kLabelAutoOptimize));
  EXPECT_EQ(WindowText(Control(ids::kLabelAutoOptimize)), "Auto optimizing...");
  // Stopped from the other page's copy.
  SendMessageA(Control(ids::kSpeedButtonRunAuto2), BM_CLICK, 0, 0);
  for (int id : buttons) EXPECT_EQ(Checked(id), BST_UNCHECKED) << "button " << id;
  EXPECT_EQ(Panel1(), "");
  EXPECT_EQ(WindowText(Control(ids::kLabelAutoOptimize)), "");
}

TEST_F(OptimizeE2e, AutoSettingsGroupShowsItsRows) {
  struct Expect {
    int id;
    const char* text;
  };
  for (const Expect& e :
       {Expect{ids::kGroupBox1, "Auto Settings"},
        Expect{ids::kLabel1, "Auto optimize interval(sec)"},
        Expect{ids::kCheckBoxEmptyClipboard, "Clean clipboard when  auto optimize (Not recommend)"},
        Expect{ids::kCheckBoxAfterMemTrim,
               "Tweak memory before auto optimization (It will take few seconds to start program)"},
        Expect{ids::kCheckBoxBstopauto,
               "Stop optimization when available memory usage is higher than :"},
        Expect{ids::kLabel2, "%"}}) {
    HWND h = Control(e.id);
    ASSERT_NE(h, nullptr) << "control " << e.id;
    EXPECT_EQ(WindowText(h), e.text) << "control " << e.id;
  }
  for (int id : {ids::kSpinEditTime, ids::kSpinEditBstopauto, ids::kButtonEmptyClipboard}) {
    EXPECT_NE(Control(id), nullptr) << "control " << id;
  }
  // The percentage follows its check box.
  const bool stopOn = Checked(ids::kCheckBoxBstopauto) == BST_CHECKED;
  EXPECT_EQ(IsWindowEnabled(Control(ids::kSpinEditBstopauto)) != FALSE, stopOn);
}

bool PutTextOnClipboard(const char* text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const size_t size = std::strlen(text) + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  bool ok = false;
  if (memory != nullptr) {
    std::memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    ok = SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!ok) GlobalFree(memory);
  }
  CloseClipboard();
  return ok;
}

TEST_F(OptimizeE2e, ClipboardButtonEmptiesTheClipboardAndSaysSo) {
  ASSERT_TRUE(PutTextOnClipboard("kept by the test"));
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  HWND button = Control(ids::kButtonEmptyClipboard);
  ASSERT_NE(button, nullptr);
  PostMessageA(button, BM_CLICK, 0, 0);
  HWND notice = WaitForBox("Quorvel", "Clipboard has been cleaned!");
  ASSERT_NE(notice, nullptr);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(CountClipboardFormats(), 0);
  EXPECT_TRUE(Answer(notice, IDOK));
}

}  // namespace
}  // namespace e2e
