#include "app/rights.h"

#include <gtest/gtest.h>

#include "app/frmmain.h"
#include "platform/sim/sim_os.h"
#include "program_fixture.h"

namespace app {
namespace {

using monitor::PlatformFamily;

struct RightsRig {
  platform::SimOs os;
  std::vector<std::string> boxes;
  Rights Make(PlatformFamily family) {
    return Rights(os, family, [this](const std::string& t) { boxes.push_back(t); });
  }
};

TEST(Rights, NtWithPrivilegeEnablesDebugAndClosesToken) {
  RightsRig rig;
  Rights rights = rig.Make(PlatformFamily::WindowsNT);
  EXPECT_TRUE(rights.ReadTokenPrivileges());
  EXPECT_EQ(rights.SavedPrivileges().PrivilegeCount, 5u) << "the short buffer keeps what was written";
  EXPECT_TRUE(rights.EnableDebugPrivilege(false));
  EXPECT_EQ(rig.os.lastAdjustedState.PrivilegeCount, 1u);
  EXPECT_EQ(rig.os.lastAdjustedState.luid.LowPart, rig.os.debugPrivilegeLuid.LowPart);
  EXPECT_EQ(rig.os.lastAdjustedState.Attributes, platform::kSePrivilegeEnabled);
  EXPECT_TRUE(rig.boxes.empty());
  EXPECT_TRUE(rig.os.OpenHandles().empty());
}

TEST(Rights, NtTokenThatCannotBeOpenedFailsTheReadSilently) {
  RightsRig rig;
  rig.os.Fail("OpenProcessToken", 5);
  Rights rights = rig.Make(PlatformFamily::WindowsNT);
  EXPECT_FALSE(rights.ReadTokenPrivileges());
  EXPECT_TRUE(rig.boxes.empty());
  EXPECT_FALSE(rights.EnableDebugPrivilege(false));
  EXPECT_EQ(rig.boxes, std::vector<std::string>{"OpenProcessToken ERROR"});
  EXPECT_EQ(rig.os.CountCalls("AdjustTokenPrivileges"), 0u);
}

TEST(Rights, PrivilegeNotHeldIsAFailureThoughTheCallSucceeds) {
  RightsRig rig;
  rig.os.userHoldsDebugPrivilege = false;
  Rights rights = rig.Make(PlatformFamily::WindowsNT);
  EXPECT_TRUE(rights.ReadTokenPrivileges());
  EXPECT_FALSE(rights.EnableDebugPrivilege(false));
  EXPECT_TRUE(rig.boxes.empty()) << "the call itself succeeded";
  EXPECT_TRUE(rig.os.OpenHandles().empty());
}

TEST(Rights, FailedAdjustmentShowsItsMessageAndClosesToken) {
  RightsRig rig;
  rig.os.Fail("AdjustTokenPrivileges", 5);
  Rights rights = rig.Make(PlatformFamily::WindowsNT);
  EXPECT_FALSE(rights.EnableDebugPrivilege(false));
  EXPECT_EQ(rig.boxes, std::vector<std::string>{"AdjustTokenPrivileges ERROR!"});
  EXPECT_TRUE(rig.os.OpenHandles().empty());
}

TEST(Rights, FailedLookupIsReportedAndTheAdjustmentStillTried) {
  RightsRig rig;
  rig.os.Fail("LookupPrivilegeValueA", 1313);
  Rights rights = rig.Make(PlatformFamily::WindowsNT);
  EXPECT_FALSE(rights.EnableDebugPrivilege(false));
  EXPECT_EQ(rig.boxes, std::vector<std::string>{"LookupPrivilegeValue ERROR!"});
  EXPECT_EQ(rig.os.CountCalls("AdjustTokenPrivileges"), 1u);
  EXPECT_TRUE(rig.os.OpenHandles().empty());
}

TEST(Rights, RestoreWritesBackTheSavedList) {
  RightsRig rig;
  Rights rights = rig.Make(PlatformFamily::WindowsNT);
  ASSERT_TRUE(rights.ReadTokenPrivileges());
  rights.EnableDebugPrivilege(true);
  EXPECT_EQ(rig.os.lastAdjustedState.PrivilegeCount, rights.SavedPrivileges().PrivilegeCount);
  EXPECT_EQ(rig.os.lastAdjustedState.luid.LowPart, rights.SavedPrivileges().luid.LowPart);
}

TEST(Rights, Windows9xHasNoTokensAndPassesWithoutCalls) {
  RightsRig rig;
  rig.os.tokensAvailable = false;
  Rights rights = rig.Make(PlatformFamily::Windows9x);
  EXPECT_TRUE(rights.ReadTokenPrivileges());
  EXPECT_TRUE(rights.EnableDebugPrivilege(false));
  EXPECT_EQ(rig.os.CountCalls("OpenProcessToken"), 0u);
  EXPECT_EQ(rig.os.CountCalls("AdjustTokenPrivileges"), 0u);
  EXPECT_TRUE(rig.boxes.empty());
}

// --- the rights step and the settings key inside the start ----------------------

using testing::ProgramTest;

TEST_F(ProgramTest, Windows9xStartsWithoutTokens) {
  os.version.dwPlatformId = platform::kVerPlatformWin32Windows;
  os.tokensAvailable = false;
  StartProgram();
  EXPECT_TRUE(started);
  EXPECT_EQ(Form().Family(), monitor::PlatformFamily::Windows9x);
  EXPECT_TRUE(Form().Visible());
  EXPECT_TRUE(backend.Boxes().empty());
}

TEST_F(ProgramTest, UnreadableTokenEndsWithoutMessageOrWindow) {
  os.Fail("OpenProcessToken", 5);
  EXPECT_EQ(QuorvelMain(os, backend), 0);
  EXPECT_TRUE(backend.Boxes().empty());
  EXPECT_EQ(os.CountCalls("RegOpenKeyExA"), 0u) << "no later check runs";
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST_F(ProgramTest, MissingDebugPrivilegeShowsAdministratorMessage) {
  os.userHoldsDebugPrivilege = false;
  StartProgram();
  EXPECT_FALSE(started);
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, kAdministratorMessage);
  EXPECT_EQ(backend.Boxes()[0].caption, "Error");
  EXPECT_EQ(os.CountCalls("RegOpenKeyExA"), 0u);
  EXPECT_FALSE(Form().Visible());
  EXPECT_TRUE(Form().StartupStepsRun().empty());
}

TEST_F(ProgramTest, MissingSettingsKeyEndsWithAdministratorMessage) {
  os.RemoveKey("HKLM\\Software\\Quorvel");
  EXPECT_EQ(QuorvelMain(os, backend), 0);
  ASSERT_EQ(backend.Boxes().size(), 1u);
  const gui::ShownBox& box = backend.Boxes()[0];
  EXPECT_EQ(box.text,
            "Can not run this program! Please run this program under administrator' "
            "authorization! ");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.style, gui::mb::kIconError | gui::mb::kOk);
  EXPECT_FALSE(os.KeyExists("HKLM\\Software\\Quorvel")) << "the key is never created";
  EXPECT_TRUE(os.OpenHandles().empty()) << ::testing::PrintToString(os.OpenHandles());
}

TEST_F(ProgramTest, SettingsKeyIsOpenedForReadingAndClosed) {
  StartProgram();
  EXPECT_EQ(os.CountCalls("RegOpenKeyExA(HKLM\\Software\\Quorvel)"), 1u);
  for (const std::string& open : os.OpenHandles()) {
    EXPECT_NE(open.rfind("key ", 0), 0u) << open << " was left open";
  }
}

TEST_F(ProgramTest, UnreadableSettingsKeyEndsLikeAMissingOne) {
  os.DenyKey("HKLM\\Software\\Quorvel");
  StartProgram();
  EXPECT_FALSE(started);
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, kAdministratorMessage);
}

TEST_F(ProgramTest, UnreadableVersionStopsBeforeTheInstanceMark) {
  os.Fail("GetVersionExA", 1);
  EXPECT_EQ(QuorvelMain(os, backend), 0);
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Can't get the Windows version");
  EXPECT_EQ(os.CountCalls("CreateEventA"), 0u);
  EXPECT_FALSE(os.EventExists("QuorvelEvent20070409"));
}

}  // namespace
}  // namespace app
