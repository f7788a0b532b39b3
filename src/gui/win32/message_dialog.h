#pragma once
// A modal message box with any set of the standard buttons, for the sets
// the system's MessageBox lacks.

#include <string>
#include <vector>

namespace gui::win32 {

// Shows the box owned by `owner` (may be null) and runs its modal loop;
// returns the id of the button pressed (IDCANCEL for Escape or the close
// box). `style` supplies the icon bits of a MessageBox style.
int ShowMessageDialog(void* instance, void* owner, const std::string& text,
                      const std::string& caption, unsigned style, const std::vector<int>& buttons);

}  // namespace gui::win32
