// The settings page: the "Auto Settings", "System Settings" and "Startup
// Settings" groups in their scrolling box.

#include "app/frmmain.h"
#include "app/layout.h"

namespace app {

using namespace layout;

void TForm_Zentor::LayOutSettingsPage() {
  // Below the title strip, above the 37-pixel button bar.
  ScrollBox_Settings.SetBounds(0, 33, 591, 434 - 33 - 37);
  ScrollBox_Settings.SetColor(gui::colors::kWhite);
  // Check boxes are wider than their captions need in the classic 8-point
  // font, so the captions stay whole in the wider faces that stand in for it.
  Place({{GroupBox1, 0, 0, 584, 121, "Auto Settings"},
         {Label1, 9, 20, 200, 13, "Auto optimize interval(sec)"},
         {SpinEdit_Time, 212, 16, 48, 22, nullptr},
         {CheckBox_EmptyClipboard, 9, 44, 330, 17, "Clean clipboard when  auto optimize (Not recommend)"},
         {Button_EmptyClipboard, 344, 41, 24, 22, "Clean clipboard now"},
         {CheckBox_AfterMemTrim, 9, 68, 560, 17,
          "Tweak memory before auto optimization (It will take few seconds to start program)"},
         {CheckBox_bstopauto, 9, 92, 420, 17,
          "Stop optimization when available memory usage is higher than :"},
         {SpinEdit_bstopauto, 432, 89, 48, 22, nullptr},
         {Label2, 484, 93, 12, 13, "%"},
         {GroupBox3, 0, 123, 584, 45, "System Settings"},
         {CheckBox_AutoProcessList, 9, 20, 250, 17, "Auto refresh system status,interval :"},
         {SpinEdit_ProcessListTime, 262, 16, 48, 22, nullptr},
         {Label3, 318, 20, 60, 13, "seconds"},
         {GroupBox2, 0, 170, 584, 71, "Startup Settings"},
         {CheckBox_AutoStart, 9, 18, 280, 21, "Startup with system start"},
         {CheckBox_Auto, 9, 40, 280, 21, "Auto optimize when start"},
         {CheckBox_CloseMinimize, 305, 18, 270, 21, "Minimize to tray when close window "},
         {CheckBox_MinimizeStart, 305, 40, 270, 21, "Minimize when start"}});
  for (gui::TControl* c : std::initializer_list<gui::TControl*>{
           &GroupBox1, &Label1, &CheckBox_EmptyClipboard, &CheckBox_AfterMemTrim,
           &CheckBox_bstopauto, &Label2, &GroupBox3, &GroupBox2, &CheckBox_AutoProcessList, &Label3, &CheckBox_AutoStart,
           &CheckBox_Auto, &CheckBox_CloseMinimize, &CheckBox_MinimizeStart}) {
    c->SetColor(gui::colors::kWhite);
  }
  Button_EmptyClipboard.SetGlyph(gui::LoadPictureResource("BTN_CLIPBOARD"), 4);
  SpinEdit_Time.SetRange(1, 59);
  SpinEdit_Time.SetText("3");
  SpinEdit_bstopauto.SetRange(1, 100);
  SpinEdit_bstopauto.SetText("50");
  CheckBox_bstopauto.SetChecked(false);
  SpinEdit_bstopauto.SetEnabled(false);
  SpinEdit_ProcessListTime.SetRange(1, 59);
  SpinEdit_ProcessListTime.SetText("1");
  CheckBox_AutoProcessList.SetChecked(true);
  CheckBox_AutoStart.SetChecked(true);
}

}  // namespace app
