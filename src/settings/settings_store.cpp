// The settings page as the working copy of the stored record: load, save,
// restore the defaults, apply the intervals to the running timers, and the
// start-with-Windows entry.

#include "settings/settings_store.h"

#include <algorithm>
#include <vector>

#include "platform/handles.h"
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

std::string StoreErrorText(StoreError error, const std::string& valueName) {
  switch (error) {
    case StoreError::kNone: return "";
    case StoreError::kInvalidType: return "Invalid data type for '" + valueName + "'";
    case StoreError::kReadFailed: return "Failed to get data for '" + valueName + "'";
    case StoreError::kWriteFailed: return "Failed to set data for '" + valueName + "'";
  }
  return "";
}

StoredRecord ReadSettingsRecord(platform::Os& os, platform::HKey key) {
  StoredRecord stored;
  stored.record = DefaultSetInfo();
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (os.RegQueryValueExA(key, kSettingsValue, &type, nullptr, &size) != 0) return stored;  // none
  if (type == platform::kRegSz || type == platform::kRegExpandSz || type == platform::kRegDword ||
      size > kSetInfoSize) {
    stored.error = StoreError::kInvalidType;
    return stored;
  }
  std::vector<std::uint8_t> data(std::max<std::uint32_t>(size, 1));
  std::uint32_t got = size;
  if (os.RegQueryValueExA(key, kSettingsValue, &type, data.data(), &got) != 0 || got > kSetInfoSize) {
    stored.error = StoreError::kReadFailed;
    return stored;
  }
  DecodeSetInfoOver(stored.record, data.data(), got);
  return stored;
}

StoreError WriteSettingsRecord(platform::Os& os, platform::HKey key, const TSetInfo& record) {
  const SetInfoBytes bytes = EncodeSetInfo(record);
  if (os.RegSetValueExA(key, kSettingsValue, platform::kRegBinary, bytes.data(),
                        static_cast<std::uint32_t>(bytes.size())) != 0) {
    return StoreError::kWriteFailed;
  }
  return StoreError::kNone;
}

bool ReadMemoryListsOption(platform::Os& os, platform::HKey key) {
  std::uint8_t data[4] = {};
  std::uint32_t type = 0;
  std::uint32_t size = sizeof data;
  if (os.RegQueryValueExA(key, kMemoryListsValue, &type, data, &size) != 0) return false;
  return type == platform::kRegDword && size == sizeof data && (data[0] & 1) != 0;
}

StoreError WriteMemoryListsOption(platform::Os& os, platform::HKey key, bool on) {
  const std::uint8_t data[4] = {static_cast<std::uint8_t>(on ? 1 : 0), 0, 0, 0};
  if (os.RegSetValueExA(key, kMemoryListsValue, platform::kRegDword, data, sizeof data) != 0) {
    return StoreError::kWriteFailed;
  }
  return StoreError::kNone;
}

bool StartupEntryRegistered(platform::Os& os) {
  platform::UniqueKey runKey = platform::CreateKey(os, platform::kHKeyLocalMachine, kRunKey);
  if (!runKey) return false;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (os.RegQueryValueExA(runKey.Get(), kRunValue, &type, nullptr, &size) != 0 ||
      type != platform::kRegSz) {
    return false;
  }
  std::vector<std::uint8_t> data(std::max<std::uint32_t>(size, 1));
  std::uint32_t got = size;
  if (os.RegQueryValueExA(runKey.Get(), kRunValue, &type, data.data(), &got) != 0) return false;
  got = std::min<std::uint32_t>(got, static_cast<std::uint32_t>(data.size()));
  std::string stored(reinterpret_cast<const char*>(data.data()), got);
  stored = stored.substr(0, stored.find('\0'));
  return StartupEntryNamesProgram(stored, ExecutablePath(os));
}

StoreError WriteStartupEntry(platform::Os& os, bool startWithWindows) {
  platform::UniqueKey runKey = platform::CreateKey(os, platform::kHKeyLocalMachine, kRunKey);
  if (startWithWindows) {
    const std::string text = StartupEntryText(ExecutablePath(os));
    if (!runKey ||
        os.RegSetValueExA(runKey.Get(), kRunValue, platform::kRegSz,
                          reinterpret_cast<const std::uint8_t*>(text.c_str()),
                          static_cast<std::uint32_t>(text.size() + 1)) != 0) {
      return StoreError::kWriteFailed;
    }
  } else if (runKey) {
    // An absent value is what was wanted: the result does not matter.
    os.RegDeleteValueA(runKey.Get(), kRunValue);
  }
  return StoreError::kNone;
}

}  // namespace settings
