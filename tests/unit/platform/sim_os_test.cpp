#include "platform/sim/sim_os.h"

#include <gtest/gtest.h>

#include "platform/handles.h"

namespace platform {
namespace {

TEST(SimEvents, BehaveAsNamedManualResetEvents) {
  SimOs os;
  const Handle a = os.CreateEventA(true, false, "E");
  EXPECT_EQ(os.GetLastError(), kErrorSuccess);
  EXPECT_EQ(os.WaitForSingleObject(a, 0), kWaitTimeout);
  const Handle b = os.CreateEventA(true, false, "E");
  EXPECT_EQ(os.GetLastError(), kErrorAlreadyExists);
  os.SetEvent(b);
  EXPECT_EQ(os.WaitForSingleObject(a, 0), kWaitObject0) << "both handles name one event";
  EXPECT_EQ(os.OpenEventA(kEventAllAccess, false, "e"), kNoHandle) << "names are case-sensitive";
  os.CloseHandle(a);
  EXPECT_TRUE(os.EventExists("E"));
  os.CloseHandle(b);
  EXPECT_FALSE(os.EventExists("E")) << "the event goes with its last handle";
  EXPECT_EQ(os.OpenEventA(kEventAllAccess, false, "E"), kNoHandle);
  EXPECT_EQ(os.GetLastError(), kErrorFileNotFound);
}

TEST(SimHandles, OpenHandlesListsWhatWasNeverClosed) {
  SimOs os;
  os.AddKey("HKLM\\Software\\Quorvel");
  HKey key = 0;
  ASSERT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "software\\QUORVEL", 0, kKeyRead, &key), 0);
  const Handle e = os.CreateEventA(true, false, "E");
  EXPECT_EQ(os.OpenHandles().size(), 2u);
  EXPECT_FALSE(os.CloseHandle(12345)) << "closing an unknown handle fails";
  EXPECT_EQ(os.RegCloseKey(key), 0);
  EXPECT_NE(os.RegCloseKey(key), 0) << "a key closes once";
  os.CloseHandle(e);
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SimRegistry, MissingAndDeniedKeys) {
  SimOs os;
  HKey key = 77;
  EXPECT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyRead, &key),
            static_cast<std::int32_t>(kErrorFileNotFound));
  EXPECT_EQ(key, 0u);
  os.DenyKey("HKLM\\Software\\Quorvel");
  EXPECT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyRead, &key),
            static_cast<std::int32_t>(kErrorAccessDenied));
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SimFailures, InjectedFailureLastsUntilHealed) {
  SimOs os;
  os.Fail("CreateEventA", kErrorAccessDenied);
  EXPECT_EQ(os.CreateEventA(true, false, "E"), kNoHandle);
  EXPECT_EQ(os.GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(os.CreateEventA(true, false, "E"), kNoHandle);
  os.Heal("CreateEventA");
  UniqueHandle h(os, os.CreateEventA(true, false, "E"));
  EXPECT_TRUE(h);
}

TEST(UniqueHandles, CloseOnceWhenMovedAndNotWhenReleased) {
  SimOs os;
  {
    UniqueHandle a(os, os.CreateEventA(true, false, "A"));
    UniqueHandle b(std::move(a));
    EXPECT_FALSE(a);
    UniqueHandle c;
    c = std::move(b);
    EXPECT_EQ(os.OpenHandles().size(), 1u);
  }
  EXPECT_TRUE(os.OpenHandles().empty());
  EXPECT_EQ(os.CountCalls("CloseHandle"), 1u) << "a moved-from owner closes nothing";

  Handle raw;
  {
    UniqueHandle d(os, os.CreateEventA(true, false, "D"));
    raw = d.Release();
  }
  EXPECT_EQ(os.OpenHandles().size(), 1u);
  os.CloseHandle(raw);

  {
    UniqueHandle e(os, os.CreateEventA(true, false, "E"));
    e = UniqueHandle(os, os.CreateEventA(true, false, "F"));
    EXPECT_FALSE(os.EventExists("E")) << "assigning over an owner closes the old handle";
  }
  EXPECT_TRUE(os.OpenHandles().empty());
}

}  // namespace
}  // namespace platform
