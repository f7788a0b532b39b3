#pragma once
// The four global hotkeys: their text form, the key recorder's rules and
// the matching of an incoming hotkey against the table in force.

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_record.h"

namespace settings {

inline constexpr unsigned kWmHotKey = 0x0312;
inline constexpr std::uint16_t kVkShift = 16;
inline constexpr std::uint16_t kVkControl = 17;
inline constexpr std::uint16_t kVkMenu = 18;
inline constexpr const char* kNotRegisteredText = "not register";

// "CTRL", "ALT", "SHIFT", "WIN" for the bits set, joined by "+", then "+'",
// the character of the key code's low seven bits, and "'". The key's name
// is never looked up: F1 (112) shows as a small p.
std::string HotKeyToText(const THotKeyRec& rec);

// What one key-down in the edit of a slot does, with `modifiers` the
// kModShift, kModAlt and kModControl bits of the keys held: the text the
// edit shows while the key is held, and the combination to record, if any
// (a key other than Shift, Ctrl or Alt with at least one of them held).
struct RecordedKey {
  std::string text;
  bool recorded = false;
  THotKeyRec candidate;
};
RecordedKey RecordKeyDown(int slot, std::uint16_t key, std::int32_t modifiers);

// True when a key-up ends the combination being shown, so the edit goes
// back to the pending combination's text.
bool KeyUpEndsCombination(std::uint16_t key, std::int32_t modifiers);

// The slots whose key and modifiers equal those of a WM_HOTKEY message
// (modifiers in the low 16 bits of lParam, the key in the high 16), in
// slot order. Neither the message's id nor a slot's Enabled flag counts.
std::vector<int> MatchingHotKeySlots(const HotKeyTable& table, std::intptr_t lParam);

}  // namespace settings
