#include "optimize/auto_optimize.h"

#include "monitor/memory_status.h"
#include "optimize/trim.h"
#include "optimize/tweak.h"

namespace optimize {

bool AutoTickPhase = false;

bool EnoughMemoryAvailable(const platform::MemoryStatusEx& m, int percent) {
  return static_cast<double>(percent) / 100.0 <=
         static_cast<double>(m.ullAvailPhys) / static_cast<double>(m.ullTotalPhys);
}

void CleanClipboard(platform::Os& os) {
  os.OpenClipboard(0);
  os.EmptyClipboard();
  os.CloseClipboard();
}

}  // namespace optimize
