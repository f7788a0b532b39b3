// QuorvelSetup.exe and its uninstaller, run silently as an administrator's
// deployment would. scripts/e2e runs this suite in a prefix of its own in
// which Quorvel was never installed.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"
#include "app/version.h"
#include "harness.h"

namespace e2e {
namespace {

namespace ids = app::ids;

constexpr char kSettingsKey[] = "Software\\Quorvel";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel";
constexpr char kAdministratorMessage[] =
    "Can not run this program! Please run this program under administrator' authorization! ";

bool KeyExists(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool ValueExists(const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const bool found = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

std::string StringValue(const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  char text[1024] = {};
  DWORD size = sizeof text - 1;
  DWORD type = 0;
  const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return "<no value>";
  return type == REG_SZ ? std::string(text) : "<not REG_SZ>";
}

bool SetValue(const char* path, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

DWORD ValueCount(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0xFFFFFFFF;
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return values;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? path : "";
}

// Runs a program with /S and waits for its end; its exit code, or -1.
long RunSilently(const std::string& exe) {
  Process p;
  if (!p.Start(exe, "/S")) return -1;
  DWORD code = 0;
  if (!p.WaitExit(Timeout(120000), &code)) return -1;
  return static_cast<long>(code);
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (KeyExists(kUninstallKey) || KeyExists(kSettingsKey)) {
      GTEST_SKIP() << "needs a prefix where Quorvel was never installed; scripts/e2e runs "
                      "this suite in one";
    }
    installDir_ = Folder(CSIDL_PROGRAM_FILES) + "\\Quorvel";
    startMenu_ = Folder(CSIDL_COMMON_PROGRAMS) + "\\Quorvel";
    ASSERT_FALSE(FileExists(installDir_));
  }
  void TearDown() override {
    // Leave the prefix as found, whatever the test left behind.
    if (FileExists(installDir_ + "\\Uninstall.exe")) RunSilently(installDir_ + "\\Uninstall.exe");
  }
  void Install() {
    ASSERT_EQ(RunSilently(QuorvelSetupPath()), 0) << QuorvelSetupPath();
  }
  // The uninstaller copies itself away and returns at once; its work is done
  // when its registration is gone.
  void UninstallAndWait() {
    ASSERT_EQ(RunSilently(installDir_ + "\\Uninstall.exe"), 0);
    EXPECT_TRUE(WaitUntil([&] { return !KeyExists(kUninstallKey) && !FileExists(installDir_); },
                          Timeout(60000)))
        << "the uninstaller did not finish";
  }
  std::string Exe() const { return installDir_ + "\\Quorvel.exe"; }

  std::string installDir_;
  std::string startMenu_;
};

TEST_F(Installer, SilentInstallRunsAndSilentUninstallEndsTheRunningInstanceAndRemovesAll) {
  Install();
  if (HasFatalFailure()) return;

  // What the installer leaves behind.
  EXPECT_TRUE(FileExists(Exe()));
  EXPECT_TRUE(FileExists(installDir_ + "\\Uninstall.exe"));
  EXPECT_TRUE(KeyExists(kSettingsKey));
  EXPECT_EQ(ValueCount(kSettingsKey), 0u) << "the key is created, nothing written into it";
  EXPECT_TRUE(FileExists(startMenu_ + "\\Quorvel.lnk"));
  EXPECT_EQ(StringValue(kUninstallKey, "DisplayName"), "Quorvel");
  EXPECT_EQ(StringValue(kUninstallKey, "DisplayVersion"), QUORVEL_VERSION_TEXT);
  EXPECT_EQ(StringValue(kUninstallKey, "Publisher"), QUORVEL_COMPANY_NAME);
  EXPECT_EQ(StringValue(kUninstallKey, "UninstallString"),
            "\"" + installDir_ + "\\Uninstall.exe\"");
  EXPECT_EQ(StringValue(kUninstallKey, "QuietUninstallString"),
            "\"" + installDir_ + "\\Uninstall.exe\" /S");
  EXPECT_EQ(StringValue(kUninstallKey, "InstallLocation"), installDir_);

  // The installed program starts: the key it needs is there.
  Process quorvel;
  ASSERT_TRUE(quorvel.Start(Exe()));
  HWND main = WaitForProcessWindow(quorvel.Id(), "TForm_Zentor", "Quorvel", Timeout(60000));
  ASSERT_NE(main, nullptr) << "the installed program did not show its window";
  EXPECT_EQ(FindProcessWindow(quorvel.Id(), "#32770", nullptr, false), nullptr)
      << "a box appeared: " << WindowText(GetDlgItem(FindProcessWindow(quorvel.Id(), "#32770", nullptr, false), 0xFFFF))
      << " (not expected: " << kAdministratorMessage << ")";

  // What the program writes in use, which the uninstaller must take away: the
  // settings record and the start-with-Windows entry.
  const BYTE record[92] = {1};
  ASSERT_TRUE(SetValue(kSettingsKey, "QuorvelSetInfo", REG_BINARY, record, sizeof record));
  const std::string run = "\"" + Exe() + "\"";
  ASSERT_TRUE(SetValue(kRunKey, "Quorvel", REG_SZ, run.c_str(), static_cast<DWORD>(run.size() + 1)));
  // With close-to-tray on, a close only hides the window: only Exit ends it.
  HWND closeToTray = FindControl(main, ids::kCheckBoxCloseMinimize);
  ASSERT_NE(closeToTray, nullptr);
  if (SendMessageA(closeToTray, BM_GETCHECK, 0, 0) != BST_CHECKED) {
    SendMessageA(closeToTray, BM_CLICK, 0, 0);
  }
  ASSERT_EQ(SendMessageA(closeToTray, BM_GETCHECK, 0, 0), BST_CHECKED);

  UninstallAndWait();
  DWORD code = 1234;
  ASSERT_TRUE(quorvel.WaitExit(Timeout(30000), &code)) << "the running instance was not ended";
  EXPECT_EQ(code, 0u) << "ended by its own Exit, not stopped from outside";

  EXPECT_FALSE(FileExists(Exe()));
  EXPECT_FALSE(FileExists(installDir_));
  EXPECT_FALSE(KeyExists(kSettingsKey));
  EXPECT_FALSE(ValueExists(kRunKey, "Quorvel"));
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_FALSE(FileExists(startMenu_ + "\\Quorvel.lnk"));
  EXPECT_FALSE(FileExists(startMenu_));
}

TEST_F(Installer, InstallingOverAnInstallationKeepsTheStoredSettings) {
  Install();
  if (HasFatalFailure()) return;
  BYTE record[92];
  for (int i = 0; i < 92; ++i) record[i] = static_cast<BYTE>(i * 7 + 1);
  ASSERT_TRUE(SetValue(kSettingsKey, "QuorvelSetInfo", REG_BINARY, record, sizeof record));

  Install();
  if (HasFatalFailure()) return;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE read[128] = {};
  DWORD size = sizeof read;
  EXPECT_EQ(RegQueryValueExA(key, "QuorvelSetInfo", nullptr, nullptr, read, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(size, sizeof record);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(read), size),
            std::string(reinterpret_cast<char*>(record), sizeof record));

  UninstallAndWait();
  EXPECT_FALSE(KeyExists(kSettingsKey));
}

}  // namespace
}  // namespace e2e
