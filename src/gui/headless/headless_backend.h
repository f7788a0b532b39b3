#pragma once
// The test backend: no windows, a virtual clock that fires timers in time
// order, and message boxes answered from a script.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/backend.h"

namespace gui {

struct ShownBox {
  std::string text;
  std::string caption;
  unsigned style = 0;
  int answer = 0;
};

class HeadlessBackend : public Backend {
 public:
  std::unique_ptr<Peer> CreatePeer(TControl& control) override;
  void TimerChanged(TTimer& timer) override;
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  void RunMessageLoop(TApplication& app) override;
  void ProcessMessages() override;
  void PostQuit() override { quitPosted_ = true; }
  void RepaintNow(TControl& control) override { repainted_.push_back(control.ControlId()); }
  // Control ids of the immediate repaints asked for, in order.
  const std::vector<int>& Repainted() const { return repainted_; }
  void MinimizeApplication() override {}
  void RestoreApplication() override {}
  int TrackPopupMenu(TPopupMenu& menu, int x, int y) override;
  std::uintptr_t NativeHandle(const TControl& control) override {
    return 0x10000u + static_cast<std::uintptr_t>(control.ControlId());
  }
  std::vector<std::uint8_t> LoadResource(const std::string& name) override;
  // Pictures are read from this folder, one file per resource name
  // (lower case, ".jpg").
  void SetResourceDir(std::string dir) { resourceDir_ = std::move(dir); }
  // The command the next popup menu returns (0: dismissed).
  void ScriptMenuChoice(int commandId) { menuChoices_.push_back(commandId); }
  int MenusShown() const { return menusShown_; }
  // Where the last popup menu opened, in screen coordinates.
  int LastMenuX() const { return lastMenuX_; }
  int LastMenuY() const { return lastMenuY_; }
  // Text in a stand-in font: each character a cell half the font's height
  // wide (rounded up) and as high as the font, in the background colour;
  // a character other than a blank puts one pixel of the font's colour in
  // the middle of its cell.
  void RenderText(Bitmap& picture, int x, int y, const std::string& text, const TFont& font,
                  TColor background) override;
  void DesktopSize(int& width, int& height) override {
    width = 1024;
    height = 768;
  }

  // Virtual time in milliseconds since the backend was made.
  std::uint64_t Now() const { return now_; }
  // Lets time pass, firing every timer that falls due, in order.
  void AdvanceBy(std::uint64_t ms);
  bool TimerArmed(const TTimer& timer) const;

  // Queues a posted message: a handler run by the next ProcessMessages or loop.
  void Post(std::function<void()> message) { posted_.push_back(std::move(message)); }

  // The answer the next box gets; without one, a box takes its first button.
  void ScriptAnswer(int modalResult) { answers_.push_back(modalResult); }
  // Runs while a box is open, before it is answered (time may pass here).
  std::function<void(const ShownBox&)> WhileBoxOpen;
  // Runs as each control is given its peer; may throw, as a Win32 backend
  // does when the system refuses a window.
  std::function<void(TControl&)> WhileCreatingPeer;
  const std::vector<ShownBox>& Boxes() const { return boxes_; }
  void ClearBoxes() { boxes_.clear(); }

  bool QuitPosted() const { return quitPosted_; }

 private:
  struct Armed {
    TTimer* timer;
    std::uint64_t due;
    std::uint64_t sequence;  // keeps ties in arming order
  };
  std::map<int, Armed> armed_;  // by timer id
  std::uint64_t now_ = 0;
  std::uint64_t sequence_ = 0;
  std::deque<std::function<void()>> posted_;
  std::deque<int> answers_;
  std::vector<ShownBox> boxes_;
  bool quitPosted_ = false;
  std::string resourceDir_;
  std::deque<int> menuChoices_;
  int menusShown_ = 0;
  int lastMenuX_ = 0;
  int lastMenuY_ = 0;
  std::vector<int> repainted_;
};

}  // namespace gui
