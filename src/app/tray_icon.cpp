// The notification-area icon: its picture, its tip, its registration with
// the shell, and what the mouse on it and the tray menu do.

#include "app/tray_icon.h"

#include <algorithm>
#include <cstring>

#include "app/frmmain.h"
#include "monitor/memory_status.h"
#include "platform/handles.h"
#include "settings/hotkeys.h"

namespace app {

namespace {

// trunc(16 x used / total) in floating point, cut toward zero, and kept on
// the picture. A total of 0 (no page file) fills nothing; a report of more
// available than there is counts as nothing used.
int ShareWidth(double used, double total) {
  if (total <= 0) return 0;
  const double width = 16.0 * used / total;
  return std::clamp(static_cast<int>(width), 0, kTrayIconSize);
}

bool ShareAbove(double used, double total, double limit) {
  return total > 0 && used / total > limit;
}

}  // namespace

std::string TrayIconText(const monitor::MemoryStatus& m) {
  std::string text = std::to_string(m.ullAvailPhys >> 20);
  // Five digits do not fit the picture: whole gigabytes do.
  if (text.size() >= 5) text = std::to_string(m.ullAvailPhys >> 30) + "G";
  switch (text.size()) {
    case 1: return "  " + text;
    case 2: return " " + text;
    default: return text;
  }
}

TrayIconLayout ComputeTrayIconLayout(const monitor::MemoryStatus& m, double cpuUsage) {
  TrayIconLayout layout;
  layout.text = TrayIconText(m);
  const bool fourDigits = layout.text.size() >= 4;
  layout.fontHeight = fourDigits ? 8 : 10;
  layout.textY = fourDigits ? 0 : -1;

  const double totalPhys = static_cast<double>(m.ullTotalPhys);
  const double usedPhys = static_cast<double>(monitor::UsedPhysical(m));
  layout.bars[0] = {13, ShareWidth(usedPhys, totalPhys),
                    ShareAbove(usedPhys, totalPhys, 0.8) ? tray::kBusy : tray::kPhysical};
  const double totalPage = static_cast<double>(m.ullTotalPageFile);
  const double usedPage = static_cast<double>(monitor::UsedPageFile(m));
  layout.bars[1] = {11, ShareWidth(usedPage, totalPage),
                    ShareAbove(usedPage, totalPage, 0.8) ? tray::kBusy : tray::kPageFile};
  // trunc(trunc(16 x usage) / 100): whole sixteenths of the percentage.
  const double scaled = std::clamp(16.0 * cpuUsage, 0.0, 1600.0);
  const int cpuWidth = static_cast<int>(scaled) / 100;
  layout.bars[2] = {9, cpuWidth, cpuUsage > 80 ? tray::kBusy : tray::kProcessor};
  return layout;
}

void PaintTrayBars(gui::Bitmap& picture, const TrayIconLayout& layout) {
  const auto box = [&](int x2, int y1, int y2, gui::TColor c) {
    for (int y = std::max(y1, 0); y < std::min(y2, picture.Height()); ++y) {
      for (int x = 0; x < std::min(x2, picture.Width()); ++x) picture.SetPixel(x, y, c);
    }
  };
  for (const TrayBar& bar : layout.bars) {
    box(kTrayIconSize, bar.top, bar.top + 2, tray::kTrack);
    if (bar.fill > 0) box(bar.fill, bar.top, bar.top + 2, bar.color);
  }
}

platform::IconImage MakeIconImage(const gui::Bitmap& picture) {
  platform::IconImage image;
  image.width = picture.Width();
  image.height = picture.Height();
  image.bgr = picture.Bgr();
  image.mask.assign(static_cast<std::size_t>(image.width) * image.height, 0);
  if (picture.Empty()) return image;
  const gui::TColor transparent = picture.Pixel(0, picture.Height() - 1);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (picture.Pixel(x, y) == transparent) {
        image.mask[static_cast<std::size_t>(y) * image.width + x] = 1;
      }
    }
  }
  return image;
}

std::string TrayTipText(const monitor::MemoryStatus& m) {
  // Both figures in full, whatever their size: the longest a 64-bit count
  // can give still fits the 64 bytes of the tip.
  return std::to_string(m.ullAvailPhys >> 20) + " MB free of " +
         std::to_string(m.ullTotalPhys >> 20) + " MB physical memory";
}

namespace {

platform::NotifyIconData TrayRecord(std::uintptr_t window) {
  platform::NotifyIconData data;
  data.cbSize = platform::kNotifyIconDataSize;
  data.hWnd = window;
  data.uID = kTrayIconId;
  return data;
}

void SetTip(platform::NotifyIconData& data, const std::string& tip) {
  const std::size_t n = std::min(tip.size(), sizeof data.szTip - 1);
  std::memcpy(data.szTip, tip.data(), n);
  std::memset(data.szTip + n, 0, sizeof data.szTip - n);
}

}  // namespace

platform::Handle TForm_Zentor::DrawTrayIcon() {
  const monitor::MemoryStatus m = monitor::TakeMemoryStatus(os_);
  const TrayIconLayout layout = ComputeTrayIconLayout(m, CpuUsage);
  gui::Bitmap picture = Image_IconBak.Picture();
  gui::TFont font;
  font.name = kTrayFontName;
  font.height = layout.fontHeight;  // positive: the height of the cell
  font.color = tray::kText;
  App().GetBackend().RenderText(picture, layout.textX, layout.textY, layout.text, font,
                                tray::kTextCell);
  PaintTrayBars(picture, layout);
  Image_Icon.SetPicture(picture);
  return os_.CreateIconIndirect(MakeIconImage(picture));
}

void TForm_Zentor::AddTrayIcon() {
  platform::NotifyIconData data = TrayRecord(WindowHandle());
  data.uFlags = platform::kNifMessage | platform::kNifIcon | platform::kNifTip;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = DrawTrayIcon();
  SetTip(data, "Quorvel");
  os_.Shell_NotifyIconA(platform::kNimDelete, &data);
  os_.Shell_NotifyIconA(platform::kNimAdd, &data);
  // The icon is kept as the one the next update replaces, so each re-add
  // after a shell restart does not leave one behind.
  TrayIconHandle = platform::UniqueIcon(os_, data.hIcon);
}

void TForm_Zentor::UpdateTrayIcon() {
  const monitor::MemoryStatus m = monitor::TakeMemoryStatus(os_);
  TrayIconHandle.Reset();
  platform::NotifyIconData data = TrayRecord(WindowHandle());
  data.uFlags = platform::kNifMessage | platform::kNifIcon | platform::kNifTip;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = DrawTrayIcon();
  SetTip(data, TrayTipText(m));
  TrayIconHandle = platform::UniqueIcon(os_, data.hIcon);
  os_.Shell_NotifyIconA(platform::kNimModify, &data);
}

void TForm_Zentor::RemoveTrayIcon() {
  platform::NotifyIconData data = TrayRecord(WindowHandle());
  os_.Shell_NotifyIconA(platform::kNimDelete, &data);
}

void TForm_Zentor::ShowFromTray() {
  // Someone who clicks the tray wants to see the window, also when it
  // sits minimized on the taskbar.
  if (Minimized) App().Restore();
  if (!Visible()) ShowForm();
}

void TForm_Zentor::WndProc(gui::TMessage& message) {
  if (taskbarCreatedMessage_ != 0 && message.Msg == taskbarCreatedMessage_) AddTrayIcon();
  if (message.Msg == kTrayCallbackMessage) {
    switch (static_cast<unsigned>(message.LParam)) {
      case kWmLButtonDblClk:
        ShowFromTray();
        break;
      case kWmRButtonDown: {
        int x = 0;
        int y = 0;
        os_.GetCursorPos(&x, &y);
        SetCursor(gui::TCursor::crDefault);
        PopupMenu_Taskbar.Popup(x, y);
        break;
      }
      default:
        break;
    }
  }
  if (message.Msg == settings::kWmHotKey) WMHotKey(message);
}

void TForm_Zentor::OpenMainWindow1Click() { ShowFromTray(); }

}  // namespace app
