#pragma once
// A small simulated machine for the optimization tests: processes that the
// program can open with full access, with query rights only, or not at all.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_os.h"

namespace optimize::testing {

inline constexpr std::uint32_t kMB = 1048576;
inline constexpr std::uint32_t kKB = 1024;

inline platform::SimProcess Proc(std::uint32_t pid, const std::string& name,
                                 std::uint32_t workingSet, std::uint32_t minimum) {
  platform::SimProcess p;
  p.pid = pid;
  p.parentPid = 4;
  p.exeName = name;
  p.path = "C:\\Programs\\" + name;
  p.workingSet = workingSet;
  p.peakWorkingSet = workingSet;
  p.minimumWorkingSet = minimum;
  return p;
}

inline constexpr std::uint32_t kSelfPid = 1200;

// Six processes; three (400, 900 and the program itself, 1200) can be
// opened with full access, and trimming them frees 11.5 MB.
inline void AddMachine(platform::SimOs& os) {
  platform::SimProcess idle = Proc(0, "[System Process]", 0, 0);
  idle.refuseAllAccess = true;
  os.AddProcess(idle);
  platform::SimProcess system = Proc(4, "System", 2 * kMB, 256 * kKB);
  system.refuseFullAccess = true;
  os.AddProcess(system);
  os.AddProcess(Proc(400, "winlogon.exe", 4 * kMB, 512 * kKB));
  os.AddProcess(Proc(900, "svchost.exe", 8 * kMB, 1 * kMB));
  os.AddProcess(Proc(kSelfPid, "Quorvel.exe", 3 * kMB, 1 * kMB));
  platform::SimProcess otherUser = Proc(1500, "other.exe", 6 * kMB, 1 * kMB);
  otherUser.refuseFullAccess = true;
  os.AddProcess(otherUser);
}

inline constexpr std::uint32_t kFreedByTrim = (4 * kMB - 512 * kKB) + (8 * kMB - 1 * kMB) +
                                              (3 * kMB - 1 * kMB);
inline const std::vector<std::uint32_t> kTrimmable{400, 900, kSelfPid};

// What the system holds open, without what the running program keeps for
// its whole life: the instance mark, its hotkeys and the one icon the tray
// shows.
inline std::vector<std::string> OpenBesidesInstanceMark(const platform::SimOs& os) {
  std::vector<std::string> open;
  int icons = 0;
  for (const std::string& h : os.OpenHandles()) {
    if (h == "event QuorvelEvent20070409" || h.rfind("hotkey ", 0) == 0) continue;
    if (h.rfind("icon ", 0) == 0 && ++icons == 1) continue;
    open.push_back(h);
  }
  return open;
}

}  // namespace optimize::testing
