#pragma once
// The settings record: one fixed-layout binary value of 92 bytes. One table
// describes every field (offset, size, field, control, default); the codec,
// the defaults and the tests all read it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace settings {

inline constexpr std::size_t kSetInfoSize = 92;
inline constexpr int kHotKeySlots = 4;
inline constexpr std::int32_t kFirstHotKeyId = 1331;

// Modifier bits of a hotkey, with the platform's values.
inline constexpr std::int32_t kModAlt = 1;
inline constexpr std::int32_t kModControl = 2;
inline constexpr std::int32_t kModShift = 4;
inline constexpr std::int32_t kModWin = 8;

struct THotKeyRec {
  bool Enabled = false;
  std::int32_t Id = 0;
  std::int32_t Modifiers = 0;
  std::int32_t Key = 0;
  bool operator==(const THotKeyRec& o) const {
    return Enabled == o.Enabled && Id == o.Id && Modifiers == o.Modifiers && Key == o.Key;
  }
  bool operator!=(const THotKeyRec& o) const { return !(*this == o); }
};

using HotKeyTable = std::array<THotKeyRec, kHotKeySlots>;

struct TSetInfo {
  bool AutoEmptyClipboard = false;
  std::int32_t AutoTime = 0;
  bool bStopAuto = false;
  std::int32_t StopAutoPercent = 0;
  bool AfterMemTrim = false;
  bool AutoProcessList = false;
  std::int32_t ProcessListTime = 0;
  bool AutoOptimizeAtStart = false;
  bool CloseMinimize = false;
  bool MinimizeStart = false;
  HotKeyTable HotKeys{};
};

// One field of the stored record. Booleans are one byte, integers four;
// `control` names the settings-page control the field maps to, empty for
// the parts of a hotkey slot that no control shows.
struct SetInfoField {
  std::size_t offset;
  std::size_t size;
  const char* field;
  const char* control;
  std::int32_t defaultValue;
  std::int32_t (*get)(const TSetInfo&);
  void (*set)(TSetInfo&, std::int32_t);
};

// Every field, in stored order. Bytes no field covers are padding.
const std::vector<SetInfoField>& SetInfoFields();

// The program's defaults, from the table.
TSetInfo DefaultSetInfo();

using SetInfoBytes = std::array<std::uint8_t, kSetInfoSize>;

// Little-endian, booleans written as 1, padding as 0.
SetInfoBytes EncodeSetInfo(const TSetInfo& record);
// Lays the first `size` bytes (at most 92 are read) over the record as it
// stands: a shorter value replaces only the bytes it has, so the tail of a
// field it covers in part keeps the record's bytes. Any nonzero byte reads
// as true; padding is ignored.
void DecodeSetInfoOver(TSetInfo& record, const std::uint8_t* data, std::size_t size);

// The integer a decimal text stands for: optional blanks, an optional sign,
// digits, and nothing else; false when it is no such text or does not fit
// in 32 bits.
bool ParseInteger(const std::string& text, std::int32_t& value);
// A text that is no integer. Its message is what the user sees.
class NotAnInteger : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ParseInteger, or NotAnInteger with "'%s' is not a valid integer value".
std::int32_t StrToInt(const std::string& text);

}  // namespace settings
