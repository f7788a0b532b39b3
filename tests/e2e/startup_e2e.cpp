// The real program under Wine: the start-up checks, the single instance and
// the ways out, seen from outside.

#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {
namespace {

constexpr char kFormClass[] = "TForm_Zentor";
constexpr char kAdministratorMessage[] =
    "Can not run this program! Please run this program under administrator' authorization! ";

class Startup : public ::testing::Test {
 protected:
  void TearDown() override { CreateSettingsKey(); }
};

TEST_F(Startup, MissingSettingsKeyShowsAdministratorMessageAndExitsZero) {
  ASSERT_TRUE(DeleteSettingsKey());
  Process quorvel;
  ASSERT_TRUE(quorvel.Start(QuorvelExePath()));

  HWND box = WaitForProcessWindow(quorvel.Id(), "#32770", "Error", Timeout(60000));
  ASSERT_NE(box, nullptr) << "no box captioned Error appeared";
  EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), kAdministratorMessage);
  EXPECT_EQ(FindProcessWindow(quorvel.Id(), kFormClass, nullptr, true), nullptr)
      << "the main window must not appear";

  HWND ok = GetDlgItem(box, IDOK);
  ASSERT_NE(ok, nullptr);
  PostMessageA(ok, BM_CLICK, 0, 0);
  DWORD code = 1234;
  ASSERT_TRUE(quorvel.WaitExit(Timeout(30000), &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(Startup, OneInstanceRunsAndCloseEndsItCleanly) {
  ASSERT_TRUE(CreateSettingsKey());
  Process first;
  ASSERT_TRUE(first.Start(QuorvelExePath()));
  HWND main = WaitForProcessWindow(first.Id(), kFormClass, "Quorvel", Timeout(60000));
  ASSERT_NE(main, nullptr) << "the main window did not appear";

  RECT client = {};
  ASSERT_TRUE(GetClientRect(main, &client));
  EXPECT_EQ(client.right - client.left, 770);
  EXPECT_EQ(client.bottom - client.top, 560);
  EXPECT_EQ(GetWindowLongA(main, GWL_STYLE) & WS_CAPTION, WS_BORDER)
      << "borderless: a one-pixel frame and no caption bar";

  // A second start ends at once and silently; the first goes on as it was.
  Process second;
  ASSERT_TRUE(second.Start(QuorvelExePath()));
  DWORD secondCode = 1234;
  ASSERT_TRUE(second.WaitExit(Timeout(20000), &secondCode)) << "the second start did not end";
  EXPECT_EQ(secondCode, 0u);
  EXPECT_EQ(FindProcessWindow(second.Id(), nullptr, nullptr, true), nullptr);
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(IsWindowVisible(main));

  // Closing ends the program with exit code 0 (the first request hides
  // the window to the tray, as the default settings say) ...
  DWORD firstCode = 1234;
  ASSERT_TRUE(CloseUntilExit(first, main, Timeout(30000), &firstCode));
  EXPECT_EQ(firstCode, 0u);

  // ... and a start right after is not refused.
  Process third;
  ASSERT_TRUE(third.Start(QuorvelExePath()));
  HWND again = WaitForProcessWindow(third.Id(), kFormClass, "Quorvel", Timeout(60000));
  ASSERT_NE(again, nullptr) << "a start after the close was refused";
  DWORD thirdCode = 1234;
  ASSERT_TRUE(CloseUntilExit(third, again, Timeout(30000), &thirdCode));
  EXPECT_EQ(thirdCode, 0u);
}

}  // namespace
}  // namespace e2e
