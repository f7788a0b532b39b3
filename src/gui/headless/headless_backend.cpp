#include "gui/headless/headless_backend.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#ifndef QUORVEL_ART_DIR
#define QUORVEL_ART_DIR ""
#endif

namespace gui {

std::unique_ptr<Peer> HeadlessBackend::CreatePeer(TControl& control) {
  if (WhileCreatingPeer) WhileCreatingPeer(control);
  return nullptr;
}

void HeadlessBackend::TimerChanged(TTimer& timer) {
  // As with SetTimer, a change re-arms the timer from now.
  armed_.erase(timer.TimerId());
  if (timer.Enabled() && timer.Interval() > 0) {
    armed_[timer.TimerId()] = Armed{&timer, now_ + timer.Interval(), sequence_++};
  }
}

bool HeadlessBackend::TimerArmed(const TTimer& timer) const {
  auto it = armed_.find(timer.TimerId());
  return it != armed_.end() && it->second.timer == &timer;
}

void HeadlessBackend::AdvanceBy(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  for (;;) {
    ProcessMessages();
    const Armed* next = nullptr;
    for (const auto& [id, armed] : armed_) {
      if (armed.due > target) continue;
      if (next == nullptr || armed.due < next->due ||
          (armed.due == next->due && armed.sequence < next->sequence)) {
        next = &armed;
      }
    }
    if (next == nullptr) break;
    TTimer* timer = next->timer;
    if (next->due > now_) now_ = next->due;
    // Re-arm before firing, so a handler that disables its timer wins.
    armed_[timer->TimerId()] = Armed{timer, now_ + timer->Interval(), sequence_++};
    timer->Fire();
  }
  now_ = target;
}

int HeadlessBackend::ShowMessageBox(const std::string& text, const std::string& caption,
                                unsigned style) {
  ShownBox box{text, caption, style, 0};
  if (WhileBoxOpen) WhileBoxOpen(box);
  if (!answers_.empty()) {
    box.answer = answers_.front();
    answers_.pop_front();
  } else {
    switch (style & mb::kButtonMask) {
      case mb::kYesNo:
      case mb::kYesNoCancel:
      case mb::kYesCancel: box.answer = mrYes; break;
      default: box.answer = mrOk; break;
    }
  }
  boxes_.push_back(box);
  return box.answer;
}

int HeadlessBackend::TrackPopupMenu(TPopupMenu&, int x, int y) {
  ++menusShown_;
  lastMenuX_ = x;
  lastMenuY_ = y;
  if (menuChoices_.empty()) return 0;
  const int choice = menuChoices_.front();
  menuChoices_.pop_front();
  return choice;
}

std::vector<std::uint8_t> HeadlessBackend::LoadResource(const std::string& name) {
  std::string file = name;
  std::transform(file.begin(), file.end(), file.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::string dir = resourceDir_.empty() ? QUORVEL_ART_DIR : resourceDir_;
  std::ifstream in(dir + "/" + file + ".jpg", std::ios::binary);
  if (!in) return {};
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void HeadlessBackend::RenderText(Bitmap& picture, int x, int y, const std::string& text,
                                 const TFont& font, TColor background) {
  const int cellHeight = font.height < 0 ? -font.height : font.height;
  const int cellWidth = (cellHeight + 1) / 2;
  const auto put = [&](int px, int py, TColor c) {
    if (px >= 0 && py >= 0 && px < picture.Width() && py < picture.Height()) {
      picture.SetPixel(px, py, c);
    }
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int left = x + static_cast<int>(i) * cellWidth;
    for (int py = y; py < y + cellHeight; ++py) {
      for (int px = left; px < left + cellWidth; ++px) put(px, py, background);
    }
    if (text[i] != ' ') put(left + cellWidth / 2, y + cellHeight / 2, font.color);
  }
}

void HeadlessBackend::RunMessageLoop(TApplication& app) {
  // No input arrives on its own here: the loop drains what was posted and
  // hands control back to the test, which drives time and input itself.
  while (!app.Terminated() && !posted_.empty()) ProcessMessages();
}

void HeadlessBackend::ProcessMessages() {
  // As a PeekMessage loop does: each message leaves the one queue before it
  // runs, so a handler that pumps in turn takes the next one, nested inside
  // itself; messages posted meanwhile are handled in the same pass.
  while (!posted_.empty()) {
    std::function<void()> message = std::move(posted_.front());
    posted_.pop_front();
    if (HasApplication()) {
      Application().Dispatch(message);
    } else {
      message();
    }
  }
}

}  // namespace gui
