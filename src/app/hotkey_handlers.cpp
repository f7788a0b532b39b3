// The hotkey handlers: the four slots registered with the system, the key
// recorder in each slot's edit, and the incoming WM_HOTKEY.

#include "app/frmmain.h"
#include "settings/hotkeys.h"

namespace app {

namespace {

// The hotkey bits of the Shift, Alt and Ctrl keys held.
std::int32_t ModifiersOf(gui::TShiftState shift) {
  std::int32_t modifiers = 0;
  if (shift & gui::shift::kShift) modifiers |= settings::kModShift;
  if (shift & gui::shift::kAlt) modifiers |= settings::kModAlt;
  if (shift & gui::shift::kCtrl) modifiers |= settings::kModControl;
  return modifiers;
}

}  // namespace

TForm_Zentor::HotKeySlot TForm_Zentor::SlotControls(int slot) {
  switch (slot) {
    case 0: return {CheckBox_AutoOptimizeReg, Edit_AutoOptimizeKey, Label_hk1};
    case 1: return {CheckBox_TweakMemoryReg, Edit_TweakMemoryKey, Label_hk2};
    case 2: return {CheckBox_OpenMainWindowReg, Edit_OpenMainWindowKey, Label_hk3};
    default: return {CheckBox_ProcessExitReg, Edit_ProcessExitKey, Label_hk4};
  }
}

std::uintptr_t TForm_Zentor::WindowHandle() const {
  return App().GetBackend().NativeHandle(*this);
}

void TForm_Zentor::RegisterHotKeys() {
  for (int slot = 0; slot < settings::kHotKeySlots; ++slot) {
    gui::TLabel& label = SlotControls(slot).label;
    label.SetCaption(settings::kNotRegisteredText);
    const settings::THotKeyRec& rec = CurrentHotKeys[slot];
    if (!rec.Enabled) continue;
    // A failure (the combination is held elsewhere) only leaves the label.
    if (os_.RegisterHotKey(WindowHandle(), rec.Id, static_cast<std::uint32_t>(rec.Modifiers),
                           static_cast<std::uint32_t>(rec.Key))) {
      label.SetCaption(settings::HotKeyToText(rec));
    }
  }
}

void TForm_Zentor::UnregisterHotKeys() {
  for (const settings::THotKeyRec& rec : CurrentHotKeys) {
    if (rec.Enabled) os_.UnregisterHotKey(WindowHandle(), rec.Id);
  }
}

void TForm_Zentor::HotKeyKeyDown(int slot, std::uint16_t& key, gui::TShiftState shift) {
  const settings::RecordedKey r = settings::RecordKeyDown(slot, key, ModifiersOf(shift));
  SlotControls(slot).edit.SetText(r.text);
  if (r.recorded) {
    settings::THotKeyRec& pending = PendingHotKeys[slot];
    pending.Id = r.candidate.Id;
    pending.Modifiers = r.candidate.Modifiers;
    pending.Key = r.candidate.Key;
  }
  // The edit shows combinations, not typing: the key goes no further.
  key = 0;
}

void TForm_Zentor::HotKeyKeyUp(int slot, std::uint16_t& key, gui::TShiftState shift) {
  if (settings::KeyUpEndsCombination(key, ModifiersOf(shift))) {
    SlotControls(slot).edit.SetText(settings::HotKeyToText(PendingHotKeys[slot]));
  }
  key = 0;
}

void TForm_Zentor::Edit_AutoOptimizeKeyKeyDown(gui::TControl&, std::uint16_t& key,
                                               gui::TShiftState shift) {
  HotKeyKeyDown(0, key, shift);
}
void TForm_Zentor::Edit_TweakMemoryKeyKeyDown(gui::TControl&, std::uint16_t& key,
                                              gui::TShiftState shift) {
  HotKeyKeyDown(1, key, shift);
}
void TForm_Zentor::Edit_OpenMainWindowKeyKeyDown(gui::TControl&, std::uint16_t& key,
                                                 gui::TShiftState shift) {
  HotKeyKeyDown(2, key, shift);
}
void TForm_Zentor::Edit_ProcessExitKeyKeyDown(gui::TControl&, std::uint16_t& key,
                                              gui::TShiftState shift) {
  HotKeyKeyDown(3, key, shift);
}
void TForm_Zentor::Edit_AutoOptimizeKeyKeyUp(gui::TControl&, std::uint16_t& key,
                                             gui::TShiftState shift) {
  HotKeyKeyUp(0, key, shift);
}
void TForm_Zentor::Edit_TweakMemoryKeyKeyUp(gui::TControl&, std::uint16_t& key,
                                            gui::TShiftState shift) {
  HotKeyKeyUp(1, key, shift);
}
void TForm_Zentor::Edit_OpenMainWindowKeyKeyUp(gui::TControl&, std::uint16_t& key,
                                               gui::TShiftState shift) {
  HotKeyKeyUp(2, key, shift);
}
void TForm_Zentor::Edit_ProcessExitKeyKeyUp(gui::TControl&, std::uint16_t& key,
                                            gui::TShiftState shift) {
  HotKeyKeyUp(3, key, shift);
}

void TForm_Zentor::CheckBox_AutoOptimizeRegClick() {
  Edit_AutoOptimizeKey.SetEnabled(CheckBox_AutoOptimizeReg.Checked());
}
void TForm_Zentor::CheckBox_TweakMemoryRegClick() {
  Edit_TweakMemoryKey.SetEnabled(CheckBox_TweakMemoryReg.Checked());
}
void TForm_Zentor::CheckBox_OpenMainWindowRegClick() {
  Edit_OpenMainWindowKey.SetEnabled(CheckBox_OpenMainWindowReg.Checked());
}
void TForm_Zentor::CheckBox_ProcessExitRegClick() {
  Edit_ProcessExitKey.SetEnabled(CheckBox_ProcessExitReg.Checked());
}

void TForm_Zentor::WMHotKey(const gui::TMessage& message) {
  // The table is matched before any action runs: an action may open a
  // modal box in which the settings are saved and the table replaced.
  const std::vector<int> slots = settings::MatchingHotKeySlots(CurrentHotKeys, message.LParam);
  for (int slot : slots) {
    switch (slot) {
      case 0: SpeedButton_RunAuto.Click(); break;
      case 1: SpeedButton_StartFull.Click(); break;
      case 2:
        if (Minimized) App().Restore();
        if (!Visible()) ShowForm();
        break;
      case 3: Close(); break;
    }
  }
}

}  // namespace app
