// The settings store, the hotkeys and the page-file command of the real
// program, seen through the registry and the controls.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/control_ids.h"
#include "harness.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

namespace ids = app::ids;

struct Field {
  int offset;
  int size;
  const char* name;
  std::int32_t value;
};

// The record the program's defaults give, field by field.
const Field kDefaults[] = {
    {0, 1, "AutoEmptyClipboard", 0}, {4, 4, "AutoTime", 1},
    {8, 1, "bStopAuto", 1},          {12, 4, "StopAutoPercent", 70},
    {16, 1, "AfterMemTrim", 0},      {17, 1, "AutoProcessList", 1},
    {20, 4, "ProcessListTime", 2},   {24, 1, "AutoOptimizeAtStart", 0},
    {25, 1, "CloseMinimize", 1},     {26, 1, "MinimizeStart", 0},
    {28, 1, "HotKeys[0].Enabled", 1}, {32, 4, "HotKeys[0].Id", 1331},
    {36, 4, "HotKeys[0].Modifiers", 5}, {40, 4, "HotKeys[0].Key", 'A'},
    {44, 1, "HotKeys[1].Enabled", 1}, {48, 4, "HotKeys[1].Id", 1332},
    {52, 4, "HotKeys[1].Modifiers", 5}, {56, 4, "HotKeys[1].Key", 'T'},
    {60, 1, "HotKeys[2].Enabled", 1}, {64, 4, "HotKeys[2].Id", 1333},
    {68, 4, "HotKeys[2].Modifiers", 5}, {72, 4, "HotKeys[2].Key", 'M'},
    {76, 1, "HotKeys[3].Enabled", 1}, {80, 4, "HotKeys[3].Id", 1334},
    {84, 4, "HotKeys[3].Modifiers", 5}, {88, 4, "HotKeys[3].Key", 'E'},
};

std::int32_t FieldOf(const std::vector<unsigned char>& data, const Field& f) {
  std::uint32_t v = 0;
  for (int i = 0; i < f.size; ++i) v |= static_cast<std::uint32_t>(data[f.offset + i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

std::vector<unsigned char> DefaultRecord() {
  std::vector<unsigned char> data(92, 0);
  for (const Field& f : kDefaults) {
    for (int i = 0; i < f.size; ++i) {
      data[f.offset + i] = static_cast<unsigned char>(static_cast<std::uint32_t>(f.value) >> (8 * i));
    }
  }
  return data;
}

void Put(std::vector<unsigned char>& data, int offset, std::int32_t value) {
  for (int i = 0; i < 4; ++i) {
    data[offset + i] = static_cast<unsigned char>(static_cast<std::uint32_t>(value) >> (8 * i));
  }
}

class SettingsE2e : public RunningQuorvel {
 protected:
  std::string Text(int id) { return WindowText(Control(id)); }
  LRESULT Checked(int id) { return SendMessageA(Control(id), BM_GETCHECK, 0, 0); }
  std::vector<unsigned char> Record() {
    DWORD type = 0;
    std::vector<unsigned char> data;
    EXPECT_TRUE(GetMachineValue(kSettingsKeyPath, "QuorvelSetInfo", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    return data;
  }
};

TEST_F(SettingsE2e, FirstStartWritesTheDefaultRecordAndNoStartupValue) {
  const std::vector<unsigned char> data = Record();
  ASSERT_EQ(data.size(), 92u);
  for (const Field& f : kDefaults) EXPECT_EQ(FieldOf(data, f), f.value) << f.name;
  EXPECT_EQ(data, DefaultRecord()) << "padding is written as zeros";
  DWORD type = 0;
  std::vector<unsigned char> run;
  EXPECT_FALSE(GetMachineValue(kRunKeyPath, "Quorvel", &type, &run));
  EXPECT_EQ(Checked(ids::kCheckBoxAutoStart), BST_UNCHECKED);
}

class StoredRecordE2e : public SettingsE2e {
 protected:
  void BeforeStart() override {
    std::vector<unsigned char> r = DefaultRecord();
    Put(r, 4, 17);     // AutoTime
    r[8] = 0;          // stop condition off
    Put(r, 12, 45);
    r[16] = 1;         // tweak before auto
    Put(r, 20, 9);     // refresh every 9 s
    r[25] = 0;         // close ends the program
    r[44] = 0;         // slot 1 off
    Put(r, 68, 2);     // slot 2: CTRL+F1
    Put(r, 72, 112);
    ASSERT_TRUE(SetMachineValue(kSettingsKeyPath, "QuorvelSetInfo", REG_BINARY, r));
  }
};

TEST_F(StoredRecordE2e, StoredRecordShowsInTheControls) {
  EXPECT_EQ(Text(ids::kSpinEditTime), "17");
  EXPECT_EQ(Text(ids::kSpinEditBstopauto), "45");
  EXPECT_FALSE(IsWindowEnabled(Control(ids::kSpinEditBstopauto)));
  EXPECT_EQ(Text(ids::kSpinEditProcessListTime), "9");
  EXPECT_EQ(Checked(ids::kCheckBoxBstopauto), BST_UNCHECKED);
  EXPECT_EQ(Checked(ids::kCheckBoxAfterMemTrim), BST_CHECKED);
  EXPECT_EQ(Checked(ids::kCheckBoxAutoProcessList), BST_CHECKED);
  EXPECT_EQ(Checked(ids::kCheckBoxCloseMinimize), BST_UNCHECKED);
  EXPECT_EQ(Checked(ids::kCheckBoxAutoOptimizeReg), BST_CHECKED);
  EXPECT_EQ(Checked(ids::kCheckBoxTweakMemoryReg), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(Control(ids::kEditTweakMemoryKey)));
  EXPECT_EQ(Text(ids::kEditAutoOptimizeKey), "ALT+SHIFT+'A'");
  EXPECT_EQ(Text(ids::kEditTweakMemoryKey), "ALT+SHIFT+'T'");
  EXPECT_EQ(Text(ids::kEditOpenMainWindowKey), "CTRL+'p'");
  EXPECT_EQ(Text(ids::kLabelHk1), "ALT+SHIFT+'A'");
  EXPECT_EQ(Text(ids::kLabelHk2), "not register");
  EXPECT_EQ(Text(ids::kLabelHk3), "CTRL+'p'");
  EXPECT_EQ(Text(ids::kLabelHk4), "ALT+SHIFT+'E'");
}

class TextValueE2e : public ::testing::Test {
 protected:
  void TearDown() override { ForgetSettings(); }
};

TEST_F(TextValueE2e, TextValueShowsInvalidDataTypeAndTheWindowStaysUp) {
  ASSERT_TRUE(CreateSettingsKey());
  ForgetSettings();
  const std::string text = "not a record";
  ASSERT_TRUE(SetMachineValue(kSettingsKeyPath, "QuorvelSetInfo", REG_SZ,
                              std::vector<unsigned char>(text.begin(), text.end() + 1)));
  Process quorvel;
  ASSERT_TRUE(quorvel.Start(QuorvelExePath()));
  HWND box = WaitForBox(quorvel.Id(), "Quorvel", Timeout(60000));
  ASSERT_NE(box, nullptr) << "no error box appeared";
  EXPECT_EQ(BoxText(box), "Invalid data type for 'QuorvelSetInfo'");
  ASSERT_TRUE(PressBoxButton(box, IDOK));
  HWND main = WaitForProcessWindow(quorvel.Id(), "TForm_Zentor", "Quorvel", Timeout(30000));
  ASSERT_NE(main, nullptr) << "the window must come up after the error";
  EXPECT_TRUE(quorvel.Running());
  DWORD type = 0;
  std::vector<unsigned char> data;
  ASSERT_TRUE(GetMachineValue(kSettingsKeyPath, "QuorvelSetInfo", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << "nothing was saved over it";
  DWORD code = 1234;
  EXPECT_TRUE(CloseUntilExit(quorvel, main, Timeout(30000), &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(SettingsE2e, SaveWithYesWritesThePageAndTheStartupValue) {
  SendMessageA(Control(ids::kCheckBoxAutoStart), BM_CLICK, 0, 0);
  SendMessageA(Control(ids::kCheckBoxMinimizeStart), BM_CLICK, 0, 0);
  SendMessageA(Control(ids::kSpinEditTime), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("23"));
  ASSERT_EQ(Checked(ids::kCheckBoxAutoStart), BST_CHECKED);
  PostMessageA(Control(ids::kSpeedButtonSaveSet), BM_CLICK, 0, 0);
  HWND box = WaitForBox(quorvel_.Id(), "Confirm", Timeout(20000));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(BoxText(box), "Are you sure to save the settings?");
  ASSERT_TRUE(PressBoxButton(box, IDYES));

  DWORD type = 0;
  std::vector<unsigned char> run;
  ASSERT_TRUE(WaitUntil([&] { return GetMachineValue(kRunKeyPath, "Quorvel", &type, &run); },
                        Timeout(20000)));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  const std::string exe = QuorvelExePath();
  ASSERT_FALSE(run.empty());
  EXPECT_EQ(run.back(), 0) << "terminated by one NUL";
  const std::string stored(run.begin(), run.end() - 1);
  const std::string expected = exe.find(' ') == std::string::npos ? exe : "\"" + exe + "\"";
  EXPECT_EQ(lstrcmpiA(stored.c_str(), expected.c_str()), 0) << stored << " vs " << expected;

  const std::vector<unsigned char> data = Record();
  ASSERT_EQ(data.size(), 92u);
  EXPECT_EQ(FieldOf(data, {4, 4, "AutoTime", 0}), 23);
  EXPECT_EQ(data[26], 1) << "MinimizeStart";
  EXPECT_EQ(data[25], 1) << "CloseMinimize as it was";
}

TEST_F(SettingsE2e, KeysPressedInAnEditRecordTheCombinationAndSaveRegistersIt) {
  SendMessageA(Control(ids::kSpeedButtonSet), BM_CLICK, 0, 0);
  HWND edit = Control(ids::kEditAutoOptimizeKey);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(edit) != FALSE; }, Timeout(10000)));
  // Real input goes to what is under the pointer when the program takes it
  // from its queue: a click sent while the program is still working through
  // what its start and the page change queued (the first paints) can be
  // lost, and the keys then go to the form. Wait until it is waiting for input.
  WaitForInputIdle(quorvel_.ProcessHandle(), Timeout(10000));
  // A real click puts the keyboard focus into the edit.
  RECT r;
  GetWindowRect(edit, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));

  // Alt arrives as a system key: the combination still counts.
  PressKeys({VK_MENU, VK_SHIFT}, 'Q');
  EXPECT_TRUE(WaitUntil([&] { return Text(ids::kEditAutoOptimizeKey) == "ALT+SHIFT+'Q'"; },
                        Timeout(10000)))
      << Text(ids::kEditAutoOptimizeKey);
  PressKeys({VK_CONTROL}, VK_F1);
  EXPECT_TRUE(WaitUntil([&] { return Text(ids::kEditAutoOptimizeKey) == "CTRL+'p'"; },
                        Timeout(10000)))
      << Text(ids::kEditAutoOptimizeKey);
  PressKeys({}, 'X');  // no modifier: shown while held, then the pending one again
  EXPECT_TRUE(WaitUntil([&] { return Text(ids::kEditAutoOptimizeKey) == "CTRL+'p'"; },
                        Timeout(10000)));
  EXPECT_EQ(Text(ids::kLabelHk1), "ALT+SHIFT+'A'") << "nothing in force before a save";

  PostMessageA(Control(ids::kSpeedButtonSaveSet), BM_CLICK, 0, 0);
  HWND box = WaitForBox(quorvel_.Id(), "Confirm", Timeout(20000));
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(PressBoxButton(box, IDYES));
  EXPECT_TRUE(WaitUntil([&] { return Text(ids::kLabelHk1) == "CTRL+'p'"; }, Timeout(10000)));
  const std::vector<unsigned char> data = Record();
  ASSERT_EQ(data.size(), 92u);
  EXPECT_EQ(FieldOf(data, {36, 4, "HotKeys[0].Modifiers", 0}), MOD_CONTROL);
  EXPECT_EQ(FieldOf(data, {40, 4, "HotKeys[0].Key", 0}), VK_F1);
}

class HeldHotKeyE2e : public SettingsE2e {
 protected:
  void BeforeStart() override {
    // This test program takes ALT+SHIFT+T before Quorvel starts.
    ASSERT_TRUE(RegisterHotKey(nullptr, 77, MOD_ALT | MOD_SHIFT, 'T'));
  }
  void TearDown() override {
    SettingsE2e::TearDown();
    UnregisterHotKey(nullptr, 77);
  }
};

TEST_F(HeldHotKeyE2e, CombinationHeldByAnotherProgramShowsNotRegister) {
  EXPECT_EQ(Text(ids::kLabelHk2), "not register");
  EXPECT_EQ(Text(ids::kLabelHk1), "ALT+SHIFT+'A'");
  EXPECT_EQ(Text(ids::kEditTweakMemoryKey), "ALT+SHIFT+'T'") << "the combination is kept";
  EXPECT_EQ(Checked(ids::kCheckBoxTweakMemoryReg), BST_CHECKED);
}

TEST_F(SettingsE2e, RealKeyPressesOpenAndCloseTheWindow) {
  // Close to the tray (the default), then ALT+SHIFT+M opens the window and
  // ALT+SHIFT+E closes it to the tray again.
  PostMessageA(main_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }, Timeout(10000)));
  ASSERT_TRUE(quorvel_.Running());
  PressKeys({VK_MENU, VK_SHIFT}, 'M');
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }, Timeout(10000)))
      << "ALT+SHIFT+M did not show the window";
  PressKeys({VK_MENU, VK_SHIFT}, 'E');
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }, Timeout(10000)))
      << "ALT+SHIFT+E did not close the window";
  EXPECT_TRUE(quorvel_.Running()) << "closing to the tray keeps the program running";
}

class PageFileE2e : public SettingsE2e {
 protected:
  static constexpr char kMemoryKey[] =
      "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
  void BeforeStart() override {
    hadValue_ = GetMachineValue(kMemoryKey, "PagingFiles", &oldType_, &oldValue_);
  }
  void TearDown() override {
    SettingsE2e::TearDown();
    if (hadValue_) {
      SetMachineValue(kMemoryKey, "PagingFiles", oldType_, oldValue_);
    } else {
      DeleteMachineValue(kMemoryKey, "PagingFiles");
    }
  }
  bool hadValue_ = false;
  DWORD oldType_ = 0;
  std::vector<unsigned char> oldValue_;
};

TEST_F(PageFileE2e, CommandWritesOneSystemManagedPageFileAndSaysSo) {
  PostMessageA(Control(ids::kSpeedButtonSetVM), BM_CLICK, 0, 0);
  HWND ask = WaitForBox(quorvel_.Id(), "Confirm", Timeout(20000));
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(BoxText(ask),
            "Do you wish to let system automatically manage the size of virtual memory?");
  ASSERT_TRUE(PressBoxButton(ask, IDOK));
  HWND done = WaitForBox(quorvel_.Id(), "Information", Timeout(20000));
  ASSERT_NE(done, nullptr) << "no notice";
  EXPECT_EQ(BoxText(done),
            "Virtual memory configure successfully. Please restart your PC to enable the "
            "changed configuration.");
  ASSERT_TRUE(PressBoxButton(done, IDOK));

  DWORD type = 0;
  std::vector<unsigned char> data;
  ASSERT_TRUE(GetMachineValue(kMemoryKey, "PagingFiles", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string expected = std::string(windows, 2) + "\\pagefile.sys 0 0";
  std::vector<unsigned char> bytes(expected.begin(), expected.end());
  bytes.push_back(0);
  bytes.push_back(0);
  EXPECT_EQ(data, bytes);
  EXPECT_EQ(data.size(), 21u);
}

}  // namespace
}  // namespace e2e
