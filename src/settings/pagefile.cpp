#include "settings/pagefile.h"

#include <cctype>

#include "platform/handles.h"

namespace settings {

std::string GetWindowsDir(platform::Os& os) {
  constexpr std::uint32_t kBufferSize = 255;
  char buffer[kBufferSize + 1] = {};
  const std::uint32_t n = os.GetWindowsDirectoryA(buffer, kBufferSize);
  // A length of the buffer or more is the size the call would need.
  if (n == 0 || n >= kBufferSize) return "";
  std::string dir(buffer, n);
  if (dir.back() != '\\') dir += '\\';
  return dir;
}

std::vector<std::uint8_t> PagingFilesValue(const std::string& windowsDir) {
  if (windowsDir.size() < 2 || windowsDir[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(windowsDir[0]))) {
    return {};
  }
  const std::string entry = windowsDir.substr(0, 2) + "\\pagefile.sys 0 0";
  std::vector<std::uint8_t> data(entry.begin(), entry.end());
  data.push_back(0);
  data.push_back(0);
  return data;
}

bool SetSystemManagedPageFile(platform::Os& os) {
  platform::UniqueKey key =
      platform::OpenKey(os, platform::kHKeyLocalMachine, kMemoryManagementKey, platform::kKeyAllAccess);
  if (!key) return false;
  // Without a drive to name, writing would leave the system no page file
  // it could find: the list stays as it is.
  const std::vector<std::uint8_t> data = PagingFilesValue(GetWindowsDir(os));
  if (data.empty()) return false;
  return os.RegSetValueExA(key.Get(), kPagingFilesValue, platform::kRegMultiSz, data.data(),
                           static_cast<std::uint32_t>(data.size())) == 0;
}

}  // namespace settings
