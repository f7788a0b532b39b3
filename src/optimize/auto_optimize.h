#pragma once
// Automatic optimization: every process trimmed on a timer, optionally only
// while little physical memory is available, optionally with the clipboard
// emptied each time; and clipboard cleaning on its own.

#include "platform/os.h"

namespace optimize {

inline constexpr const char* kAutoRunningText = "Auto optimizing...";
inline constexpr const char* kAutoRunningTextLong = "Auto optimizing......";
inline constexpr const char* kAutoTweakingText = "Auto optimizing(Tweak memory)";
inline constexpr const char* kStartAutoCaption = "Start auto optimize";
inline constexpr const char* kStopAutoCaption = "Stop auto optimize";
inline constexpr const char* kClipboardCleanedText = "Clipboard has been cleaned!";

// True when a tick has nothing to do: at least `percent` percent of physical
// memory is available (compared as floating-point shares, so exactly
// `percent` percent counts as enough).
bool EnoughMemoryAvailable(const platform::MemoryStatusEx& m, int percent);

// Open, empty, close, each result ignored: a clipboard another program
// holds stays as it is.
void CleanClipboard(platform::Os& os);

// Flipped at every tick and never reset: the hidden label alternates
// between three dots and six.
extern bool AutoTickPhase;

}  // namespace optimize
