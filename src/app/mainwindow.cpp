// Navigation between the pages, the title-area buttons with their hover
// pictures, dragging the borderless window, and the links.

#include <algorithm>
#include <cstdint>

#include "app/frmmain.h"
#include "platform/handles.h"

namespace app {

void TForm_Zentor::SpeedButton_UsageGraphClick() {
  Notebook1.SetActivePage("USAGEGROUP");
  SpeedButton_UsageGraph.SetDown(true);
}

void TForm_Zentor::SpeedButton_fullClick() { Notebook1.SetActivePage("PROCESSES"); }

void TForm_Zentor::SpeedButton_SetClick() { Notebook1.SetActivePage("Settings"); }

void TForm_Zentor::SpeedButton3Click() { Notebook1.SetActivePage("About"); }

void TForm_Zentor::SpeedButton2Click() { OpenWebPage(ProductHelpPage); }

void TForm_Zentor::SpeedButton5Click() { App().Minimize(); }

void TForm_Zentor::SpeedButton6Click() { Close(); }

void TForm_Zentor::ImageEx2MouseEnter(gui::TControl&) { ImageEx2.SetPicture(ImageList1.Get(1)); }
void TForm_Zentor::ImageEx3MouseEnter(gui::TControl&) { ImageEx3.SetPicture(ImageList1.Get(2)); }
void TForm_Zentor::ImageEx2MouseLeave(gui::TControl&) { ImageEx2.ClearPicture(); }
void TForm_Zentor::ImageEx3MouseLeave(gui::TControl&) { ImageEx3.ClearPicture(); }

// The hover pictures cover the buttons, so their clicks go on to them.
void TForm_Zentor::ImageEx2Click() {
  if (SpeedButton3.OnClick) SpeedButton3.OnClick();
}
void TForm_Zentor::ImageEx3Click() {
  if (SpeedButton2.OnClick) SpeedButton2.OnClick();
}

void TForm_Zentor::Image1MouseDown(gui::TControl&, gui::TMouseButton, gui::TShiftState, int x,
                                   int y) {
  DragOriginX = x;
  DragOriginY = y;
}

void TForm_Zentor::Image1MouseMove(gui::TControl&, gui::TShiftState shift, int x, int y) {
  if ((shift & gui::shift::kLeft) == 0) return;
  // The pointer's place is in the control's coordinates, which move with
  // the window: each move shifts the window by the pointer's offset. The
  // window may go partly off the screen, but not past the coordinates the
  // system can place a window at (moves posted by another program could
  // otherwise add up past the range of an int).
  const auto place = [](std::int64_t from, std::int64_t by) {
    return static_cast<int>(std::clamp<std::int64_t>(from + by, kMinWindowCoordinate,
                                                      kMaxWindowCoordinate));
  };
  SetBounds(place(Left(), std::int64_t{x} - DragOriginX), place(Top(), std::int64_t{y} - DragOriginY),
            Width(), Height());
}

void TForm_Zentor::Label32Click() { OpenWebPage(ProductWebSite); }

void TForm_Zentor::Label31Click() {
  // A shell that cannot open the link reports nothing: there is nothing
  // the user could do about it here.
  os_.ShellExecuteA(App().GetBackend().NativeHandle(*this), nullptr,
                    std::string("mailto:") + SupportMailAddress, nullptr, nullptr,
                    platform::kSwShowNormal);
}

namespace {
struct OleTraits {
  static void Close(platform::Os& os, platform::Handle h) { os.OleRelease(h); }
};
using UniqueOleObject = platform::UniqueOsObject<platform::Handle, OleTraits>;
}  // namespace

void TForm_Zentor::OpenWebPage(const std::string& url) {
  platform::Handle raw = platform::kNoHandle;
  std::int32_t hr = os_.CreateOleObject("InternetExplorer.Application", &raw);
  if (hr < 0) throw gui::Error(os_.SysErrorMessage(hr));
  UniqueOleObject browser(os_, raw);
  hr = os_.OleSetProperty(browser.Get(), "Visible", true);
  if (hr < 0) throw gui::Error(os_.SysErrorMessage(hr));
  hr = os_.OleInvoke(browser.Get(), "Navigate", url);
  if (hr < 0) throw gui::Error(os_.SysErrorMessage(hr));
  // Releasing our reference leaves the browser window open on its own.
}

}  // namespace app
