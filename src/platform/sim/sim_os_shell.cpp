// SimOs: registry writes, the program's paths, hotkeys, icons, the pointer
// and the notification area.

#include <algorithm>
#include <cstring>

#include "platform/sim/sim_os.h"
#include "platform/sim/sim_os_internal.h"

namespace platform {

using sim_internal::Lower;
using sim_internal::RootName;

std::int32_t SimOs::RegCreateKeyExA(HKey root, const std::string& subKey,
                                    std::uint32_t /*options*/, std::uint32_t access,
                                    HKey* result, std::uint32_t* disposition) {
  const std::string path = RootName(root) + "\\" + subKey;
  Log("RegCreateKeyExA(" + path + ")");
  *result = 0;
  if (Failing("RegCreateKeyExA")) return static_cast<std::int32_t>(lastError_);
  const bool existed = keys_.count(Lower(path)) != 0;
  if (!existed) keys_[Lower(path)] = KeyPolicy::Open;
  if (disposition != nullptr) *disposition = existed ? 2 : 1;  // opened / created
  return OpenKnownKey(path, access, result);
}

std::int32_t SimOs::RegSetValueExA(HKey key, const std::string& name, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
  Log("RegSetValueExA(" + name + ")");
  if (Failing("RegSetValueExA")) return static_cast<std::int32_t>(lastError_);
  auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return static_cast<std::int32_t>(kErrorInvalidHandle);
  if ((open->second.access & kKeySetValue) == 0) {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  std::vector<std::uint8_t> bytes;
  if (data != nullptr) bytes.assign(data, data + size);
  values_[Lower(open->second.path)][Lower(name)] = SimRegValue{type, std::move(bytes)};
  return 0;
}

std::int32_t SimOs::RegDeleteValueA(HKey key, const std::string& name) {
  Log("RegDeleteValueA(" + name + ")");
  if (Failing("RegDeleteValueA")) return static_cast<std::int32_t>(lastError_);
  auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return static_cast<std::int32_t>(kErrorInvalidHandle);
  if ((open->second.access & kKeySetValue) == 0) {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  auto values = values_.find(Lower(open->second.path));
  if (values == values_.end() || values->second.erase(Lower(name)) == 0) {
    return static_cast<std::int32_t>(kErrorFileNotFound);
  }
  return 0;
}

std::uint32_t SimOs::GetModuleFileNameA(Handle /*module*/, char* buffer, std::uint32_t size) {
  Log("GetModuleFileNameA");
  if (Failing("GetModuleFileNameA") || size == 0) return 0;
  // As the older systems do: a path that does not fit is cut, terminated.
  const std::size_t copied = std::min<std::size_t>(modulePath.size(), size - 1);
  std::memcpy(buffer, modulePath.data(), copied);
  buffer[copied] = '\0';
  return static_cast<std::uint32_t>(copied);
}

std::uint32_t SimOs::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  Log("GetWindowsDirectoryA");
  if (Failing("GetWindowsDirectoryA")) return 0;
  if (windowsDirectory.size() + 1 > size) return static_cast<std::uint32_t>(windowsDirectory.size() + 1);
  std::memcpy(buffer, windowsDirectory.c_str(), windowsDirectory.size() + 1);
  return static_cast<std::uint32_t>(windowsDirectory.size());
}

void SimOs::HoldHotKeyElsewhere(std::uint32_t modifiers, std::uint32_t key) {
  foreignHotKeys_.emplace_back(modifiers, key);
}

bool SimOs::RegisterHotKey(std::uintptr_t window, int id, std::uint32_t modifiers,
                           std::uint32_t key) {
  Log("RegisterHotKey(" + std::to_string(id) + "," + std::to_string(modifiers) + "," +
      std::to_string(key) + ")");
  if (Failing("RegisterHotKey")) return false;
  const auto same = [&](std::uint32_t m, std::uint32_t k) { return m == modifiers && k == key; };
  for (const auto& [m, k] : foreignHotKeys_) {
    if (same(m, k)) {
      lastError_ = kErrorHotkeyAlreadyRegistered;
      return false;
    }
  }
  for (const SimHotKey& h : hotKeys_) {
    if (same(h.modifiers, h.key) || (h.window == window && h.id == id)) {
      lastError_ = kErrorHotkeyAlreadyRegistered;
      return false;
    }
  }
  hotKeys_.push_back(SimHotKey{window, id, modifiers, key});
  return true;
}

bool SimOs::UnregisterHotKey(std::uintptr_t window, int id) {
  Log("UnregisterHotKey(" + std::to_string(id) + ")");
  if (Failing("UnregisterHotKey")) return false;
  auto it = std::find_if(hotKeys_.begin(), hotKeys_.end(), [&](const SimHotKey& h) {
    return h.window == window && h.id == id;
  });
  if (it == hotKeys_.end()) {
    lastError_ = kErrorHotkeyNotRegistered;
    return false;
  }
  hotKeys_.erase(it);
  return true;
}

Handle SimOs::CreateIconIndirect(const IconImage& image) {
  Log("CreateIconIndirect");
  if (Failing("CreateIconIndirect")) return kNoHandle;
  const auto pixels = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  if (image.width <= 0 || image.height <= 0 || image.bgr.size() != pixels * 3 ||
      image.mask.size() != pixels) {
    lastError_ = kErrorInvalidParameter;
    return kNoHandle;
  }
  const Handle h = NewHandle("icon", std::to_string(image.width) + "x" + std::to_string(image.height));
  icons_[h] = image;
  return h;
}

bool SimOs::DestroyIcon(Handle icon) {
  Log("DestroyIcon");
  if (Failing("DestroyIcon")) return false;
  auto it = handles_.find(icon);
  if (it == handles_.end() || it->second.kind != "icon") {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  handles_.erase(it);
  icons_.erase(icon);
  return true;
}

std::size_t SimOs::LiveIcons() const { return icons_.size(); }

const IconImage* SimOs::IconImageOf(Handle icon) const {
  auto it = icons_.find(icon);
  return it == icons_.end() ? nullptr : &it->second;
}

bool SimOs::GetCursorPos(int* x, int* y) {
  Log("GetCursorPos");
  if (Failing("GetCursorPos")) return false;
  *x = cursorX;
  *y = cursorY;
  return true;
}

bool SimOs::Shell_NotifyIconA(std::uint32_t message, const NotifyIconData* data) {
  if (Logging()) Log("Shell_NotifyIconA(" + std::to_string(message) + ")");
  if (Failing("Shell_NotifyIconA") || !trayAvailable) return false;
  if (data == nullptr || data->cbSize != kNotifyIconDataSize) return false;
  auto it = std::find_if(trayIcons_.begin(), trayIcons_.end(), [&](const SimTrayIcon& t) {
    return t.window == data->hWnd && t.id == data->uID;
  });
  const auto apply = [&](SimTrayIcon& t) {
    if (data->uFlags & kNifMessage) t.callbackMessage = data->uCallbackMessage;
    if (data->uFlags & kNifIcon) t.icon = data->hIcon;
    if (data->uFlags & kNifTip) {
      t.tip.assign(data->szTip, strnlen(data->szTip, sizeof data->szTip));
    }
  };
  switch (message) {
    case kNimAdd: {
      if (it != trayIcons_.end()) return false;
      SimTrayIcon t;
      t.window = data->hWnd;
      t.id = data->uID;
      apply(t);
      trayIcons_.push_back(t);
      return true;
    }
    case kNimModify:
      if (it == trayIcons_.end()) return false;
      apply(*it);
      return true;
    case kNimDelete:
      if (it == trayIcons_.end()) return false;
      trayIcons_.erase(it);
      return true;
    default:
      return false;
  }
}

std::int32_t SimOs::RegCloseKey(HKey key) {
  Log("RegCloseKey");
  if (Failing("RegCloseKey")) return static_cast<std::int32_t>(lastError_);
  if (openKeys_.erase(key) == 0) return static_cast<std::int32_t>(kErrorInvalidHandle);
  return 0;
}

std::int32_t SimOs::RegQueryValueExA(HKey key, const std::string& name, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) {
  Log("RegQueryValueExA(" + name + ")");
  if (Failing("RegQueryValueExA")) return static_cast<std::int32_t>(lastError_);
  auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return static_cast<std::int32_t>(kErrorInvalidHandle);
  const std::optional<SimRegValue> value = GetValue(open->second.path, name);
  if (!value) return static_cast<std::int32_t>(kErrorFileNotFound);
  if (data != nullptr && size == nullptr) return static_cast<std::int32_t>(kErrorInvalidParameter);
  if (type != nullptr) *type = value->type;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (data == nullptr) {
    if (size != nullptr) *size = needed;
    return 0;
  }
  if (*size < needed) {
    *size = needed;
    return static_cast<std::int32_t>(kErrorMoreData);
  }
  std::copy(value->data.begin(), value->data.end(), data);
  *size = needed;
  return 0;
}

}  // namespace platform
