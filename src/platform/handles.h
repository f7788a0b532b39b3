#pragma once
// Owning wrappers for the handle values that Os hands out, so that a path
// that throws still closes what it opened. Move-only: a copy would close twice.

#include <string>
#include <utility>

#include "platform/os.h"

namespace platform {

template <typename Value, typename Traits>
class UniqueOsObject {
 public:
  UniqueOsObject() = default;
  UniqueOsObject(Os& os, Value value) : os_(&os), value_(value) {}
  ~UniqueOsObject() { Reset(); }

  UniqueOsObject(const UniqueOsObject&) = delete;
  UniqueOsObject& operator=(const UniqueOsObject&) = delete;
  UniqueOsObject(UniqueOsObject&& other) noexcept
      : os_(other.os_), value_(std::exchange(other.value_, Value{})) {}
  UniqueOsObject& operator=(UniqueOsObject&& other) noexcept {
    if (this != &other) {
      Reset();
      os_ = other.os_;
      value_ = std::exchange(other.value_, Value{});
    }
    return *this;
  }

  Value Get() const { return value_; }
  explicit operator bool() const { return value_ != Value{}; }

  [[nodiscard]] Value Release() { return std::exchange(value_, Value{}); }

  void Reset() {
    if (os_ != nullptr && value_ != Value{}) Traits::Close(*os_, value_);
    value_ = Value{};
  }

 private:
  Os* os_ = nullptr;
  Value value_{};
};

struct HandleTraits {
  static void Close(Os& os, Handle h) { os.CloseHandle(h); }
};
struct KeyTraits {
  static void Close(Os& os, HKey k) { os.RegCloseKey(k); }
};

struct IconTraits {
  static void Close(Os& os, Handle icon) { os.DestroyIcon(icon); }
};

using UniqueHandle = UniqueOsObject<Handle, HandleTraits>;
using UniqueIcon = UniqueOsObject<Handle, IconTraits>;
using UniqueKey = UniqueOsObject<HKey, KeyTraits>;

// The key at `path` under `root`, opened with `access`; empty when the
// system refuses it.
inline UniqueKey OpenKey(Os& os, HKey root, const std::string& path, std::uint32_t access) {
  HKey raw = 0;
  if (os.RegOpenKeyExA(root, path, 0, access, &raw) != 0) return UniqueKey();
  return UniqueKey(os, raw);
}

// The key at `path` under `root` with all access, made where it is missing;
// empty when the system refuses it.
inline UniqueKey CreateKey(Os& os, HKey root, const std::string& path) {
  HKey raw = 0;
  if (os.RegCreateKeyExA(root, path, kRegOptionNonVolatile, kKeyAllAccess, &raw, nullptr) != 0) {
    return UniqueKey();
  }
  return UniqueKey(os, raw);
}

}  // namespace platform
