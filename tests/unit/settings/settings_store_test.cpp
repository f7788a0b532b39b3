#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <random>

#include "app/frmmain.h"
#include "app/program_fixture.h"
#include "settings/settings_record.h"

namespace app {
namespace {

constexpr const char* kKey = "HKLM\\Software\\Quorvel";
constexpr const char* kRun = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kExe = "C:\\Program Files\\Quorvel\\Quorvel.exe";

std::vector<std::uint8_t> Bytes(const settings::TSetInfo& r) {
  const settings::SetInfoBytes b = settings::EncodeSetInfo(r);
  return {b.begin(), b.end()};
}

std::vector<std::uint8_t> Text(const std::string& s) {
  std::vector<std::uint8_t> v(s.begin(), s.end());
  v.push_back(0);
  return v;
}

class SettingsStore : public testing::ProgramTest {
 protected:
  void Start() {
    StartProgram();
    ASSERT_TRUE(started);
  }
  void Store(const settings::TSetInfo& r) {
    os.SetValue(kKey, "QuorvelSetInfo", platform::kRegBinary, Bytes(r));
  }
  std::optional<platform::SimRegValue> Stored() { return os.GetValue(kKey, "QuorvelSetInfo"); }
  std::optional<platform::SimRegValue> RunValue() { return os.GetValue(kRun, "Quorvel"); }
  // Runs an operation as an event handler would: its error goes to the box.
  void Run(const std::function<void()>& operation) { program->App().Dispatch(operation); }
  std::vector<std::string> OpenKeys() {
    std::vector<std::string> keys;
    for (const std::string& h : os.OpenHandles()) {
      if (h.rfind("key ", 0) == 0) keys.push_back(h);
    }
    return keys;
  }
  // The page's state as one line, to compare before and after.
  std::string PageState() {
    TForm_Zentor& f = Form();
    std::string s;
    for (const gui::TCheckBox* c :
         {&f.CheckBox_EmptyClipboard, &f.CheckBox_bstopauto, &f.CheckBox_AfterMemTrim,
          &f.CheckBox_AutoProcessList, &f.CheckBox_Auto, &f.CheckBox_CloseMinimize,
          &f.CheckBox_MinimizeStart, &f.CheckBox_AutoStart, &f.CheckBox_AutoOptimizeReg,
          &f.CheckBox_TweakMemoryReg, &f.CheckBox_OpenMainWindowReg, &f.CheckBox_ProcessExitReg}) {
      s += c->Checked() ? "1" : "0";
    }
    for (const gui::TEdit* e : {static_cast<gui::TEdit*>(&f.SpinEdit_Time),
                                static_cast<gui::TEdit*>(&f.SpinEdit_bstopauto),
                                static_cast<gui::TEdit*>(&f.SpinEdit_ProcessListTime),
                                &f.Edit_AutoOptimizeKey, &f.Edit_TweakMemoryKey,
                                &f.Edit_OpenMainWindowKey, &f.Edit_ProcessExitKey}) {
      s += "|" + e->Text();
    }
    for (const gui::TLabel* l : {&f.Label_hk1, &f.Label_hk2, &f.Label_hk3, &f.Label_hk4}) {
      s += "|" + l->Caption();
    }
    return s;
  }
};

TEST_F(SettingsStore, FirstStartShowsTheDefaultsAndWritesThemBack) {
  Start();
  TForm_Zentor& f = Form();
  EXPECT_EQ(f.SpinEdit_Time.Text(), "1");
  EXPECT_TRUE(f.CheckBox_bstopauto.Checked());
  EXPECT_EQ(f.SpinEdit_bstopauto.Text(), "70");
  EXPECT_TRUE(f.SpinEdit_bstopauto.Enabled());
  EXPECT_TRUE(f.CheckBox_AutoProcessList.Checked());
  EXPECT_EQ(f.SpinEdit_ProcessListTime.Text(), "2");
  EXPECT_FALSE(f.CheckBox_EmptyClipboard.Checked());
  EXPECT_FALSE(f.CheckBox_AfterMemTrim.Checked());
  EXPECT_FALSE(f.CheckBox_Auto.Checked());
  EXPECT_TRUE(f.CheckBox_CloseMinimize.Checked());
  EXPECT_FALSE(f.CheckBox_MinimizeStart.Checked());
  EXPECT_FALSE(f.CheckBox_AutoStart.Checked()) << "no start-up value exists";
  EXPECT_EQ(f.Timer_GetProcessInfo.Interval(), 2000u);
  EXPECT_EQ(f.Timer_Auto.Interval(), 1000u);
  EXPECT_FALSE(f.Timer_Auto.Enabled());

  const auto stored = Stored();
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, platform::kRegBinary);
  EXPECT_EQ(stored->data, Bytes(settings::DefaultSetInfo()));
  EXPECT_FALSE(RunValue());
  EXPECT_TRUE(os.KeyExists(kRun)) << "the Run key is opened or created";
  EXPECT_TRUE(OpenKeys().empty()) << ::testing::PrintToString(OpenKeys());
  EXPECT_TRUE(backend.Boxes().empty());
}

TEST_F(SettingsStore, StoredRecordFillsThePageUnclamped) {
  settings::TSetInfo r = settings::DefaultSetInfo();
  r.AutoEmptyClipboard = true;
  r.AutoTime = 0;
  r.bStopAuto = false;
  r.StopAutoPercent = 150;
  r.AfterMemTrim = true;
  r.AutoProcessList = false;
  r.ProcessListTime = 75;
  r.CloseMinimize = false;
  r.MinimizeStart = true;
  r.HotKeys[1].Enabled = false;
  r.HotKeys[2].Modifiers = settings::kModControl;
  r.HotKeys[2].Key = 112;
  Store(r);
  Start();
  TForm_Zentor& f = Form();
  EXPECT_TRUE(f.CheckBox_EmptyClipboard.Checked());
  EXPECT_EQ(f.SpinEdit_Time.Text(), "0");
  EXPECT_FALSE(f.CheckBox_bstopauto.Checked());
  EXPECT_EQ(f.SpinEdit_bstopauto.Text(), "150");
  EXPECT_FALSE(f.SpinEdit_bstopauto.Enabled());
  EXPECT_TRUE(f.CheckBox_AfterMemTrim.Checked());
  EXPECT_FALSE(f.CheckBox_AutoProcessList.Checked());
  EXPECT_EQ(f.SpinEdit_ProcessListTime.Text(), "75");
  EXPECT_FALSE(f.SpinEdit_ProcessListTime.Enabled());
  EXPECT_FALSE(f.CheckBox_CloseMinimize.Checked());
  EXPECT_TRUE(f.CheckBox_MinimizeStart.Checked());
  EXPECT_FALSE(f.CheckBox_TweakMemoryReg.Checked());
  EXPECT_FALSE(f.Edit_TweakMemoryKey.Enabled());
  EXPECT_EQ(f.Label_hk2.Caption(), "not register");
  EXPECT_EQ(f.Edit_OpenMainWindowKey.Text(), "CTRL+'p'");
  EXPECT_EQ(f.Label_hk3.Caption(), "CTRL+'p'");
  // Applied as stored: an interval of 0 leaves the timer silent.
  EXPECT_EQ(f.Timer_Auto.Interval(), 0u);
  EXPECT_EQ(f.Timer_GetProcessInfo.Interval(), 75000u);
  EXPECT_FALSE(f.Timer_GetProcessInfo.Enabled());
  EXPECT_EQ(Stored()->data, Bytes(r)) << "the start-up save writes back what it loaded";
}

TEST_F(SettingsStore, FortyByteValueKeepsTheDefaultsPastItsEnd) {
  settings::TSetInfo r = settings::DefaultSetInfo();
  r.AutoTime = 9;
  r.HotKeys[0].Modifiers = settings::kModControl;
  r.HotKeys[0].Key = 'Q';  // beyond the 40 bytes: not stored
  r.HotKeys[1].Key = 'W';
  std::vector<std::uint8_t> bytes = Bytes(r);
  bytes.resize(40);
  os.SetValue(kKey, "QuorvelSetInfo", platform::kRegBinary, bytes);
  Start();
  EXPECT_EQ(Form().SpinEdit_Time.Text(), "9");
  EXPECT_EQ(Form().CurrentHotKeys[0].Modifiers, settings::kModControl);
  EXPECT_EQ(Form().CurrentHotKeys[0].Key, 65);
  EXPECT_EQ(Form().Edit_AutoOptimizeKey.Text(), "CTRL+'A'");
  EXPECT_EQ(Form().CurrentHotKeys[1], settings::DefaultSetInfo().HotKeys[1]);
  EXPECT_EQ(Stored()->data.size(), 92u) << "the start-up save writes the whole record";
}

TEST_F(SettingsStore, OtherUncommonTypesAreReadAsTheRecord) {
  settings::TSetInfo r = settings::DefaultSetInfo();
  r.ProcessListTime = 7;
  for (std::uint32_t type : {0u, 7u, 11u}) {  // REG_NONE, REG_MULTI_SZ, REG_QWORD
    os.SetValue(kKey, "QuorvelSetInfo", type, Bytes(r));
    Start();
    EXPECT_EQ(Form().SpinEdit_ProcessListTime.Text(), "7") << "type " << type;
    EXPECT_TRUE(backend.Boxes().empty()) << "type " << type;
    EndProgram();
  }
}

struct Rejected {
  const char* name;
  std::uint32_t type;
  std::size_t size;
};

void PrintTo(const Rejected& r, std::ostream* os) { *os << r.name; }

class RejectedValue : public SettingsStore, public ::testing::WithParamInterface<Rejected> {};

TEST_P(RejectedValue, StopsTheStartWithItsMessageAndTheWindowStaysUp) {
  std::vector<std::uint8_t> data(GetParam().size, 1);
  os.SetValue(kKey, "QuorvelSetInfo", GetParam().type, data);
  Start();
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Invalid data type for 'QuorvelSetInfo'");
  EXPECT_EQ(backend.Boxes()[0].caption, "Quorvel");
  EXPECT_EQ(backend.Boxes()[0].style, gui::mb::kOk);
  EXPECT_TRUE(Form().Visible());
  EXPECT_FALSE(program->App().Terminated());
  EXPECT_EQ(Form().StartupStepsRun().back(), "LoadSettings") << "no later step runs";
  EXPECT_EQ(Form().SpinEdit_Time.Text(), "3") << "the form's own state is untouched";
  EXPECT_EQ(Form().Label_hk1.Caption(), "hk1");
  EXPECT_TRUE(os.HotKeys().empty());
  EXPECT_TRUE(os.TrayIcons().empty());
  EXPECT_EQ(Stored()->data, data) << "nothing is written";
  EXPECT_EQ(Stored()->type, GetParam().type);
  EXPECT_TRUE(OpenKeys().empty()) << ::testing::PrintToString(OpenKeys());
}

INSTANTIATE_TEST_SUITE_P(
    Types, RejectedValue,
    ::testing::Values(Rejected{"Text", platform::kRegSz, 92},
                      Rejected{"ExpandableText", platform::kRegExpandSz, 92},
                      Rejected{"Number", platform::kRegDword, 4},
                      Rejected{"BinaryOfNinetyThreeBytes", platform::kRegBinary, 93},
                      Rejected{"EmptyText", platform::kRegSz, 0}),
    [](const ::testing::TestParamInfo<Rejected>& info) { return info.param.name; });

TEST_F(SettingsStore, RejectedValueOnALaterLoadKeepsThePageAndLeavesHotkeysOff) {
  Start();
  Form().CheckBox_Auto.SetChecked(true);
  Form().SpinEdit_Time.SetText("5");
  const std::string before = PageState();
  const settings::HotKeyTable current = Form().CurrentHotKeys;
  os.SetValue(kKey, "QuorvelSetInfo", platform::kRegSz, Text("hello"));
  Run([&] { Form().LoadSettings(false); });
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Invalid data type for 'QuorvelSetInfo'");
  EXPECT_EQ(PageState(), before);
  EXPECT_EQ(Form().CurrentHotKeys, current);
  EXPECT_TRUE(os.HotKeys().empty()) << "unregistered before the read, and left so";
  EXPECT_TRUE(OpenKeys().empty());
}

TEST_F(SettingsStore, FailedReadOfAnAcceptedValueEndsTheLoad) {
  Store(settings::DefaultSetInfo());
  int queries = 0;
  os.onCall = [&](const std::string& call) {
    if (call == "RegQueryValueExA(QuorvelSetInfo)" && ++queries == 2) {
      os.Fail("RegQueryValueExA", platform::kErrorAccessDenied);
    }
  };
  Start();
  os.onCall = nullptr;
  os.Heal("RegQueryValueExA");
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Failed to get data for 'QuorvelSetInfo'");
  EXPECT_EQ(Form().StartupStepsRun().back(), "LoadSettings");
  EXPECT_TRUE(OpenKeys().empty());
}

TEST_F(SettingsStore, KeyWithoutFullAccessLoadsDefaultsAndSavesNothing) {
  settings::TSetInfo r = settings::DefaultSetInfo();
  r.AutoTime = 30;
  Store(r);
  os.RefuseFullAccess(kKey);
  Start();
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_EQ(Form().SpinEdit_Time.Text(), "1") << "the defaults, not the stored 30";
  EXPECT_TRUE(Form().CheckBox_AutoStart.Checked()) << "as a restore of the defaults";
  EXPECT_EQ(os.CountCalls("RegCreateKeyExA(" + std::string(kRun) + ")"), 0u)
      << "neither the load nor the save reached the Run key";
  EXPECT_EQ(Stored()->data, Bytes(r));
  EXPECT_FALSE(RunValue());
  EXPECT_EQ(os.HotKeys().size(), 4u) << "the default hotkeys are in force";
  EXPECT_EQ(os.CountCalls("RegSetValueExA"), 0u);
  EXPECT_TRUE(OpenKeys().empty());
}

TEST_F(SettingsStore, EmptiedSpinEditReportsAndWritesNothing) {
  Start();
  const auto before = Stored();
  Form().CheckBox_AutoStart.SetChecked(true);
  Form().CheckBox_EmptyClipboard.SetChecked(true);
  Form().SpinEdit_ProcessListTime.SetText("");
  Form().SpinEdit_Time.SetText("7");
  os.ClearCalls();
  backend.ScriptAnswer(gui::mrYes);
  Run([&] { Form().SpeedButton_SaveSet.Click(); });
  ASSERT_EQ(backend.Boxes().size(), 2u);
  EXPECT_EQ(backend.Boxes()[0].text, "Are you sure to save the settings?");
  EXPECT_EQ(backend.Boxes()[1].text, "'' is not a valid integer value");
  EXPECT_EQ(Stored(), before);
  EXPECT_FALSE(RunValue());
  EXPECT_EQ(os.CountCalls("RegisterHotKey"), 0u);
  EXPECT_EQ(os.CountCalls("UnregisterHotKey"), 0u);
  EXPECT_EQ(Form().Timer_Auto.Interval(), 1000u) << "the apply step did not run";
  EXPECT_TRUE(OpenKeys().empty());
}

TEST_F(SettingsStore, SaveWithYesWritesThePageTheEntryAndAppliesTheIntervals) {
  Start();
  TForm_Zentor& f = Form();
  f.CheckBox_AutoStart.SetChecked(true);
  f.CheckBox_MinimizeStart.SetChecked(true);
  f.CheckBox_AutoProcessList.SetChecked(false);
  f.SpinEdit_Time.SetText("12");
  f.SpinEdit_ProcessListTime.SetText("4");
  f.SpinEdit_bstopauto.SetText("55");
  backend.ScriptAnswer(gui::mrYes);
  Run([&] { f.SpeedButton_SaveSet.Click(); });
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].caption, "Confirm");
  EXPECT_EQ(backend.Boxes()[0].style, gui::mb::kYesNo | gui::mb::kIconQuestion);

  settings::TSetInfo expected = settings::DefaultSetInfo();
  expected.MinimizeStart = true;
  expected.AutoProcessList = false;
  expected.AutoTime = 12;
  expected.ProcessListTime = 4;
  expected.StopAutoPercent = 55;
  EXPECT_EQ(Stored()->data, Bytes(expected));
  const auto run = RunValue();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->type, platform::kRegSz);
  EXPECT_EQ(run->data, Text(std::string("\"") + kExe + "\"")) << "a path with a blank is quoted";
  EXPECT_EQ(f.Timer_Auto.Interval(), 12000u);
  EXPECT_FALSE(f.Timer_Auto.Enabled()) << "the apply never starts automatic optimization";
  EXPECT_EQ(f.Timer_GetProcessInfo.Interval(), 4000u);
  EXPECT_FALSE(f.Timer_GetProcessInfo.Enabled());
  EXPECT_TRUE(OpenKeys().empty());

  // Unticked again, the save removes the entry.
  f.CheckBox_AutoStart.SetChecked(false);
  backend.ScriptAnswer(gui::mrYes);
  Run([&] { f.SpeedButton_SaveSet.Click(); });
  EXPECT_FALSE(RunValue());
}

TEST_F(SettingsStore, PathWithoutBlanksIsWrittenAsItIs) {
  os.modulePath = "D:\\Tools\\Quorvel.exe";
  Start();
  Form().CheckBox_AutoStart.SetChecked(true);
  Form().SaveSettings();
  EXPECT_EQ(RunValue()->data, Text("D:\\Tools\\Quorvel.exe"));
}

TEST_F(SettingsStore, SaveAnsweredNoDoesNothing) {
  Start();
  Form().SpinEdit_Time.SetText("33");
  os.ClearCalls();
  backend.ScriptAnswer(gui::mrNo);
  Run([&] { Form().SpeedButton_SaveSet.Click(); });
  EXPECT_EQ(os.CountCalls("RegCreateKeyExA"), 0u);
  EXPECT_EQ(Form().Timer_Auto.Interval(), 1000u);
}

TEST_F(SettingsStore, RestoringDefaultsRegistersTheirHotkeysAtOnceAndWritesNothing) {
  settings::TSetInfo r = settings::DefaultSetInfo();
  r.HotKeys[0].Key = 'Z';
  r.HotKeys[3].Enabled = false;
  r.AutoTime = 20;
  Store(r);
  Start();
  EXPECT_EQ(Form().Timer_Auto.Interval(), 20000u);
  const auto before = Stored();
  os.ClearCalls();
  backend.ScriptAnswer(gui::mrYes);
  Run([&] { Form().SpeedButton1.Click(); });
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Are you sure to restore to the default settings?");
  EXPECT_EQ(Form().SpinEdit_Time.Text(), "1");
  EXPECT_TRUE(Form().CheckBox_AutoStart.Checked());
  EXPECT_EQ(Form().Label_hk1.Caption(), "ALT+SHIFT+'A'");
  EXPECT_EQ(Form().Label_hk4.Caption(), "ALT+SHIFT+'E'");
  ASSERT_EQ(os.HotKeys().size(), 4u);
  EXPECT_EQ(os.HotKeys()[0].key, static_cast<std::uint32_t>('A'));
  EXPECT_EQ(os.CountCalls("RegSetValueExA"), 0u);
  EXPECT_EQ(os.CountCalls("RegDeleteValueA"), 0u);
  EXPECT_EQ(os.CountCalls("RegQueryValueExA"), 0u) << "the store is not read";
  EXPECT_EQ(Stored(), before);
  EXPECT_FALSE(RunValue()) << "the entry waits for a save";
  EXPECT_EQ(Form().Timer_Auto.Interval(), 20000u) << "the timers keep their intervals";

  // Answered No, nothing happens at all.
  Form().SpinEdit_Time.SetText("44");
  backend.ScriptAnswer(gui::mrNo);
  Run([&] { Form().SpeedButton1.Click(); });
  EXPECT_EQ(Form().SpinEdit_Time.Text(), "44");
}

TEST_F(SettingsStore, FailedRecordWriteReportsAndLeavesHotkeysAndEntry) {
  Start();
  Form().CheckBox_AutoStart.SetChecked(true);
  os.Fail("RegSetValueExA", platform::kErrorAccessDenied);
  os.ClearCalls();
  Run([&] { Form().SaveSettings(); });
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Failed to set data for 'QuorvelSetInfo'");
  EXPECT_EQ(os.CountCalls("UnregisterHotKey"), 0u);
  EXPECT_EQ(os.HotKeys().size(), 4u);
  EXPECT_FALSE(RunValue());
  EXPECT_TRUE(OpenKeys().empty());
}

TEST_F(SettingsStore, FailedEntryWriteReportsAfterTheRecordIsSaved) {
  Start();
  Form().CheckBox_AutoStart.SetChecked(true);
  Form().SpinEdit_Time.SetText("8");
  os.onCall = [&](const std::string& call) {
    if (call == "RegSetValueExA(Quorvel)") os.Fail("RegSetValueExA", platform::kErrorAccessDenied);
  };
  Run([&] { Form().SaveSettings(); });
  os.onCall = nullptr;
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Failed to set data for 'Quorvel'");
  EXPECT_EQ(Stored()->data[4], 8) << "the record was written first";
  EXPECT_TRUE(OpenKeys().empty());
}

TEST_F(SettingsStore, RunKeyThatCannotBeOpenedLeavesStartupUnticked) {
  os.SetValue(kRun, "Quorvel", platform::kRegSz, Text(kExe));
  os.DenyKey(kRun);
  Start();
  EXPECT_FALSE(Form().CheckBox_AutoStart.Checked());
  EXPECT_TRUE(backend.Boxes().empty()) << "deleting needs no key that opens";
  Form().CheckBox_AutoStart.SetChecked(true);
  Run([&] { Form().SaveSettings(); });
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Failed to set data for 'Quorvel'");
}

struct Entry {
  const char* name;
  std::uint32_t type;
  std::string text;
  bool on;
};

void PrintTo(const Entry& e, std::ostream* os) { *os << e.name; }

class StartupEntry : public SettingsStore, public ::testing::WithParamInterface<Entry> {};

TEST_P(StartupEntry, CountsAsOnOnlyWhenItNamesThisProgram) {
  os.SetValue(kRun, "Quorvel", GetParam().type, Text(GetParam().text));
  Start();
  EXPECT_EQ(Form().CheckBox_AutoStart.Checked(), GetParam().on);
  // The start-up save rewrites a value that counts as on and removes one
  // that does not.
  const auto run = RunValue();
  if (GetParam().on) {
    ASSERT_TRUE(run);
    EXPECT_EQ(run->type, platform::kRegSz);
    EXPECT_EQ(run->data, Text(std::string("\"") + kExe + "\""));
  } else {
    EXPECT_FALSE(run);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, StartupEntry,
    ::testing::Values(
        Entry{"Exact", platform::kRegSz, kExe, true},
        Entry{"OtherLetterCase", platform::kRegSz, "c:\\PROGRAM FILES\\quorvel\\QUORVEL.EXE", true},
        Entry{"Blanks", platform::kRegSz, std::string(" \t") + kExe + "  \r\n", true},
        Entry{"Quoted", platform::kRegSz, std::string("\"") + kExe + "\"", true},
        Entry{"QuotedWithBlanks", platform::kRegSz, std::string("  \"") + kExe + "\" ", true},
        Entry{"OnlyOneQuote", platform::kRegSz, std::string("\"") + kExe, false},
        Entry{"ExpandableText", platform::kRegExpandSz, kExe, false},
        Entry{"AnotherPath", platform::kRegSz, "C:\\Program Files\\Other\\Other.exe", false},
        Entry{"WithArguments", platform::kRegSz, std::string(kExe) + " /min", false},
        Entry{"Empty", platform::kRegSz, "", false}),
    [](const ::testing::TestParamInfo<Entry>& info) { return info.param.name; });

TEST(StartupEntryText, QuotesOnlyPathsWithBlanks) {
  EXPECT_EQ(settings::StartupEntryText("C:\\Quorvel\\Quorvel.exe"), "C:\\Quorvel\\Quorvel.exe");
  EXPECT_EQ(settings::StartupEntryText("C:\\My Tools\\Quorvel.exe"),
            "\"C:\\My Tools\\Quorvel.exe\"");
  EXPECT_TRUE(settings::StartupEntryNamesProgram(settings::StartupEntryText("C:\\My Tools\\Q.exe"),
                                                 "C:\\My Tools\\Q.exe"));
}

TEST(TimerInterval, SecondsBecomeMillisecondsWithinWhatATimerTakes) {
  EXPECT_EQ(settings::IntervalFromSeconds(2), 2000u);
  EXPECT_EQ(settings::IntervalFromSeconds(0), 0u);
  EXPECT_EQ(settings::IntervalFromSeconds(-3), 0u) << "no wrap to an interval of weeks";
  EXPECT_EQ(settings::IntervalFromSeconds(2147483647), 0x7FFFFFFFu);
  EXPECT_EQ(settings::IntervalFromSeconds(3000000), 0x7FFFFFFFu);
}

TEST_F(SettingsStore, UntickingTheRefreshWaitsForTheSaveToStopTheTimer) {
  Start();
  Form().CheckBox_AutoProcessList.Click();
  EXPECT_FALSE(Form().SpinEdit_ProcessListTime.Enabled());
  EXPECT_TRUE(Form().Timer_GetProcessInfo.Enabled());
  backend.ScriptAnswer(gui::mrYes);
  Run([&] { Form().SpeedButton_SaveSet.Click(); });
  EXPECT_FALSE(Form().Timer_GetProcessInfo.Enabled());
}

TEST_F(SettingsStore, ReaderFedRandomValuesEndsOnlyInItsDocumentedOutcomes) {
  Start();
  std::mt19937 random(20261208);
  const std::uint32_t types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 11, 0xFFFFFFFFu};
  for (int round = 0; round < 2000; ++round) {
    const std::uint32_t type = types[random() % (sizeof types / sizeof types[0])];
    std::vector<std::uint8_t> data(random() % 201);
    for (std::uint8_t& b : data) b = static_cast<std::uint8_t>(random());
    os.SetValue(kKey, "QuorvelSetInfo", type, data);
    backend.ClearBoxes();
    Run([&] { Form().LoadSettings(false); });
    const bool rejected = type == platform::kRegSz || type == platform::kRegExpandSz ||
                          type == platform::kRegDword || data.size() > 92;
    if (rejected) {
      ASSERT_EQ(backend.Boxes().size(), 1u) << "round " << round;
      EXPECT_EQ(backend.Boxes()[0].text, "Invalid data type for 'QuorvelSetInfo'");
      EXPECT_TRUE(os.HotKeys().empty());
    } else {
      ASSERT_TRUE(backend.Boxes().empty()) << "round " << round << ": " << backend.Boxes()[0].text;
      settings::TSetInfo expected = settings::DefaultSetInfo();
      settings::DecodeSetInfoOver(expected, data.data(), data.size());
      EXPECT_EQ(Form().SpinEdit_Time.Text(), std::to_string(expected.AutoTime));
      EXPECT_EQ(Form().CurrentHotKeys, expected.HotKeys);
      EXPECT_EQ(Form().CheckBox_MinimizeStart.Checked(), expected.MinimizeStart);
    }
    ASSERT_TRUE(OpenKeys().empty()) << "round " << round;
  }
}

// --- the memory-list option, beside the record -----------------------------------------

TEST_F(SettingsStore, MemoryListOptionRoundTripsAndDefaultClearsIt) {
  Start();
  EXPECT_FALSE(Form().CheckBox_MemoryLists.Checked()) << "off when nothing is stored";
  ASSERT_TRUE(os.GetValue(kKey, "QuorvelMemoryLists")) << "the start saves it like the record";
  Form().CheckBox_MemoryLists.SetChecked(true);
  const std::vector<std::uint8_t> record = Stored()->data;
  Run([&] { Form().SaveSettings(); });
  const auto value = os.GetValue(kKey, "QuorvelMemoryLists");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, platform::kRegDword);
  EXPECT_EQ(value->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(Stored()->data, record) << "the 92-byte record is untouched by the option";
  ASSERT_EQ(Stored()->data.size(), 92u);

  Form().CheckBox_MemoryLists.SetChecked(false);
  Run([&] { Form().LoadSettings(false); });
  EXPECT_TRUE(Form().CheckBox_MemoryLists.Checked()) << "read back from the value";

  backend.ScriptAnswer(gui::mrYes);
  Run([&] { Form().SpeedButton1.Click(); });
  EXPECT_FALSE(Form().CheckBox_MemoryLists.Checked()) << "Default clears it";
  EXPECT_TRUE(backend.Boxes().size() == 1u) << "only the question";
  EXPECT_TRUE(OpenKeys().empty());
}

struct OptionValueCase {
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  bool on;
};

void PrintTo(const OptionValueCase& c, std::ostream* os) { *os << c.name; }

class MemoryListOptionValue : public SettingsStore,
                              public ::testing::WithParamInterface<OptionValueCase> {};

TEST_P(MemoryListOptionValue, CountsAsOnOnlyAsAFourByteNumberWithBitZero) {
  os.SetValue(kKey, "QuorvelMemoryLists", GetParam().type, GetParam().data);
  Start();
  EXPECT_EQ(Form().CheckBox_MemoryLists.Checked(), GetParam().on);
  EXPECT_TRUE(backend.Boxes().empty()) << "a bad value is no error: " << backend.Boxes()[0].text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, MemoryListOptionValue,
    ::testing::Values(
        OptionValueCase{"One", platform::kRegDword, {1, 0, 0, 0}, true},
        OptionValueCase{"OtherBitsIgnored", platform::kRegDword, {3, 0, 0, 0x80}, true},
        OptionValueCase{"Zero", platform::kRegDword, {0, 0, 0, 0}, false},
        OptionValueCase{"BitZeroClear", platform::kRegDword, {2, 0, 0, 0}, false},
        OptionValueCase{"Binary", platform::kRegBinary, {1, 0, 0, 0}, false},
        OptionValueCase{"Text", platform::kRegSz, {'1', 0}, false},
        OptionValueCase{"TooShort", platform::kRegDword, {1, 0}, false},
        OptionValueCase{"TooLong", platform::kRegDword, {1, 0, 0, 0, 0, 0, 0, 0}, false},
        OptionValueCase{"Empty", platform::kRegDword, {}, false}),
    [](const ::testing::TestParamInfo<OptionValueCase>& info) { return info.param.name; });

TEST_F(SettingsStore, FailedOptionWriteNamesTheValueAfterTheRecordIsSaved) {
  Start();
  Form().SpinEdit_Time.SetText("9");
  os.onCall = [&](const std::string& call) {
    if (call == "RegSetValueExA(QuorvelMemoryLists)") {
      os.Fail("RegSetValueExA", platform::kErrorAccessDenied);
    }
  };
  Run([&] { Form().SaveSettings(); });
  os.onCall = nullptr;
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Failed to set data for 'QuorvelMemoryLists'");
  EXPECT_EQ(Stored()->data[4], 9) << "the record was written first";
  EXPECT_TRUE(OpenKeys().empty());
}

}  // namespace
}  // namespace app
