#pragma once
// Win32 pieces that both the system interface and the GUI backend need, in
// one place: the pictures' bitmap header and the system's error texts.

#include <windows.h>

#include <string>

namespace platform::win32 {

// The pictures' own form as a device-independent bitmap: 24-bit blue,
// green, red, top row first, each row padded to four bytes.
inline BITMAPINFO TopDownRgb24(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}
inline int Rgb24Stride(int width) { return (width * 3 + 3) & ~3; }

// The system's text for an error code, as a sentence's body: without the
// line break, blanks and full stop it ends in. Empty for code 0 and for a
// code the system has no text for.
inline std::string SystemMessage(DWORD code) {
  if (code == 0) return "";
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message;
  if (n > 0 && text != nullptr) message.assign(text, n);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

}  // namespace platform::win32
