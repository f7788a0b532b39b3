#include "app/instance.h"

namespace app {

using platform::UniqueHandle;

bool IsAnotherInstanceRunning(platform::Os& os) {
  UniqueHandle event(os, os.OpenEventA(platform::kEventAllAccess, false, kInstanceEventName));
  if (!event) return false;
  return os.WaitForSingleObject(event.Get(), 0) == platform::kWaitObject0;
}

UniqueHandle MarkInstanceRunning(platform::Os& os) {
  UniqueHandle event(os, os.CreateEventA(true, false, kInstanceEventName));
  if (event) os.SetEvent(event.Get());
  return event;
}

void ClearInstanceMark(platform::Os& os) {
  UniqueHandle event(os, os.OpenEventA(platform::kEventAllAccess, false, kInstanceEventName));
  if (event) os.ResetEvent(event.Get());
}

}  // namespace app
