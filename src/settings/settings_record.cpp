#include "settings/settings_record.h"

#include <cctype>
#include <limits>


namespace settings {

namespace {

// Captureless lambdas become the table's accessors; the macros keep each
// row on one line with its field's name spelled once.
#define QV_BOOL(offset, member, control, def)                                  \
  SetInfoField {                                                               \
    offset, 1, #member, control, def,                                          \
        [](const TSetInfo& r) { return static_cast<std::int32_t>(r.member); }, \
        [](TSetInfo& r, std::int32_t v) { r.member = v != 0; }                 \
  }
#define QV_INT(offset, member, control, def)                \
  SetInfoField {                                            \
    offset, 4, #member, control, def,                       \
        [](const TSetInfo& r) { return r.member; },         \
        [](TSetInfo& r, std::int32_t v) { r.member = v; }   \
  }
#define QV_SLOT(base, slot, check, edit, key)                                  \
  QV_BOOL(base, HotKeys[slot].Enabled, check, 1),                              \
      QV_INT(base + 4, HotKeys[slot].Id, "", kFirstHotKeyId + slot),           \
      QV_INT(base + 8, HotKeys[slot].Modifiers, edit, kModAlt | kModShift),    \
      QV_INT(base + 12, HotKeys[slot].Key, edit, key)

}  // namespace

const std::vector<SetInfoField>& SetInfoFields() {
  static const std::vector<SetInfoField> fields = {
      QV_BOOL(0, AutoEmptyClipboard, "CheckBox_EmptyClipboard", 0),
      QV_INT(4, AutoTime, "SpinEdit_Time", 1),
      QV_BOOL(8, bStopAuto, "CheckBox_bstopauto", 1),
      QV_INT(12, StopAutoPercent, "SpinEdit_bstopauto", 70),
      QV_BOOL(16, AfterMemTrim, "CheckBox_AfterMemTrim", 0),
      QV_BOOL(17, AutoProcessList, "CheckBox_AutoProcessList", 1),
      QV_INT(20, ProcessListTime, "SpinEdit_ProcessListTime", 2),
      QV_BOOL(24, AutoOptimizeAtStart, "CheckBox_Auto", 0),
      QV_BOOL(25, CloseMinimize, "CheckBox_CloseMinimize", 1),
      QV_BOOL(26, MinimizeStart, "CheckBox_MinimizeStart", 0),
      QV_SLOT(28, 0, "CheckBox_AutoOptimizeReg", "Edit_AutoOptimizeKey", 'A'),
      QV_SLOT(44, 1, "CheckBox_TweakMemoryReg", "Edit_TweakMemoryKey", 'T'),
      QV_SLOT(60, 2, "CheckBox_OpenMainWindowReg", "Edit_OpenMainWindowKey", 'M'),
      QV_SLOT(76, 3, "CheckBox_ProcessExitReg", "Edit_ProcessExitKey", 'E'),
  };
  return fields;
}

#undef QV_SLOT
#undef QV_INT
#undef QV_BOOL

TSetInfo DefaultSetInfo() {
  TSetInfo record;
  for (const SetInfoField& f : SetInfoFields()) f.set(record, f.defaultValue);
  return record;
}

SetInfoBytes EncodeSetInfo(const TSetInfo& record) {
  SetInfoBytes bytes{};
  for (const SetInfoField& f : SetInfoFields()) {
    const auto value = static_cast<std::uint32_t>(f.get(record));
    if (f.size == 1) {
      bytes[f.offset] = value != 0 ? 1 : 0;
    } else {
      for (std::size_t i = 0; i < f.size; ++i) {
        bytes[f.offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
      }
    }
  }
  return bytes;
}

void DecodeSetInfoOver(TSetInfo& record, const std::uint8_t* data, std::size_t size) {
  SetInfoBytes bytes = EncodeSetInfo(record);
  if (size > kSetInfoSize) size = kSetInfoSize;
  for (std::size_t i = 0; i < size; ++i) bytes[i] = data[i];
  for (const SetInfoField& f : SetInfoFields()) {
    if (f.size == 1) {
      f.set(record, bytes[f.offset] != 0 ? 1 : 0);
    } else {
      std::uint32_t value = 0;
      for (std::size_t i = 0; i < f.size; ++i) {
        value |= static_cast<std::uint32_t>(bytes[f.offset + i]) << (8 * i);
      }
      f.set(record, static_cast<std::int32_t>(value));
    }
  }
}

bool ParseInteger(const std::string& text, std::int32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<std::int32_t>::max()) return false;
  value = static_cast<std::int32_t>(signedValue);
  return true;
}

std::int32_t StrToInt(const std::string& text) {
  std::int32_t value = 0;
  if (!ParseInteger(text, value)) throw NotAnInteger("'" + text + "' is not a valid integer value");
  return value;
}

}  // namespace settings
