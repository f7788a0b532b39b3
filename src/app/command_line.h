#pragma once
// The command line: "/optimize" and "/optimize:LEVEL" run one overall
// optimization with no window, for the Task Scheduler; anything else
// starts the program as usual.

#include <string>

#include "platform/os.h"

namespace app {

inline constexpr const char* kCommandLineUsage =
    "Use /optimize or /optimize:LEVEL, LEVEL from 1 to 5.";

// Exit codes of the command.
inline constexpr int kCommandDone = 0;
inline constexpr int kCommandRefused = 1;  // the commit charge or the memory lists refused
inline constexpr int kCommandMisused = 2;

struct CommandLine {
  enum class Kind { kStart, kOptimize, kMisused };
  Kind kind = Kind::kStart;
  int level = 0;  // for kOptimize, 1 to 5
};

// The arguments after the program's name, as WinMain receives them, split
// at blanks and tabs, a quoted argument kept whole. The first argument that
// begins with "/optimize" (in any letter case) decides: by itself it is
// level 1, followed by ":" and one digit from 1 to 5 that level, followed
// by anything else a misuse. Other arguments are ignored.
CommandLine ParseCommandLine(const std::string& arguments);

// One overall optimization at `level`, without a window or a box: the
// tweak, every process trimmed, and the memory lists emptied when the
// stored option says so and the system can. It reads the settings key but
// writes nothing, and knows nothing of a running instance. kCommandDone, or
// kCommandRefused when the tweak's commit or the memory-list step was
// refused.
int RunOptimizeCommand(platform::Os& os, int level);

}  // namespace app
