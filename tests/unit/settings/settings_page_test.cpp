#include <gtest/gtest.h>

#include "app/frmmain.h"
#include "app/program_fixture.h"

namespace app {
namespace {

class SettingsPage : public testing::ProgramTest {
 protected:
  void SetUp() override {
    StartProgram();
    ASSERT_TRUE(started);
  }
};

TEST_F(SettingsPage, HotKeyGroupStandsBelowTheStartupGroupInTabOrder) {
  TForm_Zentor& f = Form();
  EXPECT_EQ(f.GroupBox7.Parent(), &f.ScrollBox_Settings);
  EXPECT_EQ(f.GroupBox7.Caption(), "Register Hot Key");
  EXPECT_EQ(f.GroupBox7.Left(), 0);
  EXPECT_EQ(f.GroupBox7.Top(), 243);
  EXPECT_EQ(f.GroupBox7.Width(), 584);
  EXPECT_EQ(f.GroupBox7.Height(), 114);
  EXPECT_GE(f.GroupBox7.Top(), f.GroupBox2.Top() + f.GroupBox2.Height());
  EXPECT_LE(f.ScrollBox_Settings.ContentHeight(), f.ScrollBox_Settings.Height())
      << "all four groups fit without scrolling";
  // Windows take the tab order of their creation: check box, then its edit.
  const std::vector<gui::TControl*> expected = {
      &f.CheckBox_AutoOptimizeReg, &f.Edit_AutoOptimizeKey,   &f.CheckBox_TweakMemoryReg,
      &f.Edit_TweakMemoryKey,      &f.CheckBox_OpenMainWindowReg, &f.Edit_OpenMainWindowKey,
      &f.CheckBox_ProcessExitReg,  &f.Edit_ProcessExitKey};
  const auto& children = f.GroupBox7.Children();
  ASSERT_GE(children.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(children[i], expected[i]) << i;
  const char* captions[] = {"Auto Optimize(Start/Stop)", "Tweak memory", "Open Main Window",
                            "Process Exit"};
  const int tops[] = {16, 39, 62, 85};
  for (int i = 0; i < 4; ++i) {
    auto* box = dynamic_cast<gui::TCheckBox*>(expected[static_cast<std::size_t>(i) * 2]);
    auto* edit = expected[static_cast<std::size_t>(i) * 2 + 1];
    EXPECT_EQ(box->Caption(), captions[i]);
    EXPECT_EQ(box->Top(), tops[i]);
    EXPECT_LE(box->Left() + box->Width(), edit->Left()) << "a caption never runs under its edit";
  }
}

TEST_F(SettingsPage, ButtonBarCarriesThreePicturesAndTheHiddenApply) {
  TForm_Zentor& f = Form();
  EXPECT_EQ(f.Panel_SettingsButtons.Height(), 37);
  EXPECT_EQ(f.Panel_SettingsButtons.Top() + 37, 434) << "at the foot of the page";
  struct Button {
    gui::TSpeedButton& b;
    int left, top;
    bool visible;
  } buttons[] = {{f.SpeedButton_SetVM, 216, 6, true},
                 {f.SpeedButton1, 336, 6, true},
                 {f.SpeedButton_SaveSet, 456, 6, true},
                 {f.SpeedButton_AppSet, 472, 16, false}};
  for (const Button& b : buttons) {
    EXPECT_EQ(b.b.Left(), b.left) << b.b.Caption();
    EXPECT_EQ(b.b.Top(), b.top) << b.b.Caption();
    EXPECT_EQ(b.b.Visible(), b.visible) << b.b.Caption();
    EXPECT_EQ(b.b.NumGlyphs(), 4);
    ASSERT_FALSE(b.b.Glyph().Empty()) << b.b.Caption() << " has no picture";
    EXPECT_EQ(b.b.Cell(gui::ButtonState::Up).Width(), 114);
    EXPECT_EQ(b.b.Cell(gui::ButtonState::Up).Height(), 28);
    EXPECT_EQ(b.b.Width(), 114) << "the button shows its whole cell";
  }
  EXPECT_LE(f.SpeedButton_SaveSet.Left() + f.SpeedButton_SaveSet.Width(), 591);
}

}  // namespace
}  // namespace app
