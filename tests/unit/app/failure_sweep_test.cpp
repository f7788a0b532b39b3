// One scripted life of the program, lived once as it should go and then
// again for every call it makes to the system, with that call failing once:
// at its first call, at a middle one, at its last one before the closing
// check and at its last one of all. Each failing life must show only the
// boxes that failure is documented to show (and those it must show), leave
// nothing open once the program has ended, and leave a program that still
// refreshes; a fresh start on the same machine must then run cleanly.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/frmmain.h"
#include "app/program.h"
#include "app/tray_icon.h"
#include "gui/headless/headless_backend.h"
#include "optimize/auto_optimize.h"
#include "optimize/tweak.h"
#include "platform/sim/sim_os.h"
#include "settings/hotkeys.h"
#include "settings/pagefile.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"

namespace app {
namespace {

using platform::SimOs;
using platform::SimProcess;

constexpr std::uint32_t kMB = 1048576;
constexpr std::uint32_t kSelfPid = 1200;
constexpr std::uint32_t kVerifyPid = 7777;
constexpr const char* kInstanceEvent = "QuorvelEvent20070409";

constexpr const char* kAdminMessage =
    "Can not run this program! Please run this program under administrator' authorization! ";
constexpr const char* kLowMemory = "Unable to tweak RAM, please increase system virtual memory.";
constexpr const char* kClipboardCleaned = "Clipboard has been cleaned!";
constexpr const char* kReportStart = "Available physical memory before optimizing:";

SimProcess Proc(std::uint32_t pid, const std::string& name, std::uint32_t workingSet) {
  SimProcess p;
  p.pid = pid;
  p.parentPid = 4;
  p.exeName = name;
  p.path = "C:\\Programs\\" + name;
  p.workingSet = workingSet;
  p.peakWorkingSet = workingSet;
  p.minimumWorkingSet = workingSet / 4;
  return p;
}

// A machine small enough that every tweak is quick, with a stored record
// that turns on everything the life exercises: clipboard cleaning, the
// tweak before automatic optimization, no stop condition, one-second ticks,
// and the start-with-Windows entry.
void BuildMachine(SimOs& os) {
  os.AddKey("HKLM\\Software\\Quorvel");
  os.AddKey(std::string("HKLM\\") + settings::kRunKey);
  os.AddKey(std::string("HKLM\\") + settings::kMemoryManagementKey);
  settings::TSetInfo record = settings::DefaultSetInfo();
  record.AutoEmptyClipboard = true;
  record.AutoTime = 1;
  record.bStopAuto = false;
  record.AfterMemTrim = true;
  const settings::SetInfoBytes bytes = settings::EncodeSetInfo(record);
  os.SetValue("HKLM\\Software\\Quorvel", settings::kSettingsValue, platform::kRegBinary,
              std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  std::vector<std::uint8_t> run(os.modulePath.begin(), os.modulePath.end());
  run.push_back(0);
  os.SetValue(std::string("HKLM\\") + settings::kRunKey, settings::kRunValue, platform::kRegSz,
              run);

  SimProcess idle = Proc(0, "[System Process]", 0);
  idle.refuseAllAccess = true;
  os.AddProcess(idle);
  SimProcess system = Proc(4, "System", 2 * kMB);
  system.refuseFullAccess = true;
  os.AddProcess(system);
  os.AddProcess(Proc(400, "winlogon.exe", 4 * kMB));
  os.AddProcess(Proc(900, "svchost.exe", 8 * kMB));
  os.AddProcess(Proc(kSelfPid, "Quorvel.exe", 3 * kMB));
  // A process the process-status call cannot name: the image-name call
  // has to.
  SimProcess starting = Proc(1300, "starting.exe", 1 * kMB);
  starting.path.clear();
  starting.imagePath = "C:\\Programs\\starting.exe";
  os.AddProcess(starting);
  os.currentProcessId = kSelfPid;
  // An instance on its way out has cleared its mark but still holds it, so
  // the instance check has an event to wait on; it ends during the start.
  os.AddForeignEvent(kInstanceEvent, false);
  os.memory.ullTotalPhys = 8 * kMB;
  os.memory.ullAvailPhys = 2 * kMB;
  os.memory.ullTotalPageFile = 16 * kMB;
  os.memory.ullAvailPageFile = 12 * kMB;
  os.memory.ullTotalVirtual = 2048 * kMB;
  os.memory.ullAvailVirtual = 2000 * kMB;
  os.clipboardFormats = {"CF_TEXT"};
  // Windows Vista, with the option to empty the memory lists stored: every
  // overall optimization ends with that step.
  os.version.dwMajorVersion = 6;
  os.version.dwMinorVersion = 0;
  os.SetValue("HKLM\\Software\\Quorvel", settings::kMemoryListsValue, platform::kRegDword,
              {1, 0, 0, 0});
}

struct SeenBox {
  std::string phase;
  std::string text;
  std::string caption;
};

// What one life showed and left behind.
struct Outcome {
  bool started = false;
  bool reachedExit = false;
  bool terminated = false;
  std::vector<SeenBox> boxes;
  std::string failedPhase;  // where the injected failure happened; empty: it did not
  std::string failedCall;
  bool verifyRan = false;
  int verifyRows = -1;
  bool verifyListsNewProcess = false;
  int expectedRows = 0;
  std::vector<std::string> hotKeyLabels;
  bool shownByHotKey = false;
  std::vector<std::string> leftOpen;  // after the program ended
  std::size_t trayIconsLeft = 0;
  std::string escaped;  // what came out of the runtime instead of a box

  bool Showed(const std::string& phase, const std::string& text) const {
    return std::any_of(boxes.begin(), boxes.end(), [&](const SeenBox& b) {
      return (phase.empty() || b.phase == phase) && b.text == text;
    });
  }
  std::size_t BoxesIn(const std::string& phase) const {
    return static_cast<std::size_t>(std::count_if(
        boxes.begin(), boxes.end(), [&](const SeenBox& b) { return b.phase == phase; }));
  }
};

// One program on one machine, driven the way its message loop would drive
// it: every user action and timer tick goes through the runtime's dispatch.
class Life {
 public:
  static constexpr const char* kVerifyPhase = "closing check";

  explicit Life(SimOs& os) : os_(os) {}

  // The whole scripted life, or (`full` false) only a start, the closing
  // check and Exit.
  Outcome Live(bool full = true) {
    optimize::TweakBusy = false;
    optimize::AutoTickPhase = false;
    Outcome out;
    backend_.WhileBoxOpen = [&](const gui::ShownBox& box) {
      out.boxes.push_back({phase_, box.text, box.caption});
    };
    program_ = std::make_unique<Program>(os_, backend_);
    Step(out, "start-up", [&] {
      out.started = program_->Start();
      if (out.started) program_->Run();
      if (full) os_.EndForeignEvent(kInstanceEvent);
    });
    if (out.started) {
      if (full) LiveOn(out);
      countsBeforeVerify = Counts();
      Verify(out);
      countsAfterVerify = Counts();
      Step(out, "exit", [&] {
        out.reachedExit = true;
        backend_.ScriptMenuChoice(Form().Exit1.CommandId());
        gui::TMessage m{kTrayCallbackMessage, kTrayIconId, kWmRButtonDown};
        Form().DeliverMessage(m);
        out.terminated = program_->App().Terminated();
      });
    }
    Step(out, "end", [&] { program_.reset(); });
    out.leftOpen = os_.OpenHandles();
    out.trayIconsLeft = os_.TrayIcons().size();
    return out;
  }

  // The calls of each name made before the closing check, and up to its
  // end; SimOs counts them only while a failure is armed.
  std::map<std::string, std::size_t> countsBeforeVerify;
  std::map<std::string, std::size_t> countsAfterVerify;

  // Every call the program makes that can fail.
  static const std::vector<std::string>& AllCallNames() {
    static const std::vector<std::string> names{
        "GetVersionExA", "CloseHandle", "CreateEventA", "OpenEventA", "SetEvent",
        "ResetEvent", "WaitForSingleObject", "OpenProcess", "SetProcessWorkingSetSize",
        "VirtualAlloc", "VirtualFree", "OpenClipboard", "EmptyClipboard", "CloseClipboard",
        "CreateToolhelp32Snapshot", "Process32First", "Process32Next",
        "QueryFullProcessImageNameA", "GetModuleFileNameExA", "GetProcessMemoryInfo",
        "NtQuerySystemInformation", "NtSetSystemInformation", "OpenProcessToken", "GetTokenInformation",
        "LookupPrivilegeValueA", "AdjustTokenPrivileges", "RegOpenKeyExA", "RegCloseKey",
        "RegQueryValueExA", "RegCreateKeyExA", "RegSetValueExA", "RegDeleteValueA",
        "GetModuleFileNameA", "GetWindowsDirectoryA", "RegisterHotKey", "UnregisterHotKey",
        "CreateIconIndirect", "DestroyIcon", "GetCursorPos", "Shell_NotifyIconA",
        "RegisterWindowMessageA", "CreateOleObject", "OleSetProperty", "OleInvoke",
        "ShellExecuteA"};
    return names;
  }

 private:
  TForm_Zentor& Form() { return *program_->Form(); }
  void Dispatch(const std::function<void()>& action) { program_->App().Dispatch(action); }

  void Step(Outcome& out, const std::string& name, const std::function<void()>& body) {
    phase_ = name;
    try {
      body();
    } catch (const std::exception& e) {
      out.escaped += "[" + name + "] " + e.what() + "; ";
    } catch (...) {
      out.escaped += "[" + name + "] an exception of unknown type; ";
    }
    if (out.failedPhase.empty() && os_.FailedOnce()) {
      out.failedPhase = name;
      out.failedCall = os_.FailedOnceCall();
    }
  }

  void LiveOn(Outcome& out) {
    Step(out, "refreshes", [&] {
      for (int i = 0; i < 20; ++i) {
        if (i % 2 == 0) {
          os_.AddProcess(Proc(2000 + static_cast<std::uint32_t>(i), "tool.exe", 1 * kMB));
        } else {
          os_.RemoveProcess(2000 + static_cast<std::uint32_t>(i - 1));
        }
        os_.AdvanceProcessorTime(20000000, 10000000);
        backend_.AdvanceBy(2000);
      }
    });
    Step(out, "overall level 1", [&] {
      Form().TrackBar_OverallOption.SetPosition(1);
      Dispatch([&] { Form().SpeedButton_StartFull.Click(); });
    });
    Step(out, "overall level 2", [&] {
      Form().TrackBar_OverallOption.SetPosition(2);
      Dispatch([&] { Form().SpeedButton_StartFull.Click(); });
      Form().TrackBar_OverallOption.SetPosition(1);
    });
    // The stored record asks for the tweak before the first tick, clipboard
    // cleaning and no stop condition.
    Step(out, "auto", [&] {
      Dispatch([&] { Form().SpeedButton_RunAuto.Click(); });
      for (int i = 0; i < 30; ++i) backend_.AdvanceBy(1000);
      Dispatch([&] { Form().SpeedButton_RunAuto.Click(); });
    });
    Step(out, "clipboard", [&] { Dispatch([&] { Form().Button_EmptyClipboard.Click(); }); });
    // Without start-with-Windows the save removes the start-up value.
    Step(out, "save", [&] {
      Form().CheckBox_AutoStart.SetChecked(false);
      Dispatch([&] { Form().SpeedButton_SaveSet.Click(); });
    });
    Step(out, "defaults", [&] { Dispatch([&] { Form().SpeedButton1.Click(); }); });
    Step(out, "page file", [&] { Dispatch([&] { Form().SpeedButton_SetVM.Click(); }); });
    Step(out, "tray re-add", [&] {
      os_.RestartShell();
      gui::TMessage m{Form().TaskbarCreatedMessage(), 0, 0};
      Form().DeliverMessage(m);
    });
    Step(out, "hotkey", [&] {
      Form().HideForm();
      // The "Open Main Window" slot's default combination, ALT+SHIFT+M.
      const std::intptr_t lParam =
          (std::intptr_t{'M'} << 16) | (settings::kModAlt | settings::kModShift);
      gui::TMessage m{settings::kWmHotKey, 0, lParam};
      Form().DeliverMessage(m);
      out.shownByHotKey = Form().Visible();
    });
    Step(out, "links", [&] {
      Dispatch([&] { Form().Label32Click(); });
      Dispatch([&] { Form().Label31Click(); });
    });
    out.hotKeyLabels = {Form().Label_hk1.Caption(), Form().Label_hk2.Caption(),
                        Form().Label_hk3.Caption(), Form().Label_hk4.Caption()};
  }

  // A process started since the last refresh must be listed by the next.
  void Verify(Outcome& out) {
    Step(out, kVerifyPhase, [&] {
      os_.AddProcess(Proc(kVerifyPid, "verify.exe", 1 * kMB));
      Dispatch([&] { Form().Button_GetProcessInfo.Click(); });
      out.verifyRan = true;
      out.expectedRows = static_cast<int>(os_.Processes().size());
      const gui::TListView& list = Form().ListView_ProcessReport;
      out.verifyRows = list.Count();
      for (int row = 0; row < list.Count(); ++row) {
        if (list.Cell(row, 0) == "verify.exe") out.verifyListsNewProcess = true;
      }
      os_.RemoveProcess(kVerifyPid);
    });
  }

  std::map<std::string, std::size_t> Counts() const {
    std::map<std::string, std::size_t> counts;
    for (const std::string& name : AllCallNames()) counts[name] = os_.CallsCounted(name);
    return counts;
  }

  SimOs& os_;
  gui::HeadlessBackend backend_;
  std::unique_ptr<Program> program_;
  std::string phase_;
};

// --- what each failure may and must show ------------------------------------------------

std::uint32_t ErrorFor(const std::string& call) {
  if (call == "VirtualAlloc") return platform::kErrorCommitmentLimit;
  if (call == "CreateOleObject" || call == "OleSetProperty" || call == "OleInvoke") {
    return 0x80004005u;  // E_FAIL, "Unspecified error"
  }
  return platform::kErrorAccessDenied;
}

// The text between the parentheses of a log entry: "RegSetValueExA(Quorvel)".
std::string Argument(const std::string& entry) {
  const std::size_t open = entry.find('(');
  const std::size_t close = entry.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return "";
  return entry.substr(open + 1, close - open - 1);
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The kind of resource a call gives back, for the calls that release one:
// when such a call fails, that one resource may stay behind.
std::string ReleasedKind(const std::string& call) {
  if (call == "RegCloseKey") return "key ";
  if (call == "DestroyIcon") return "icon ";
  if (call == "UnregisterHotKey") return "hotkey ";
  if (call == "VirtualFree") return "block ";
  if (call == "CloseClipboard") return "clipboard";
  if (call == "CloseHandle") return "";  // any kind of handle
  return "-";
}

struct Expectation {
  std::set<std::string> mayShow;   // besides what the life shows without failures
  std::set<std::string> mustShow;  // in the phase of the failure
  std::set<std::string> mustNotShow;
  bool mayEndStart = false;        // the program may refuse to start
  bool mustEndStart = false;
  bool laterPhasesAsUsual = true;  // the phases after the failure show what they always show
};

constexpr const char* kStartup = "start-up";

Expectation Expect(const std::string& call, const Outcome& out) {
  Expectation e;
  const std::string& phase = out.failedPhase;
  const std::string arg = Argument(out.failedCall);
  if (call == "GetVersionExA" && phase == kStartup && !out.started) {
    // Only the check at module start-up ends the program; the family
    // detection after it has its own answer for an unknown system.
    e.mustShow = {"Can't get the Windows version"};
    e.mayEndStart = e.mustEndStart = true;
  } else if ((call == "OpenProcessToken" || call == "LookupPrivilegeValueA" ||
              call == "AdjustTokenPrivileges" || call == "NtSetSystemInformation") &&
             phase != kStartup) {
    // The memory-list step of an overall optimization: its report line
    // tells, and the report is a report whatever its last line says.
  } else if (call == "OpenProcessToken") {
    // The first opening reads the privileges and ends silently; the second
    // enables the debug privilege and names the step that failed.
    e.mayShow = {"OpenProcessToken ERROR", kAdminMessage};
    e.mayEndStart = e.mustEndStart = true;
  } else if (call == "LookupPrivilegeValueA") {
    e.mayShow = {kAdminMessage};
    e.mustShow = {"LookupPrivilegeValue ERROR!"};
    e.mayEndStart = true;
  } else if (call == "AdjustTokenPrivileges") {
    e.mustShow = {"AdjustTokenPrivileges ERROR!", kAdminMessage};
    e.mayEndStart = e.mustEndStart = true;
  } else if (call == "RegOpenKeyExA" && phase == kStartup) {
    e.mustShow = {kAdminMessage};
    e.mayEndStart = e.mustEndStart = true;
  } else if (call == "RegQueryValueExA") {
    // A failed size query reads as no value; a failed read of the data
    // names the value and ends the load, and the start-up with it.
    e.mayShow = {"Failed to get data for '" + arg + "'"};
    e.laterPhasesAsUsual = false;
  } else if ((call == "RegSetValueExA" || call == "RegCreateKeyExA") &&
             (phase == kStartup || phase == "save")) {
    if (call == "RegSetValueExA") {
      e.mustShow = {"Failed to set data for '" + arg + "'"};
    } else if (EndsWith(arg, settings::kRunKey) && phase == kStartup) {
      // The start-up value is to be written: the write error names it.
      e.mustShow = {std::string("Failed to set data for '") + settings::kRunValue + "'"};
    }
    // A key that cannot be created with full access makes the save do
    // nothing at all, and the load behave as a restore of the defaults.
  } else if (phase == "page file" && (call == "RegOpenKeyExA" || call == "RegSetValueExA" ||
                                      call == "GetWindowsDirectoryA")) {
    // No key, no write or no drive to name: nothing happens, silently.
    e.mustNotShow = {settings::kPageFileDone};
  } else if (call == "VirtualAlloc") {
    e.mustShow = {kLowMemory};
  } else if (call == "CreateOleObject" || call == "OleSetProperty" || call == "OleInvoke") {
    e.mustShow = {"Unspecified error"};
  }
  // A restore of the defaults that cannot unregister a slot cannot register
  // it again, and its label says so; later phases are unaffected.
  return e;
}

// A report's figures follow the memory the failure let the program free.
std::string Normalized(const std::string& text) {
  return text.rfind(kReportStart, 0) == 0 ? kReportStart : text;
}

std::vector<std::string> BoxesOf(const Outcome& out, const std::string& phase) {
  std::vector<std::string> texts;
  for (const SeenBox& b : out.boxes) {
    if (b.phase == phase) texts.push_back(Normalized(b.text));
  }
  return texts;
}

const std::vector<std::string> kPhases{"start-up", "refreshes", "overall level 1",
                                       "overall level 2", "auto", "clipboard", "save",
                                       "defaults", "page file", "tray re-add", "hotkey",
                                       "links", Life::kVerifyPhase, "exit", "end"};

void CheckFailedLife(const std::string& name, const Outcome& out, const Outcome& clean) {
  ASSERT_FALSE(out.failedPhase.empty()) << "the injected failure never happened";
  SCOPED_TRACE("failed call " + out.failedCall + " in phase '" + out.failedPhase + "'");
  const Expectation e = Expect(name, out);
  EXPECT_EQ(out.escaped, "") << "an exception left the runtime";

  // Boxes: nothing the life does not show anyway, or the failure explains.
  std::set<std::string> known = e.mayShow;
  known.insert(e.mustShow.begin(), e.mustShow.end());
  for (const SeenBox& b : clean.boxes) known.insert(Normalized(b.text));
  for (const SeenBox& b : out.boxes) {
    EXPECT_TRUE(known.count(Normalized(b.text)) != 0)
        << "box in '" << b.phase << "': \"" << b.text << "\"";
    EXPECT_NE(b.text, "An unexpected error ended the operation.");
  }
  for (const std::string& text : e.mustShow) {
    EXPECT_TRUE(out.Showed(out.failedPhase, text)) << "missing box \"" << text << "\"";
  }
  for (const std::string& text : e.mustNotShow) {
    EXPECT_FALSE(out.Showed("", text)) << "shown after all: \"" << text << "\"";
  }

  // Start: refused only where documented.
  if (!out.started) {
    EXPECT_TRUE(e.mayEndStart) << "the program did not start";
    EXPECT_EQ(out.trayIconsLeft, 0u);
  } else {
    EXPECT_FALSE(e.mustEndStart) << "the program started after all";
  }

  // Every phase after the failed one goes as it always goes.
  if (out.started && e.laterPhasesAsUsual) {
    bool after = false;
    for (const std::string& phase : kPhases) {
      if (after) {
        EXPECT_EQ(BoxesOf(out, phase), BoxesOf(clean, phase)) << "in phase " << phase;
      }
      if (phase == out.failedPhase) after = true;
    }
  }

  // Still alive: the closing check's refresh lists the new process, and
  // Exit ends the program.
  if (out.started) {
    EXPECT_TRUE(out.verifyRan);
    EXPECT_EQ(out.verifyRows, out.expectedRows) << "the last refresh listed too few rows";
    EXPECT_TRUE(out.verifyListsNewProcess) << "the last refresh missed the new process";
    EXPECT_TRUE(out.terminated) << "Exit did not end the program";
  }

  // Nothing left open but the one resource whose release was refused.
  const std::string kind = ReleasedKind(name);
  std::size_t refused = 0;
  for (const std::string& h : out.leftOpen) {
    if (kind != "-" && h.rfind(kind, 0) == 0 && refused++ == 0) continue;
    ADD_FAILURE() << h << " left open";
  }
  const bool trayRemovalFailed = name == "Shell_NotifyIconA" && out.failedPhase == "exit";
  EXPECT_EQ(out.trayIconsLeft, trayRemovalFailed ? 1u : 0u) << "tray icons after the end";
}

// The injections for one call: its first, a middle and its last call
// before the closing check, and its last call of all when that comes in
// Exit or at the end; never one inside the closing check, which must see a
// sound system.
std::set<std::size_t> InjectionPoints(std::size_t before, std::size_t throughVerify,
                                      std::size_t total) {
  std::set<std::size_t> at;
  if (before > 0) at.insert({1, (before + 1) / 2, before});
  if (total > throughVerify) at.insert(total);
  return at;
}

TEST(FailureSweep, EveryCallFailingOnceLeavesARunningProgramAndNothingOpen) {
  SimOs cleanOs;
  BuildMachine(cleanOs);
  cleanOs.FailOnce("(none)", 1, 0);  // counts the calls and fails none
  Life cleanLife(cleanOs);
  const Outcome clean = cleanLife.Live();
  ASSERT_TRUE(clean.started);
  ASSERT_EQ(clean.escaped, "");
  ASSERT_TRUE(clean.terminated);
  ASSERT_EQ(clean.verifyRows, clean.expectedRows);
  EXPECT_TRUE(clean.shownByHotKey);
  EXPECT_TRUE(clean.leftOpen.empty()) << clean.leftOpen.front();
  // The life must reach what it means to test.
  for (const char* text : {kClipboardCleaned, settings::kPageFileDone}) {
    EXPECT_TRUE(clean.Showed("", text)) << text;
  }
  EXPECT_EQ(clean.BoxesIn("overall level 1"), 2u);
  EXPECT_EQ(clean.BoxesIn("overall level 2"), 2u);
  const bool listsEmptied = std::any_of(clean.boxes.begin(), clean.boxes.end(), [](const SeenBox& b) {
    return b.phase == "overall level 1" && EndsWith(b.text, "\r\nStandby list: emptied");
  });
  EXPECT_TRUE(listsEmptied) << "the overall optimization empties the memory lists";

  std::size_t injected = 0;
  std::vector<std::string> uncalled;
  for (const std::string& name : Life::AllCallNames()) {
    const std::size_t before = cleanLife.countsBeforeVerify.at(name);
    const std::size_t throughVerify = cleanLife.countsAfterVerify.at(name);
    const std::size_t total = cleanOs.CallsCounted(name);
    if (total == 0) uncalled.push_back(name);
    for (std::size_t n : InjectionPoints(before, throughVerify, total)) {
      SCOPED_TRACE(name + " failing at call " + std::to_string(n) + " of " +
                   std::to_string(total));
      SimOs os;
      BuildMachine(os);
      os.FailOnce(name, n, ErrorFor(name));
      const Outcome out = Life(os).Live();
      ++injected;
      CheckFailedLife(name, out, clean);

      // The machine as the failure left it takes a fresh start.
      const std::vector<std::string> leftBefore = os.OpenHandles();
      const Outcome again = Life(os).Live(false);
      EXPECT_TRUE(again.started) << "no fresh start after the failing life";
      EXPECT_EQ(again.escaped, "");
      EXPECT_EQ(again.verifyRows, again.expectedRows);
      EXPECT_TRUE(again.terminated);
      for (const std::string& h : again.leftOpen) {
        EXPECT_TRUE(std::count(leftBefore.begin(), leftBefore.end(), h) != 0)
            << "the fresh start left " << h << " open";
      }
      for (const SeenBox& b : again.boxes) ADD_FAILURE() << "fresh start showed \"" << b.text << "\"";
    }
  }
  EXPECT_TRUE(uncalled.empty()) << "never called in the life: " << uncalled.front();
  std::printf("failure sweep: %zu injected failures over %zu calls\n", injected,
              Life::AllCallNames().size());
  EXPECT_GT(injected, 2 * Life::AllCallNames().size());
}

}  // namespace
}  // namespace app
