// The parts of the settings page that belong to the settings store and the
// hotkeys: the "Register Hot Key" group and the button bar at the foot.

#include "app/frmmain.h"

namespace app {

namespace {
constexpr int kPageWidth = 591;
constexpr int kPageHeight = 434;
constexpr int kButtonBarHeight = 37;
}  // namespace

void TForm_Zentor::LayOutHotKeyGroup() {
  GroupBox7.SetBounds(0, 243, 584, 114);
  GroupBox7.SetCaption("Register Hot Key");
  struct Row {
    gui::TCheckBox& check;
    int checkTop;
    const char* caption;
    gui::TEdit& edit;
    int editTop;
    gui::TLabel& label;
    int labelTop;
    const char* labelCaption;
  };
  // The edits and labels stand further right than the classic layout put
  // them, so the check boxes' captions stay whole in the wider faces that
  // stand in for the classic 8-point font; rows and tab order are kept.
  for (const Row& r : {Row{CheckBox_AutoOptimizeReg, 16, "Auto Optimize(Start/Stop)",
                           Edit_AutoOptimizeKey, 16, Label_hk1, 18, "hk1"},
                       Row{CheckBox_TweakMemoryReg, 39, "Tweak memory", Edit_TweakMemoryKey, 40,
                           Label_hk2, 42, "hk2"},
                       Row{CheckBox_OpenMainWindowReg, 62, "Open Main Window",
                           Edit_OpenMainWindowKey, 64, Label_hk3, 66, "hk3"},
                       Row{CheckBox_ProcessExitReg, 85, "Process Exit", Edit_ProcessExitKey, 88,
                           Label_hk4, 90, "hk4"}}) {
    r.check.SetBounds(9, r.checkTop, 181, 21);
    r.check.SetCaption(r.caption);
    r.check.SetColor(gui::colors::kWhite);
    r.edit.SetBounds(192, r.editTop, 104, 19);
    // The edit shows the combination pressed, never what the keys type.
    r.edit.SetReadOnly(true);
    // Wide enough for the longest text, CTRL+ALT+SHIFT+WIN+'x'.
    r.label.SetBounds(304, r.labelTop, 200, 13);
    r.label.SetCaption(r.labelCaption);
    r.label.SetTransparent(true);
    r.check.SetChecked(true);
  }
  GroupBox7.SetColor(gui::colors::kWhite);
}

void TForm_Zentor::LayOutSettingsButtons() {
  Panel_SettingsButtons.SetBounds(0, kPageHeight - kButtonBarHeight, kPageWidth, kButtonBarHeight);
  Panel_SettingsButtons.SetColor(gui::colors::kWhite);
  struct Placed {
    gui::TSpeedButton& button;
    int left, top;
    const char* picture;
    const char* caption;
  };
  // Each picture is a strip of four 114 x 28 cells: the buttons take the
  // cells' size so the painted labels show whole.
  for (const Placed& p : {Placed{SpeedButton_SetVM, 216, 6, "BTN_AUTO_VM", "Auto Manage VM"},
                          Placed{SpeedButton1, 336, 6, "BTN_DEFAULT", "Default"},
                          Placed{SpeedButton_SaveSet, 456, 6, "BTN_SAVE", "Save Settings"},
                          Placed{SpeedButton_AppSet, 472, 16, "BTN_APPSET", "AppSet"}}) {
    p.button.SetBounds(p.left, p.top, 114, 28);
    p.button.SetGlyph(gui::LoadPictureResource(p.picture), 4);
    p.button.SetCaption(p.caption);
  }
  SpeedButton_AppSet.Hide();
}

void TForm_Zentor::ConnectSettingsEvents() {
  SpeedButton_AppSet.OnClick = [this] { SpeedButton_AppSetClick(); };
  SpeedButton_SaveSet.OnClick = [this] { SpeedButton_SaveSetClick(); };
  SpeedButton1.OnClick = [this] { SpeedButton1Click(); };
  SpeedButton_SetVM.OnClick = [this] { SpeedButton_SetVMClick(); };

  CheckBox_AutoOptimizeReg.OnClick = [this] { CheckBox_AutoOptimizeRegClick(); };
  CheckBox_TweakMemoryReg.OnClick = [this] { CheckBox_TweakMemoryRegClick(); };
  CheckBox_OpenMainWindowReg.OnClick = [this] { CheckBox_OpenMainWindowRegClick(); };
  CheckBox_ProcessExitReg.OnClick = [this] { CheckBox_ProcessExitRegClick(); };

  Edit_AutoOptimizeKey.OnKeyDown = [this](gui::TControl& s, std::uint16_t& k, gui::TShiftState h) {
    Edit_AutoOptimizeKeyKeyDown(s, k, h);
  };
  Edit_TweakMemoryKey.OnKeyDown = [this](gui::TControl& s, std::uint16_t& k, gui::TShiftState h) {
    Edit_TweakMemoryKeyKeyDown(s, k, h);
  };
  Edit_OpenMainWindowKey.OnKeyDown = [this](gui::TControl& s, std::uint16_t& k,
                                            gui::TShiftState h) {
    Edit_OpenMainWindowKeyKeyDown(s, k, h);
  };
  Edit_ProcessExitKey.OnKeyDown = [this](gui::TControl& s, std::uint16_t& k, gui::TShiftState h) {
    Edit_ProcessExitKeyKeyDown(s, k, h);
  };
  Edit_AutoOptimizeKey.OnKeyUp = [this](gui::TControl& s, std::uint16_t& k, gui::TShiftState h) {
    Edit_AutoOptimizeKeyKeyUp(s, k, h);
  };
  Edit_TweakMemoryKey.OnKeyUp = [this](gui::TControl& s, std::uint16_t& k, gui::TShiftState h) {
    Edit_TweakMemoryKeyKeyUp(s, k, h);
  };
  Edit_OpenMainWindowKey.OnKeyUp = [this](gui::TControl& s, std::uint16_t& k, gui::TShiftState h) {
    Edit_OpenMainWindowKeyKeyUp(s, k, h);
  };
  Edit_ProcessExitKey.OnKeyUp = [this](gui::TControl& s, std::uint16_t& k, gui::TShiftState h) {
    Edit_ProcessExitKeyKeyUp(s, k, h);
  };
}

}  // namespace app
