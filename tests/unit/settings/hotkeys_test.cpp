#include "settings/hotkeys.h"

#include <gtest/gtest.h>

#include "app/frmmain.h"
#include "app/program_fixture.h"

namespace settings {
namespace {

THotKeyRec Rec(std::int32_t modifiers, std::int32_t key) {
  THotKeyRec r;
  r.Id = kFirstHotKeyId;
  r.Modifiers = modifiers;
  r.Key = key;
  return r;
}

TEST(HotKeyText, ModifiersInFixedOrderThenTheKeysCharacter) {
  EXPECT_EQ(HotKeyToText(Rec(kModAlt | kModShift, 'A')), "ALT+SHIFT+'A'");
  EXPECT_EQ(HotKeyToText(Rec(0, 'A')), "+'A'");
  EXPECT_EQ(HotKeyToText(Rec(kModWin | kModShift | kModAlt | kModControl, 'Z')),
            "CTRL+ALT+SHIFT+WIN+'Z'");
  EXPECT_EQ(HotKeyToText(Rec(kModControl, 112)), "CTRL+'p'") << "F1 is code 112";
  EXPECT_EQ(HotKeyToText(Rec(kModControl | kModAlt, 46)), "CTRL+ALT+'.'") << "Delete is 46";
  EXPECT_EQ(HotKeyToText(Rec(kModControl, 17)), std::string("CTRL+'\x11'")) << "Ctrl alone";
  EXPECT_EQ(HotKeyToText(Rec(kModShift, 'A' + 128)), "SHIFT+'A'") << "only the low seven bits";
}

TEST(HotKeyMatch, EverySlotWithTheCombinationMatchesInSlotOrder) {
  HotKeyTable table = DefaultSetInfo().HotKeys;
  table[3].Modifiers = table[1].Modifiers;
  table[3].Key = table[1].Key;
  table[1].Enabled = false;  // not consulted
  const std::intptr_t altShiftT = ('T' << 16) | (kModAlt | kModShift);
  EXPECT_EQ(MatchingHotKeySlots(table, altShiftT), (std::vector<int>{1, 3}));
  EXPECT_TRUE(MatchingHotKeySlots(table, ('T' << 16) | kModAlt).empty());
  EXPECT_TRUE(MatchingHotKeySlots(table, 0).empty());
  EXPECT_TRUE(MatchingHotKeySlots(table, -1).empty());
}

}  // namespace
}  // namespace settings

namespace app {
namespace {

using settings::kModAlt;
using settings::kModControl;
using settings::kModShift;

class HotKeys : public testing::ProgramTest {
 protected:
  void Start() {
    StartProgram();
    ASSERT_TRUE(started);
  }
  std::uintptr_t Window() { return backend.NativeHandle(Form()); }
  gui::TEdit& Edit(int slot) {
    gui::TEdit* edits[] = {&Form().Edit_AutoOptimizeKey, &Form().Edit_TweakMemoryKey,
                           &Form().Edit_OpenMainWindowKey, &Form().Edit_ProcessExitKey};
    return *edits[slot];
  }
  gui::TLabel& Label(int slot) {
    gui::TLabel* labels[] = {&Form().Label_hk1, &Form().Label_hk2, &Form().Label_hk3,
                             &Form().Label_hk4};
    return *labels[slot];
  }
  void Down(int slot, std::uint16_t key, gui::TShiftState shift) { Edit(slot).KeyDown(key, shift); }
  void Up(int slot, std::uint16_t key, gui::TShiftState shift) { Edit(slot).KeyUp(key, shift); }
  void Hotkey(std::int32_t modifiers, std::int32_t key, std::uintptr_t id = 1331) {
    gui::TMessage m{settings::kWmHotKey, id, (static_cast<std::intptr_t>(key) << 16) | modifiers};
    Form().DeliverMessage(m);
  }
  std::vector<std::string> Registered() {
    std::vector<std::string> r;
    for (const auto& h : os.HotKeys()) {
      EXPECT_EQ(h.window, Window());
      r.push_back(std::to_string(h.id) + ":" + std::to_string(h.modifiers) + "+" +
                  std::to_string(h.key));
    }
    return r;
  }
};

TEST_F(HotKeys, DefaultsRegisterFourCombinationsAndShowThem) {
  Start();
  EXPECT_EQ(Registered(), (std::vector<std::string>{"1331:5+65", "1332:5+84", "1333:5+77",
                                                    "1334:5+69"}));
  const char* texts[] = {"ALT+SHIFT+'A'", "ALT+SHIFT+'T'", "ALT+SHIFT+'M'", "ALT+SHIFT+'E'"};
  for (int slot = 0; slot < 4; ++slot) {
    EXPECT_EQ(Label(slot).Caption(), texts[slot]);
    EXPECT_EQ(Edit(slot).Text(), texts[slot]);
    EXPECT_TRUE(Edit(slot).Enabled());
  }
  EXPECT_EQ(os.CountCalls("UnregisterHotKey"), 4u)
      << "the first load unregisters nothing; the start-up save all four";
}

TEST_F(HotKeys, SwitchedOffSlotShowsNotRegisterAndKeepsItsCombination) {
  Start();
  Form().CheckBox_TweakMemoryReg.Click();
  EXPECT_FALSE(Form().Edit_TweakMemoryKey.Enabled());
  EXPECT_EQ(os.HotKeys().size(), 4u) << "a tick changes nothing in force";
  Form().SaveSettings();
  EXPECT_EQ(Label(1).Caption(), "not register");
  EXPECT_EQ(Edit(1).Text(), "ALT+SHIFT+'T'");
  EXPECT_EQ(Registered(), (std::vector<std::string>{"1331:5+65", "1333:5+77", "1334:5+69"}));
  const auto stored = os.GetValue("HKLM\\Software\\Quorvel", "QuorvelSetInfo");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->data[44], 0) << "slot 1 saved off";
  EXPECT_EQ(stored->data[56], 'T') << "with its key";
}

TEST_F(HotKeys, RecorderShowsWhatIsHeldAndRecordsOnlyWithAModifier) {
  Start();
  // A alone: shown while held, nothing recorded, restored on release.
  Down(0, 'A', 0);
  EXPECT_EQ(Edit(0).Text(), "+'A'");
  Up(0, 'A', 0);
  EXPECT_EQ(Edit(0).Text(), "ALT+SHIFT+'A'");
  // Ctrl alone: its own code shows, released restores.
  Down(0, 17, gui::shift::kCtrl);
  EXPECT_EQ(Edit(0).Text(), std::string("CTRL+'\x11'"));
  Up(0, 17, 0);
  EXPECT_EQ(Edit(0).Text(), "ALT+SHIFT+'A'");
  // Ctrl+F1 records CTRL with 112; the text stays while F1 is released
  // with Ctrl still held, and reads the pending combination after.
  Down(0, 17, gui::shift::kCtrl);
  Down(0, 112, gui::shift::kCtrl);
  EXPECT_EQ(Edit(0).Text(), "CTRL+'p'");
  Up(0, 112, gui::shift::kCtrl);
  EXPECT_EQ(Edit(0).Text(), "CTRL+'p'");
  Up(0, 17, 0);
  EXPECT_EQ(Edit(0).Text(), "CTRL+'p'");
  EXPECT_EQ(Form().PendingHotKeys[0].Modifiers, kModControl);
  EXPECT_EQ(Form().PendingHotKeys[0].Key, 112);
  EXPECT_EQ(Form().PendingHotKeys[0].Id, 1331);
  EXPECT_EQ(Form().CurrentHotKeys[0].Key, 'A') << "nothing in force changes before a save";
  EXPECT_EQ(Label(0).Caption(), "ALT+SHIFT+'A'");

  Form().SaveSettings();
  EXPECT_EQ(Registered()[0], "1331:2+112");
  EXPECT_EQ(Label(0).Caption(), "CTRL+'p'");
  Hotkey(kModControl, 112);
  EXPECT_TRUE(Form().Timer_Auto.Enabled()) << "the recorded combination runs slot 0";
}

TEST_F(HotKeys, RecorderSwallowsTheKeysItSees) {
  Start();
  std::uint16_t key = 'Q';
  Edit(2).KeyDown(key, gui::shift::kAlt | gui::shift::kShift);
  EXPECT_EQ(key, 0) << "a swallowed key types nothing into the edit";
  EXPECT_EQ(Edit(2).Text(), "ALT+SHIFT+'Q'");
  EXPECT_EQ(Form().PendingHotKeys[2].Id, 1333);
  EXPECT_TRUE(Edit(2).ReadOnly());
}

TEST_F(HotKeys, RecordedButUnsavedCombinationIsLostByRestoringDefaults) {
  Start();
  Down(1, 'X', gui::shift::kCtrl);
  Up(1, 'X', 0);
  EXPECT_EQ(Edit(1).Text(), "CTRL+'X'");
  backend.ScriptAnswer(gui::mrYes);
  Form().SpeedButton1.Click();
  EXPECT_EQ(Edit(1).Text(), "ALT+SHIFT+'T'");
  EXPECT_EQ(Form().PendingHotKeys[1].Key, 'T');
}

TEST_F(HotKeys, TwoSlotsWithOneCombinationRunBothLowerFirst) {
  settings::TSetInfo stored = settings::DefaultSetInfo();
  stored.HotKeys[3].Modifiers = stored.HotKeys[2].Modifiers;  // both ALT+SHIFT+M
  stored.HotKeys[3].Key = stored.HotKeys[2].Key;
  stored.CloseMinimize = true;
  const auto bytes = settings::EncodeSetInfo(stored);
  os.SetValue("HKLM\\Software\\Quorvel", "QuorvelSetInfo", platform::kRegBinary,
              {bytes.begin(), bytes.end()});
  Start();
  EXPECT_EQ(Label(2).Caption(), "ALT+SHIFT+'M'");
  EXPECT_EQ(Label(3).Caption(), "not register") << "the combination is taken by slot 2";
  EXPECT_TRUE(Form().CheckBox_ProcessExitReg.Checked()) << "it still counts as on";

  // Hidden: slot 2 shows the window, then slot 3 closes it to the tray.
  Form().HideForm();
  std::vector<std::string> seen;
  Form().OnShow = [&] { seen.push_back("show"); };
  Form().OnCloseQuery = [&](bool& canClose) {
    seen.push_back("close");
    Form().FormCloseQuery(canClose);
  };
  Hotkey(kModAlt | kModShift, 'M', 1334);  // the id is not consulted
  EXPECT_EQ(seen, (std::vector<std::string>{"show", "close"}));
  EXPECT_FALSE(Form().Visible());
  EXPECT_FALSE(program->App().Terminated());
}

TEST_F(HotKeys, EachSlotRunsItsCommand) {
  Start();
  Hotkey(kModAlt | kModShift, 'A');
  EXPECT_TRUE(Form().Timer_Auto.Enabled());
  Hotkey(kModAlt | kModShift, 'A');
  EXPECT_FALSE(Form().Timer_Auto.Enabled());

  backend.ScriptAnswer(gui::mrCancel);
  Hotkey(kModAlt | kModShift, 'T');
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].caption, "Confirm") << "the overall optimization asks first";

  program->App().Minimize();
  EXPECT_TRUE(Form().Minimized);
  Hotkey(kModAlt | kModShift, 'M');
  EXPECT_FALSE(Form().Minimized) << "open restores a minimized application";
  EXPECT_TRUE(Form().Visible());

  Form().CheckBox_CloseMinimize.SetChecked(false);
  Hotkey(kModAlt | kModShift, 'E');
  EXPECT_TRUE(program->App().Terminated());
  EXPECT_TRUE(os.TrayIcons().empty()) << "the way out removes the tray icon";
}

TEST_F(HotKeys, UnknownOrGarbledHotkeyMessagesDoNothing) {
  Start();
  for (std::intptr_t lParam : {std::intptr_t{0}, std::intptr_t{-1}, std::intptr_t{0x7FFFFFFF},
                               std::intptr_t{('A' << 16) | 0xFFFF}}) {
    gui::TMessage m{settings::kWmHotKey, 0, lParam};
    Form().DeliverMessage(m);
  }
  EXPECT_FALSE(Form().Timer_Auto.Enabled());
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_TRUE(Form().Visible());
}

TEST_F(HotKeys, CombinationHeldByAnotherProgramLeavesNotRegister) {
  os.HoldHotKeyElsewhere(kModAlt | kModShift, 'T');
  Start();
  EXPECT_EQ(Label(1).Caption(), "not register");
  EXPECT_EQ(Label(0).Caption(), "ALT+SHIFT+'A'");
  EXPECT_EQ(os.HotKeys().size(), 3u);
  // It is tried again at every save, and still fails without a word.
  Form().SaveSettings();
  EXPECT_EQ(Label(1).Caption(), "not register");
  EXPECT_TRUE(backend.Boxes().empty());
}

TEST_F(HotKeys, EndingTheProgramLeavesNoHotkeyRegistered) {
  Start();
  EXPECT_EQ(os.HotKeys().size(), 4u);
  EndProgram();
  EXPECT_TRUE(os.HotKeys().empty());
}

}  // namespace
}  // namespace app
