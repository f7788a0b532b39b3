#include "settings/hotkeys.h"


namespace settings {

std::string HotKeyToText(const THotKeyRec& rec) {
  std::string text;
  const struct {
    std::int32_t bit;
    const char* word;
  } words[] = {{kModControl, "CTRL"}, {kModAlt, "ALT"}, {kModShift, "SHIFT"}, {kModWin, "WIN"}};
  for (const auto& w : words) {
    if ((rec.Modifiers & w.bit) == 0) continue;
    if (!text.empty()) text += "+";
    text += w.word;
  }
  text += "+'";
  text += static_cast<char>(rec.Key & 127);
  text += "'";
  return text;
}

RecordedKey RecordKeyDown(int slot, std::uint16_t key, std::int32_t modifiers) {
  RecordedKey result;
  modifiers &= kModShift | kModAlt | kModControl;
  result.candidate.Id = kFirstHotKeyId + slot;
  result.candidate.Modifiers = modifiers;
  result.candidate.Key = key;
  result.text = HotKeyToText(result.candidate);
  const bool modifierKey = key == kVkControl || key == kVkMenu || key == kVkShift;
  result.recorded = !modifierKey && modifiers != 0;
  return result;
}

bool KeyUpEndsCombination(std::uint16_t key, std::int32_t modifiers) {
  const bool modifierKey = key == kVkControl || key == kVkMenu || key == kVkShift;
  return modifierKey || (modifiers & (kModShift | kModAlt | kModControl)) == 0;
}

std::vector<int> MatchingHotKeySlots(const HotKeyTable& table, std::intptr_t lParam) {
  const auto bits = static_cast<std::uint32_t>(lParam);
  const auto modifiers = static_cast<std::int32_t>(bits & 0xFFFF);
  const auto key = static_cast<std::int32_t>(bits >> 16);
  std::vector<int> slots;
  for (int slot = 0; slot < kHotKeySlots; ++slot) {
    if (table[slot].Key == key && table[slot].Modifiers == modifiers) slots.push_back(slot);
  }
  return slots;
}

}  // namespace settings
