#pragma once
// A fixture with the real program started and its main window found; the
// program is closed again, and must exit with 0, after each test.

#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {

class RunningQuorvel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateSettingsKey());
    ForgetSettings();
    BeforeStart();
    ASSERT_TRUE(quorvel_.Start(QuorvelExePath()));
    main_ = WaitForProcessWindow(quorvel_.Id(), "TForm_Zentor", "Quorvel", Timeout(60000));
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
    // The last start-up step shows the usage page. Under Wine the window
    // can show for a moment while the shell takes the first tray icon,
    // and a message sent then is handled inside that call, before the
    // remaining steps: a test waits for the start-up to end.
    ASSERT_TRUE(WaitUntil(
        [&] {
          HWND page = FindControl(main_, kUsagePageId);
          return page != nullptr && IsWindowVisible(page) && IsWindowVisible(main_);
        },
        Timeout(30000)))
        << "the start-up did not finish";
  }
  static constexpr int kUsagePageId = 400;
  void TearDown() override {
    if (main_ != nullptr && quorvel_.Running()) {
      DWORD code = 1234;
      EXPECT_TRUE(CloseUntilExit(quorvel_, main_, Timeout(30000), &code));
      EXPECT_EQ(code, 0u);
    }
    ForgetSettings();
  }
  // Runs before the program starts: a test stores what it needs here.
  virtual void BeforeStart() {}
  HWND Control(int id) { return FindControl(main_, id); }

  Process quorvel_;
  HWND main_ = nullptr;
};

}  // namespace e2e
