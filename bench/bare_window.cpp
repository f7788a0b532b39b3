// The least a window program can do at start: one top-level window of the
// main window's size and style, shown at once. scripts/bench-start times
// Quorvel.exe's start against this one's, so what both pay alike (loading
// the same system DLLs, the common-controls manifest, Wine's own start of
// a process) cancels out of the ratio.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdlib>

#include "app/control_ids.h"

namespace {

// The loader maps a DLL only when the exe imports something from it: one
// function of each DLL Quorvel.exe imports from keeps the two lists alike
// (scripts/bench-start compares them before it times anything). Kept,
// though nothing reads it, so the linker keeps the imports.
[[gnu::used]] const void* const kImports[] = {
    reinterpret_cast<const void*>(&RegOpenKeyExA),       // advapi32
    reinterpret_cast<const void*>(&InitCommonControls),  // comctl32
    reinterpret_cast<const void*>(&CreateFontA),         // gdi32
    reinterpret_cast<const void*>(&CoCreateInstance),    // ole32
    reinterpret_cast<const void*>(&SysFreeString),       // oleaut32
    reinterpret_cast<const void*>(&Shell_NotifyIconA),   // shell32
    reinterpret_cast<const void*>(&std::getenv),         // msvcrt
};

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      // The timing probe ends both programs with the tray menu's Exit.
      if (LOWORD(wParam) == app::ids::kMenuExit) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "QuorvelBareWindow";
  if (RegisterClassA(&wc) == 0) return 1;
  // The main window's style and its size, frame included.
  constexpr DWORD kStyle = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
  HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, wc.lpszClassName, "Bare window", kStyle, 126, 103,
                              772, 562, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return 1;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
