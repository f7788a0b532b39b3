#pragma once
// The rights step: enable the debug privilege so that the processes of the
// system and of other users can be opened.

#include <functional>
#include <string>

#include "monitor/cpu_usage.h"
#include "platform/os.h"

namespace app {

using ShowErrorBox = std::function<void(const std::string& text)>;

class Rights {
 public:
  Rights(platform::Os& os, monitor::PlatformFamily family, ShowErrorBox showError)
      : os_(os), family_(family), showError_(std::move(showError)) {}

  // False only when the process token cannot be opened on the NT family.
  // The 9x family has no tokens: true without calling anything.
  bool ReadTokenPrivileges();
  // False when the adjustment fails or assigns nothing (the user does not
  // hold the privilege). The 9x family: true without calling anything.
  bool EnableDebugPrivilege(bool restore);

  const platform::TokenPrivileges1& SavedPrivileges() const { return saved_; }

 private:
  bool HasTokens() const { return family_ != monitor::PlatformFamily::Windows9x; }

  platform::Os& os_;
  monitor::PlatformFamily family_;
  ShowErrorBox showError_;
  platform::TokenPrivileges1 saved_{};
};

}  // namespace app
