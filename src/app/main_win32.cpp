// The shipped program's entry: the real system and the real screen.

#include <windows.h>

#include "app/program.h"
#include "gui/win32/win32_backend.h"
#include "platform/win32/win32_os.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  platform::Win32Os os;
  try {
    gui::Win32Backend backend(instance);
    return app::QuorvelMain(os, backend, arguments != nullptr ? arguments : "");
  } catch (const std::exception& e) {
    // Without its timer window the program has no refresh to offer.
    MessageBoxA(nullptr, e.what(), "Quorvel", MB_OK | MB_ICONERROR);
    return 1;
  }
}
