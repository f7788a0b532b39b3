#include "settings/pagefile.h"

#include <cctype>

#include "app/frmmain.h"
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

}  // namespace settings

namespace app {

void TForm_Zentor::SpeedButton_SetVMClick() {
  if (gui::MessageDlg(settings::kPageFileQuestion, gui::TMsgDlgType::mtConfirmation,
                      gui::TMsgDlgButtons::mbOKCancel) != gui::mrOk) {
    return;
  }
  platform::HKey raw = 0;
  if (os_.RegOpenKeyExA(platform::kHKeyLocalMachine, settings::kMemoryManagementKey, 0,
                        platform::kKeyAllAccess, &raw) != 0) {
    return;
  }
  platform::UniqueKey key(os_, raw);
  // Without a drive to name, writing would leave the system no page file
  // it could find: the list stays as it is.
  const std::vector<std::uint8_t> data = settings::PagingFilesValue(settings::GetWindowsDir(os_));
  if (data.empty()) return;
  if (os_.RegSetValueExA(key.Get(), settings::kPagingFilesValue, platform::kRegMultiSz,
                         data.data(), static_cast<std::uint32_t>(data.size())) != 0) {
    return;
  }
  gui::MessageDlg(settings::kPageFileDone, gui::TMsgDlgType::mtInformation,
                  gui::TMsgDlgButtons::mbOK);
}

}  // namespace app
