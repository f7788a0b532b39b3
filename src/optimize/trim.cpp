#include "optimize/trim.h"

namespace optimize {

void TrimWorkingSets(platform::Os& os, const process::TProcessList& list) {
  for (const process::TProcess& p : list) {
    os.SetProcessWorkingSetSize(p.Handle, platform::kTrimAll, platform::kTrimAll);
  }
}

void TrimAllProcesses(platform::Os& os) {
  process::TProcessList list;
  process::FillProcessList(os, list);
  TrimWorkingSets(os, list);
  process::ReleaseProcessList(os, list);
}

}  // namespace optimize
