// The simulated system's registry writes, paths, hotkeys, icons and
// notification area behave as the real calls do where the program relies
// on them.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/handles.h"
#include "platform/sim/sim_os.h"

namespace platform {
namespace {

constexpr const char* kKey = "HKLM\\Software\\Quorvel";

TEST(SimRegistryWrites, CreateOpensOrMakesTheKeyAndWritesNeedWriteAccess) {
  SimOs os;
  HKey key = 0;
  std::uint32_t disposition = 0;
  ASSERT_EQ(os.RegCreateKeyExA(kHKeyLocalMachine, "Software\\Quorvel", kRegOptionNonVolatile,
                               kKeyAllAccess, &key, &disposition),
            0);
  EXPECT_EQ(disposition, 1u) << "created";
  const std::uint8_t bytes[] = {1, 2, 3};
  EXPECT_EQ(os.RegSetValueExA(key, "Value", kRegBinary, bytes, 3), 0);
  EXPECT_EQ(os.GetValue(kKey, "VALUE")->data, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(os.RegDeleteValueA(key, "value"), 0);
  EXPECT_EQ(os.RegDeleteValueA(key, "value"), static_cast<std::int32_t>(kErrorFileNotFound));
  os.RegCloseKey(key);
  ASSERT_EQ(os.RegCreateKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyAllAccess, &key,
                               &disposition),
            0);
  EXPECT_EQ(disposition, 2u) << "opened";
  os.RegCloseKey(key);

  ASSERT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyRead, &key), 0);
  EXPECT_EQ(os.RegSetValueExA(key, "Value", kRegBinary, bytes, 3),
            static_cast<std::int32_t>(kErrorAccessDenied))
      << "a key opened for reading takes no writes";
  os.RegCloseKey(key);
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(SimRegistryWrites, ReadOnlyKeyOpensForReadingOnly) {
  SimOs os;
  os.SetValue(kKey, "QuorvelSetInfo", kRegBinary, {7});
  os.RefuseFullAccess(kKey);
  HKey key = 0;
  EXPECT_EQ(os.RegCreateKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyAllAccess, &key,
                               nullptr),
            static_cast<std::int32_t>(kErrorAccessDenied));
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyAllAccess, &key),
            static_cast<std::int32_t>(kErrorAccessDenied));
  ASSERT_EQ(os.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Quorvel", 0, kKeyRead, &key), 0);
  os.RegCloseKey(key);
  os.Fail("RegCreateKeyExA", kErrorAccessDenied);
  EXPECT_NE(os.RegCreateKeyExA(kHKeyLocalMachine, "Software\\Other", 0, kKeyAllAccess, &key,
                               nullptr),
            0);
  EXPECT_FALSE(os.KeyExists("HKLM\\Software\\Other"));
}

TEST(SimPaths, ModuleAndWindowsDirectoryFollowTheSystemsBufferRules) {
  SimOs os;
  os.modulePath = "C:\\Q\\Quorvel.exe";
  char buffer[32];
  EXPECT_EQ(os.GetModuleFileNameA(kNoHandle, buffer, sizeof buffer), 16u);
  EXPECT_STREQ(buffer, "C:\\Q\\Quorvel.exe");
  char small[5];
  EXPECT_EQ(os.GetModuleFileNameA(kNoHandle, small, sizeof small), 4u);
  EXPECT_STREQ(small, "C:\\Q") << "cut to the buffer and terminated";
  os.windowsDirectory = "C:\\WINDOWS";
  EXPECT_EQ(os.GetWindowsDirectoryA(buffer, sizeof buffer), 10u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS");
  EXPECT_EQ(os.GetWindowsDirectoryA(small, sizeof small), 11u) << "the size it would need";
}

TEST(SimHotKeys, ACombinationIsHeldOnceAcrossWindowsAndPrograms) {
  SimOs os;
  EXPECT_TRUE(os.RegisterHotKey(1, 1331, 5, 'A'));
  EXPECT_FALSE(os.RegisterHotKey(2, 9, 5, 'A')) << "another window, same combination";
  EXPECT_EQ(os.GetLastError(), kErrorHotkeyAlreadyRegistered);
  EXPECT_FALSE(os.RegisterHotKey(1, 1331, 5, 'B')) << "the same id of the same window";
  EXPECT_TRUE(os.RegisterHotKey(1, 1332, 4, 'A')) << "other modifiers are another combination";
  os.HoldHotKeyElsewhere(5, 'T');
  EXPECT_FALSE(os.RegisterHotKey(1, 1333, 5, 'T'));
  EXPECT_EQ(os.OpenHandles(), (std::vector<std::string>{"hotkey 1331", "hotkey 1332"}));
  EXPECT_TRUE(os.UnregisterHotKey(1, 1331));
  EXPECT_FALSE(os.UnregisterHotKey(1, 1331));
  EXPECT_EQ(os.GetLastError(), kErrorHotkeyNotRegistered);
  EXPECT_FALSE(os.UnregisterHotKey(2, 1332)) << "only the window that registered it";
  EXPECT_TRUE(os.RegisterHotKey(2, 9, 5, 'A')) << "free again";
}

NotifyIconData Record(std::uintptr_t window, const char* tip) {
  NotifyIconData data;
  data.cbSize = kNotifyIconDataSize;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = kNifMessage | kNifTip;
  data.uCallbackMessage = 3001;
  std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
  return data;
}

TEST(SimTray, AddModifyAndDeleteAsTheShellAnswersThem) {
  SimOs os;
  NotifyIconData data = Record(7, "Quorvel");
  EXPECT_FALSE(os.Shell_NotifyIconA(kNimModify, &data)) << "modify before add";
  EXPECT_FALSE(os.Shell_NotifyIconA(kNimDelete, &data));
  EXPECT_TRUE(os.Shell_NotifyIconA(kNimAdd, &data));
  EXPECT_FALSE(os.Shell_NotifyIconA(kNimAdd, &data)) << "a duplicate add";
  std::strcpy(data.szTip, "new tip");
  data.uFlags = kNifIcon;  // the tip is not valid in this call
  data.hIcon = 0x44;
  EXPECT_TRUE(os.Shell_NotifyIconA(kNimModify, &data));
  ASSERT_EQ(os.TrayIcons().size(), 1u);
  EXPECT_EQ(os.TrayIcons()[0].tip, "Quorvel");
  EXPECT_EQ(os.TrayIcons()[0].icon, 0x44u);
  NotifyIconData wrongSize = data;
  wrongSize.cbSize = 504;
  EXPECT_FALSE(os.Shell_NotifyIconA(kNimDelete, &wrongSize));
  EXPECT_TRUE(os.Shell_NotifyIconA(kNimDelete, &data));
  EXPECT_FALSE(os.Shell_NotifyIconA(kNimDelete, &data)) << "delete after delete";

  EXPECT_TRUE(os.Shell_NotifyIconA(kNimAdd, &data));
  os.RestartShell();
  EXPECT_TRUE(os.TrayIcons().empty());
  os.trayAvailable = false;
  EXPECT_FALSE(os.Shell_NotifyIconA(kNimAdd, &data));
  EXPECT_TRUE(os.TrayIcons().empty());
}

TEST(SimTray, TipOfSixtyFourBytesWithoutATerminatorIsCut) {
  SimOs os;
  NotifyIconData data = Record(7, "");
  std::memset(data.szTip, 'x', sizeof data.szTip);
  ASSERT_TRUE(os.Shell_NotifyIconA(kNimAdd, &data));
  EXPECT_EQ(os.TrayIcons()[0].tip.size(), 64u);
}

TEST(SimIcons, EachIconIsCountedUntilDestroyed) {
  SimOs os;
  IconImage image;
  image.width = 16;
  image.height = 16;
  image.bgr.assign(16 * 16 * 3, 0);
  image.mask.assign(16 * 16, 1);
  {
    UniqueIcon first(os, os.CreateIconIndirect(image));
    UniqueIcon second(os, os.CreateIconIndirect(image));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(os.LiveIcons(), 2u);
    ASSERT_NE(os.IconImageOf(first.Get()), nullptr);
    EXPECT_EQ(os.IconImageOf(first.Get())->mask, image.mask);
  }
  EXPECT_EQ(os.LiveIcons(), 0u);
  EXPECT_TRUE(os.OpenHandles().empty());
  const Handle h = os.CreateIconIndirect(image);
  EXPECT_TRUE(os.DestroyIcon(h));
  EXPECT_FALSE(os.DestroyIcon(h)) << "destroyed twice";
  image.mask.pop_back();
  EXPECT_EQ(os.CreateIconIndirect(image), kNoHandle) << "a mask that does not fit";
  EXPECT_EQ(os.LiveIcons(), 0u);
}

}  // namespace
}  // namespace platform
