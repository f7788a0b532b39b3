#include "app/command_line.h"

#include <cctype>
#include <vector>

#include "app/rights.h"
#include "monitor/cpu_usage.h"
#include "optimize/memory_lists.h"
#include "optimize/trim.h"
#include "optimize/tweak.h"
#include "platform/handles.h"
#include "settings/settings_store.h"

namespace app {

namespace {

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

CommandLine ParseCommandLine(const std::string& arguments) {
  static const std::string kSwitch = "/optimize";
  for (const std::string& argument : SplitArguments(arguments)) {
    const std::string word = Lower(argument);
    if (word.compare(0, kSwitch.size(), kSwitch) != 0) continue;
    const std::string rest = word.substr(kSwitch.size());
    CommandLine line;
    if (rest.empty()) {
      line.kind = CommandLine::Kind::kOptimize;
      line.level = 1;
    } else if (rest.size() == 2 && rest[0] == ':' && rest[1] >= '1' && rest[1] <= '5') {
      line.kind = CommandLine::Kind::kOptimize;
      line.level = rest[1] - '0';
    } else {
      line.kind = CommandLine::Kind::kMisused;
    }
    return line;
  }
  return CommandLine{};
}

int RunOptimizeCommand(platform::Os& os, int level) {
  // The debug privilege lets the trimming open the system's processes, as
  // it does for the window; without it they are trimmed as far as the
  // user's rights go, silently.
  Rights rights(os, monitor::DetectPlatformFamily(os), [](const std::string&) {});
  (void)rights.EnableDebugPrivilege(false);
  // Nobody watches: a refusal shows no box and is counted instead.
  optimize::TweakProgress unwatched;
  const optimize::TweakResult tweak = optimize::TweakMemory(os, level, unwatched);
  optimize::TrimAllProcesses(os);
  bool refused = tweak.refusals > 0;
  // Read only: the command changes no setting.
  const platform::UniqueKey key = platform::OpenKey(os, platform::kHKeyLocalMachine,
                                                    settings::kSettingsKey, platform::kKeyRead);
  if (key && settings::ReadMemoryListsOption(os, key.Get()) && optimize::MemoryListsAvailable(os)) {
    refused = optimize::EmptyMemoryLists(os).outcome != optimize::MemoryListOutcome::kEmptied || refused;
  }
  return refused ? kCommandRefused : kCommandDone;
}

}  // namespace app
