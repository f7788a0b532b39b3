#include "app/frmmain.h"

#include "app/control_ids.h"

namespace app {

namespace {
constexpr int kClientWidth = 770;
constexpr int kClientHeight = 560;
}  // namespace

TForm_Zentor::TForm_Zentor(gui::TApplication& app, platform::Os& os)
    : gui::TForm(app, ids::kFormZentor),
      CheckBox_CloseMinimize(this, ids::kCheckBoxCloseMinimize),
      CheckBox_MinimizeStart(this, ids::kCheckBoxMinimizeStart),
      CheckBox_Auto(this, ids::kCheckBoxAuto),
      Timer_HideMainWindows(app, ids::kTimerHideMainWindows),
      os_(os) {
  SetCaption("Quorvel");
  int desktopWidth = 0, desktopHeight = 0;
  app.GetBackend().DesktopSize(desktopWidth, desktopHeight);
  SetClientSizeCentred(kClientWidth, kClientHeight, desktopWidth, desktopHeight);

  // The settings page places these; until then they hold their state only.
  CheckBox_CloseMinimize.SetCaption("Minimize to tray when close window ");
  CheckBox_MinimizeStart.SetCaption("Minimize when start");
  CheckBox_Auto.SetCaption("Auto optimize when start");
  for (gui::TCheckBox* box : {&CheckBox_CloseMinimize, &CheckBox_MinimizeStart, &CheckBox_Auto}) {
    box->Hide();
  }

  Timer_HideMainWindows.SetEnabled(false);
  Timer_HideMainWindows.SetInterval(1);
  Timer_HideMainWindows.OnTimer = [this] { Timer_HideMainWindowsTimer(); };

  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
}

TForm_Zentor::~TForm_Zentor() = default;

}  // namespace app
