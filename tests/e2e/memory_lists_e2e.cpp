// The memory-list option and the command line, on the real program: the
// option survives a restart and adds the report's fourth line; the command
// runs beside a running instance without a window, and a misused switch
// shows its usage.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "harness.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

namespace ids = app::ids;

class MemoryListsE2e : public RunningQuorvel {
 protected:
  LRESULT Checked() { return SendMessageA(Control(ids::kCheckBoxMemoryLists), BM_GETCHECK, 0, 0); }
  void Save() {
    PostMessageA(Control(ids::kSpeedButtonSaveSet), BM_CLICK, 0, 0);
    HWND box = WaitForBox(quorvel_.Id(), "Confirm", Timeout(20000));
    ASSERT_NE(box, nullptr) << "no save question";
    ASSERT_TRUE(PressBoxButton(box, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, Timeout(20000)));
  }
  bool StoredOption(std::vector<unsigned char>& data, DWORD& type) {
    data.clear();
    return GetMachineValue(kSettingsKeyPath, "QuorvelMemoryLists", &type, &data);
  }
};

TEST_F(MemoryListsE2e, TickedAndSavedTheOptionSurvivesARestartAndAddsTheFourthLine) {
  HWND box = Control(ids::kCheckBoxMemoryLists);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "Also empty the standby list (Windows Vista and later)");
  ASSERT_TRUE(IsWindowEnabled(box)) << "the NT run reports a version with the memory lists";
  EXPECT_EQ(Checked(), BST_UNCHECKED) << "off by default";
  SendMessageA(box, BM_CLICK, 0, 0);
  ASSERT_EQ(Checked(), BST_CHECKED);
  Save();
  std::vector<unsigned char> data;
  DWORD type = 0;
  ASSERT_TRUE(WaitUntil([&] { return StoredOption(data, type) && !data.empty() && data[0] == 1; },
                        Timeout(20000)));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, (std::vector<unsigned char>{1, 0, 0, 0}));

  DWORD code = 1234;
  ASSERT_TRUE(CloseUntilExit(quorvel_, main_, Timeout(30000), &code));
  ASSERT_TRUE(quorvel_.Start(QuorvelExePath()));
  main_ = WaitForProcessWindow(quorvel_.Id(), "TForm_Zentor", "Quorvel", Timeout(60000));
  ASSERT_NE(main_, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(FindControl(main_, kUsagePageId)) != FALSE; },
                        Timeout(30000)));
  EXPECT_EQ(Checked(), BST_CHECKED) << "read back at the start";
  ASSERT_TRUE(StoredOption(data, type));
  EXPECT_EQ(data, (std::vector<unsigned char>{1, 0, 0, 0})) << "and written again unchanged";

  PostMessageA(Control(ids::kSpeedButtonStartFull), BM_CLICK, 0, 0);
  HWND confirm = WaitForBox(quorvel_.Id(), "Confirm", Timeout(20000));
  ASSERT_NE(confirm, nullptr);
  ASSERT_TRUE(PressBoxButton(confirm, IDYES));
  HWND report = WaitForBox(quorvel_.Id(), "Quorvel", Timeout(240000));
  ASSERT_NE(report, nullptr) << "no report";
  const std::string text = BoxText(report);
  std::printf("[ NOTE     ] the report reads:\n%s\n", text.c_str());
  EXPECT_EQ(text.rfind("Available physical memory before optimizing:", 0), 0u) << text;
  const std::size_t fourth = text.find("\r\nStandby list: ");
  ASSERT_NE(fourth, std::string::npos) << text;
  const std::string line = text.substr(fourth + 2);
  EXPECT_TRUE(line == "Standby list: emptied" ||
              line == "Standby list: not emptied (administrator rights needed)" ||
              (line.rfind("Standby list: not emptied (", 0) == 0 && line.back() == ')' &&
               line.size() > std::string("Standby list: not emptied ()").size()))
      << line;
  EXPECT_EQ(text.find("Released physical memory after optimizing:"),
            text.rfind("\r\n", fourth - 1) + 2)
      << "the fourth line follows the three: " << text;
  ASSERT_TRUE(PressBoxButton(report, IDOK));
}

// Visible top-level windows of a process, as long as it runs.
bool ShowsAWindowUntilItEnds(Process& p, DWORD timeoutMs, DWORD* code) {
  bool shown = false;
  const DWORD start = GetTickCount();
  while (p.Running() && GetTickCount() - start < timeoutMs) {
    if (FindProcessWindow(p.Id(), nullptr, nullptr, true) != nullptr) shown = true;
    Sleep(20);
  }
  EXPECT_TRUE(p.WaitExit(1000, code)) << "the command did not end";
  return shown;
}

TEST_F(MemoryListsE2e, CommandBesideARunningInstanceShowsNoWindowAndExitsWithZero) {
  std::vector<unsigned char> before;
  DWORD type = 0;
  StoredOption(before, type);
  Process command;
  ASSERT_TRUE(command.Start(QuorvelExePath(), "/optimize:2"));
  DWORD code = 1234;
  EXPECT_FALSE(ShowsAWindowUntilItEnds(command, Timeout(240000), &code)) << "a window came up";
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(quorvel_.Running()) << "the running instance goes on";
  EXPECT_TRUE(IsWindowVisible(main_));
  std::vector<unsigned char> after;
  StoredOption(after, type);
  EXPECT_EQ(after, before) << "the command writes no setting";
}

TEST_F(MemoryListsE2e, AMisusedSwitchShowsItsUsageAndExitsWithTwo) {
  Process command;
  ASSERT_TRUE(command.Start(QuorvelExePath(), "/optimize:9"));
  HWND box = WaitForBox(command.Id(), "Quorvel", Timeout(30000));
  ASSERT_NE(box, nullptr) << "no usage box";
  EXPECT_EQ(BoxText(box), "Use /optimize or /optimize:LEVEL, LEVEL from 1 to 5.");
  EXPECT_EQ(FindProcessWindow(command.Id(), "TForm_Zentor", nullptr, false), nullptr)
      << "no main window";
  ASSERT_TRUE(PressBoxButton(box, IDOK));
  DWORD code = 1234;
  ASSERT_TRUE(command.WaitExit(Timeout(20000), &code));
  EXPECT_EQ(code, 2u);
  EXPECT_TRUE(quorvel_.Running());
}

}  // namespace
}  // namespace e2e
