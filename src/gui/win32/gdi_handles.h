#pragma once
// Owners for the GDI objects and device contexts the backend makes, so each
// is released on every path, a throwing one included. Move-only: a copy
// would delete twice.

#include <windows.h>

#include <utility>

#include "platform/win32/win32_glue.h"

namespace gui::win32 {

template <typename T, typename Traits>
class UniqueGdi {
 public:
  UniqueGdi() = default;
  explicit UniqueGdi(T value) : value_(value) {}
  ~UniqueGdi() { Reset(); }
  UniqueGdi(const UniqueGdi&) = delete;
  UniqueGdi& operator=(const UniqueGdi&) = delete;
  UniqueGdi(UniqueGdi&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  UniqueGdi& operator=(UniqueGdi&& other) noexcept {
    if (this != &other) {
      Reset();
      value_ = std::exchange(other.value_, nullptr);
    }
    return *this;
  }
  T Get() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }
  [[nodiscard]] T Release() { return std::exchange(value_, nullptr); }
  void Reset() {
    if (value_ != nullptr) Traits::Close(value_);
    value_ = nullptr;
  }

 private:
  T value_ = nullptr;
};

struct GdiObjectTraits {
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits {
  static void Close(HDC h) { DeleteDC(h); }
};
struct IconTraits {
  static void Close(HICON h) { DestroyIcon(h); }
};

using UniqueBitmap = UniqueGdi<HBITMAP, GdiObjectTraits>;
using UniqueMemoryDc = UniqueGdi<HDC, MemoryDcTraits>;
using UniqueHicon = UniqueGdi<HICON, IconTraits>;

using UniquePen = UniqueGdi<HPEN, GdiObjectTraits>;

// A window's device context, given back to its window.
class WindowDc {
 public:
  // `whole`: the whole window with its frame, else the client area.
  WindowDc(HWND hwnd, bool whole) : hwnd_(hwnd), dc_(whole ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The device context's state, clipping and origin included, put back when
// the drawing that changed it ends, on every path.
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDc() {
    if (saved_ != 0) RestoreDC(dc_, saved_);
  }
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// The pictures' bitmap header, shared with the system interface.
using platform::win32::Rgb24Stride;
using platform::win32::TopDownRgb24;

}  // namespace gui::win32
