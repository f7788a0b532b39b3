// The settings page as the working copy of the stored record: load, save,
// restore the defaults, apply the intervals to the running timers, and the
// start-with-Windows entry.

#include "settings/settings_store.h"

#include <algorithm>
#include <vector>

#include "app/frmmain.h"
#include "platform/handles.h"
#include "settings/hotkeys.h"
#include "settings/settings_record.h"

namespace settings {

std::string ExecutablePath(platform::Os& os) {
  char path[platform::kMaxPath + 1] = {};
  const std::uint32_t n = os.GetModuleFileNameA(platform::kNoHandle, path, platform::kMaxPath);
  return std::string(path, std::min<std::uint32_t>(n, platform::kMaxPath));
}

std::string StartupEntryText(const std::string& exePath) {
  if (exePath.find(' ') == std::string::npos) return exePath;
  return "\"" + exePath + "\"";
}

namespace {

std::string Trimmed(const std::string& s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
  return s.substr(begin, end - begin);
}

std::string AsciiUpper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

}  // namespace

bool StartupEntryNamesProgram(const std::string& stored, const std::string& exePath) {
  std::string text = Trimmed(stored);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return AsciiUpper(Trimmed(text)) == AsciiUpper(Trimmed(exePath));
}

unsigned IntervalFromSeconds(std::int32_t seconds) {
  // USER_TIMER_MAXIMUM: a longer interval is not a window timer's.
  constexpr std::int64_t kLongest = 0x7FFFFFFF;
  if (seconds <= 0) return 0;
  return static_cast<unsigned>(std::min<std::int64_t>(std::int64_t{seconds} * 1000, kLongest));
}

}  // namespace settings

namespace app {

namespace {

// The scalar fields stand before the hotkey slots; each maps to a check
// box or a spin edit of the settings page.
bool IsHotKeyField(const settings::SetInfoField& f) { return f.offset >= 28; }

}  // namespace

gui::TControl* TForm_Zentor::SettingsControl(const std::string& name) {
  const std::pair<const char*, gui::TControl*> controls[] = {
      {"CheckBox_EmptyClipboard", &CheckBox_EmptyClipboard},
      {"SpinEdit_Time", &SpinEdit_Time},
      {"CheckBox_bstopauto", &CheckBox_bstopauto},
      {"SpinEdit_bstopauto", &SpinEdit_bstopauto},
      {"CheckBox_AfterMemTrim", &CheckBox_AfterMemTrim},
      {"CheckBox_AutoProcessList", &CheckBox_AutoProcessList},
      {"SpinEdit_ProcessListTime", &SpinEdit_ProcessListTime},
      {"CheckBox_Auto", &CheckBox_Auto},
      {"CheckBox_CloseMinimize", &CheckBox_CloseMinimize},
      {"CheckBox_MinimizeStart", &CheckBox_MinimizeStart},
  };
  for (const auto& [controlName, control] : controls) {
    if (name == controlName) return control;
  }
  return nullptr;
}

void TForm_Zentor::ReadStoredSettings(platform::HKey key, settings::TSetInfo& record) {
  const std::string name = settings::kSettingsValue;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (os_.RegQueryValueExA(key, name, &type, nullptr, &size) != 0) return;  // none stored
  if (type == platform::kRegSz || type == platform::kRegExpandSz || type == platform::kRegDword ||
      size > settings::kSetInfoSize) {
    throw gui::Error("Invalid data type for '" + name + "'");
  }
  std::vector<std::uint8_t> data(std::max<std::uint32_t>(size, 1));
  std::uint32_t got = size;
  if (os_.RegQueryValueExA(key, name, &type, data.data(), &got) != 0 ||
      got > settings::kSetInfoSize) {
    throw gui::Error("Failed to get data for '" + name + "'");
  }
  settings::DecodeSetInfoOver(record, data.data(), got);
}

void TForm_Zentor::LoadSettings(bool UseDefaults) {
  platform::HKey raw = 0;
  if (os_.RegCreateKeyExA(platform::kHKeyLocalMachine, kSettingsKey,
                          platform::kRegOptionNonVolatile, platform::kKeyAllAccess, &raw,
                          nullptr) != 0) {
    UseDefaults = true;
    raw = 0;
  }
  platform::UniqueKey key(os_, raw);

  UnregisterHotKeys();
  settings::TSetInfo record = settings::DefaultSetInfo();
  if (!UseDefaults) ReadStoredSettings(key.Get(), record);

  for (const settings::SetInfoField& f : settings::SetInfoFields()) {
    if (IsHotKeyField(f)) continue;
    gui::TControl* control = SettingsControl(f.control);
    if (auto* box = dynamic_cast<gui::TCheckBox*>(control)) {
      box->SetChecked(f.get(record) != 0);
    } else if (auto* spin = dynamic_cast<gui::TSpinEdit*>(control)) {
      // Shown as stored: a value out of the arrows' range is not clamped.
      spin->SetText(std::to_string(f.get(record)));
    }
  }
  SpinEdit_bstopauto.SetEnabled(CheckBox_bstopauto.Checked());
  SpinEdit_ProcessListTime.SetEnabled(CheckBox_AutoProcessList.Checked());

  CurrentHotKeys = record.HotKeys;
  PendingHotKeys = CurrentHotKeys;
  RegisterHotKeys();
  for (int slot = 0; slot < settings::kHotKeySlots; ++slot) {
    HotKeySlot c = SlotControls(slot);
    c.check.SetChecked(CurrentHotKeys[slot].Enabled);
    c.edit.SetEnabled(c.check.Checked());
    c.edit.SetText(settings::HotKeyToText(CurrentHotKeys[slot]));
  }
  key.Reset();

  if (UseDefaults) {
    CheckBox_AutoStart.SetChecked(true);
    return;
  }
  platform::HKey runRaw = 0;
  if (os_.RegCreateKeyExA(platform::kHKeyLocalMachine, settings::kRunKey,
                          platform::kRegOptionNonVolatile, platform::kKeyAllAccess, &runRaw,
                          nullptr) != 0) {
    runRaw = 0;
  }
  platform::UniqueKey runKey(os_, runRaw);
  CheckBox_AutoStart.SetChecked(false);
  if (!runKey) return;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (os_.RegQueryValueExA(runKey.Get(), settings::kRunValue, &type, nullptr, &size) != 0 ||
      type != platform::kRegSz) {
    return;
  }
  std::vector<std::uint8_t> data(std::max<std::uint32_t>(size, 1));
  std::uint32_t got = size;
  if (os_.RegQueryValueExA(runKey.Get(), settings::kRunValue, &type, data.data(), &got) != 0) {
    return;
  }
  got = std::min<std::uint32_t>(got, static_cast<std::uint32_t>(data.size()));
  std::string stored(reinterpret_cast<const char*>(data.data()), got);
  stored = stored.substr(0, stored.find('\0'));
  if (settings::StartupEntryNamesProgram(stored, settings::ExecutablePath(os_))) {
    CheckBox_AutoStart.SetChecked(true);
  }
}

void TForm_Zentor::SaveSettings() {
  platform::HKey raw = 0;
  if (os_.RegCreateKeyExA(platform::kHKeyLocalMachine, kSettingsKey,
                          platform::kRegOptionNonVolatile, platform::kKeyAllAccess, &raw,
                          nullptr) != 0) {
    return;
  }
  platform::UniqueKey key(os_, raw);

  // Every number is read before anything changes: a field that holds no
  // number ends the save with nothing written.
  settings::TSetInfo record = settings::DefaultSetInfo();
  for (const settings::SetInfoField& f : settings::SetInfoFields()) {
    if (IsHotKeyField(f)) continue;
    gui::TControl* control = SettingsControl(f.control);
    if (auto* box = dynamic_cast<gui::TCheckBox*>(control)) {
      f.set(record, box->Checked() ? 1 : 0);
    } else if (auto* spin = dynamic_cast<gui::TSpinEdit*>(control)) {
      f.set(record, settings::StrToInt(spin->Text()));
    }
  }
  for (int slot = 0; slot < settings::kHotKeySlots; ++slot) {
    PendingHotKeys[slot].Enabled = SlotControls(slot).check.Checked();
  }
  record.HotKeys = PendingHotKeys;

  const settings::SetInfoBytes bytes = settings::EncodeSetInfo(record);
  if (os_.RegSetValueExA(key.Get(), settings::kSettingsValue, platform::kRegBinary, bytes.data(),
                         static_cast<std::uint32_t>(bytes.size())) != 0) {
    throw gui::Error(std::string("Failed to set data for '") + settings::kSettingsValue + "'");
  }

  UnregisterHotKeys();
  CurrentHotKeys = PendingHotKeys;
  RegisterHotKeys();
  for (int slot = 0; slot < settings::kHotKeySlots; ++slot) {
    SlotControls(slot).check.SetChecked(CurrentHotKeys[slot].Enabled);
  }
  key.Reset();

  platform::HKey runRaw = 0;
  const bool runOpened =
      os_.RegCreateKeyExA(platform::kHKeyLocalMachine, settings::kRunKey,
                          platform::kRegOptionNonVolatile, platform::kKeyAllAccess, &runRaw,
                          nullptr) == 0;
  platform::UniqueKey runKey(os_, runOpened ? runRaw : 0);
  if (CheckBox_AutoStart.Checked()) {
    const std::string text = settings::StartupEntryText(settings::ExecutablePath(os_));
    if (!runOpened ||
        os_.RegSetValueExA(runKey.Get(), settings::kRunValue, platform::kRegSz,
                           reinterpret_cast<const std::uint8_t*>(text.c_str()),
                           static_cast<std::uint32_t>(text.size() + 1)) != 0) {
      throw gui::Error(std::string("Failed to set data for '") + settings::kRunValue + "'");
    }
  } else if (runOpened) {
    // An absent value is what was wanted: the result does not matter.
    os_.RegDeleteValueA(runKey.Get(), settings::kRunValue);
  }
}

void TForm_Zentor::SpeedButton_AppSetClick() {
  Timer_Auto.SetInterval(settings::IntervalFromSeconds(settings::StrToInt(SpinEdit_Time.Text())));
  Timer_GetProcessInfo.SetInterval(
      settings::IntervalFromSeconds(settings::StrToInt(SpinEdit_ProcessListTime.Text())));
  Timer_GetProcessInfo.SetEnabled(CheckBox_AutoProcessList.Checked());
}

void TForm_Zentor::SpeedButton_SaveSetClick() {
  if (gui::MessageDlg(settings::kSaveQuestion, gui::TMsgDlgType::mtConfirmation,
                      gui::TMsgDlgButtons::mbYesNo) != gui::mrYes) {
    return;
  }
  SaveSettings();
  SpeedButton_AppSet.Click();
}

void TForm_Zentor::SpeedButton1Click() {
  if (gui::MessageDlg(settings::kRestoreQuestion, gui::TMsgDlgType::mtConfirmation,
                      gui::TMsgDlgButtons::mbYesNo) != gui::mrYes) {
    return;
  }
  LoadSettings(true);
}

}  // namespace app
