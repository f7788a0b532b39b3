#pragma once
// A run of the program as text, one line per event: each system call, each
// box, and each change of what the user can see between two calls. Repeats
// of one line fold into "line x N". Two runs compare as multi-line strings,
// so a failure prints a line-by-line diff of where the order went wrong.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gui/headless/headless_backend.h"
#include "platform/sim/sim_os.h"

namespace testing_support {

// What the user can see, field by field: a name and its current text.
using Sight = std::vector<std::pair<std::string, std::string>>;

class Sequence {
 public:
  // Records every call `os` makes and every box `backend` shows from now on;
  // `look`, when given, is read before each call and at the end, and each
  // field that changed since the last reading becomes a line "name: text".
  Sequence(platform::SimOs& os, gui::HeadlessBackend& backend, std::function<Sight()> look = nullptr)
      : os_(os), look_(std::move(look)) {
    if (look_) seen_ = look_();
    os_.onCall = [this](const std::string& call) {
      Look();
      lines_.push_back(call);
    };
    backend.WhileBoxOpen = [this](const gui::ShownBox& box) {
      Look();
      lines_.push_back("box: " + box.text.substr(0, box.text.find_first_of("\r\n")));
    };
  }
  ~Sequence() { os_.onCall = nullptr; }
  Sequence(const Sequence&) = delete;
  Sequence& operator=(const Sequence&) = delete;

  // The run so far, folded, one event per line.
  std::string Text() {
    Look();
    std::string text;
    for (std::size_t i = 0; i < lines_.size();) {
      std::size_t j = i;
      while (j < lines_.size() && lines_[j] == lines_[i]) ++j;
      text += lines_[i];
      if (j - i > 1) text += " x" + std::to_string(j - i);
      text += '\n';
      i = j;
    }
    return text;
  }

 private:
  void Look() {
    if (!look_) return;
    const Sight now = look_();
    for (std::size_t f = 0; f < now.size(); ++f) {
      if (f >= seen_.size() || seen_[f] != now[f]) {
        lines_.push_back(now[f].first + ": " + now[f].second);
      }
    }
    seen_ = now;
  }

  platform::SimOs& os_;
  std::function<Sight()> look_;
  Sight seen_;
  std::vector<std::string> lines_;
};

// Lines as one text, for the expected side of a comparison.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

}  // namespace testing_support
