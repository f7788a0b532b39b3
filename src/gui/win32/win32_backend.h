#pragma once
// The Win32 backend: real windows for the controls, window timers, message
// boxes and the message loop. Only this folder and platform/win32 include
// <windows.h>.

#include <map>

#include "gui/backend.h"

namespace gui {

class Win32Backend : public Backend {
 public:
  explicit Win32Backend(void* instance);
  ~Win32Backend() override;

  std::unique_ptr<Peer> CreatePeer(TControl& control) override;
  std::vector<TControl*> PeerCreationOrder(const TWinControl& parent) override;
  void TimerChanged(TTimer& timer) override;
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  void RunMessageLoop(TApplication& app) override;
  void ProcessMessages() override;
  void PostQuit() override;
  void RepaintNow(TControl& control) override;
  void MinimizeApplication() override;
  void RestoreApplication() override;
  int TrackPopupMenu(TPopupMenu& menu, int x, int y) override;
  std::uintptr_t NativeHandle(const TControl& control) override;
  std::vector<std::uint8_t> LoadResource(const std::string& name) override;
  void DesktopSize(int& width, int& height) override;
  void RenderText(Bitmap& picture, int x, int y, const std::string& text, const TFont& font,
                  TColor background) override;

  void* Instance() const { return instance_; }
  // Called by the timer window when a timer's interval has passed.
  void OnTimer(unsigned id);

 private:
  void* MainWindow() const;

  void* instance_;
  void* timerWindow_ = nullptr;
  std::map<unsigned, TTimer*> timers_;
  bool quitPosted_ = false;
};

}  // namespace gui
