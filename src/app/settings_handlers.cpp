// The settings page's handlers: the page as the working copy of the stored
// record (load, save, restore the defaults), the intervals applied to the
// running timers, the start-with-Windows entry, and the page-file switch.

#include <string>
#include <utility>
#include <vector>

#include "app/frmmain.h"
#include "platform/handles.h"
#include "settings/hotkeys.h"
#include "settings/pagefile.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"

namespace app {

namespace {

// The scalar fields stand before the hotkey slots; each maps to a check
// box or a spin edit of the settings page.
bool IsHotKeyField(const settings::SetInfoField& f) { return f.offset >= 28; }

[[noreturn]] void ThrowStoreError(settings::StoreError error, const std::string& valueName) {
  throw gui::Error(settings::StoreErrorText(error, valueName));
}

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

void TForm_Zentor::LoadSettings(bool UseDefaults) {
  platform::UniqueKey key = platform::CreateKey(os_, platform::kHKeyLocalMachine, settings::kSettingsKey);
  if (!key) UseDefaults = true;

  UnregisterHotKeys();
  settings::TSetInfo record = settings::DefaultSetInfo();
  if (!UseDefaults) {
    settings::StoredRecord stored = settings::ReadSettingsRecord(os_, key.Get());
    if (stored.error != settings::StoreError::kNone) ThrowStoreError(stored.error, settings::kSettingsValue);
    record = stored.record;
  }
  CheckBox_MemoryLists.SetChecked(!UseDefaults && settings::ReadMemoryListsOption(os_, key.Get()));

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
  CheckBox_AutoStart.SetChecked(settings::StartupEntryRegistered(os_));
}

void TForm_Zentor::SaveSettings() {
  platform::UniqueKey key = platform::CreateKey(os_, platform::kHKeyLocalMachine, settings::kSettingsKey);
  if (!key) return;

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

  const settings::StoreError written = settings::WriteSettingsRecord(os_, key.Get(), record);
  if (written != settings::StoreError::kNone) ThrowStoreError(written, settings::kSettingsValue);
  const settings::StoreError option =
      settings::WriteMemoryListsOption(os_, key.Get(), CheckBox_MemoryLists.Checked());
  if (option != settings::StoreError::kNone) ThrowStoreError(option, settings::kMemoryListsValue);

  UnregisterHotKeys();
  CurrentHotKeys = PendingHotKeys;
  RegisterHotKeys();
  for (int slot = 0; slot < settings::kHotKeySlots; ++slot) {
    SlotControls(slot).check.SetChecked(CurrentHotKeys[slot].Enabled);
  }
  key.Reset();

  const settings::StoreError entry = settings::WriteStartupEntry(os_, CheckBox_AutoStart.Checked());
  if (entry != settings::StoreError::kNone) ThrowStoreError(entry, settings::kRunValue);
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

void TForm_Zentor::SpeedButton_SetVMClick() {
  if (gui::MessageDlg(settings::kPageFileQuestion, gui::TMsgDlgType::mtConfirmation,
                      gui::TMsgDlgButtons::mbOKCancel) != gui::mrOk) {
    return;
  }
  if (!settings::SetSystemManagedPageFile(os_)) return;
  gui::MessageDlg(settings::kPageFileDone, gui::TMsgDlgType::mtInformation,
                  gui::TMsgDlgButtons::mbOK);
}

}  // namespace app
