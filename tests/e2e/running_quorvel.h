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
    ASSERT_TRUE(quorvel_.Start(QuorvelExePath()));
    main_ = WaitForProcessWindow(quorvel_.Id(), "TForm_Zentor", "Quorvel", Timeout(60000));
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
  }
  void TearDown() override {
    if (main_ != nullptr && quorvel_.Running()) {
      PostMessageA(main_, WM_CLOSE, 0, 0);
      DWORD code = 1234;
      EXPECT_TRUE(quorvel_.WaitExit(Timeout(30000), &code));
      EXPECT_EQ(code, 0u);
    }
  }
  HWND Control(int id) { return FindControl(main_, id); }

  Process quorvel_;
  HWND main_ = nullptr;
};

}  // namespace e2e
