#include "gui/application.h"

#include <cassert>

namespace gui {

namespace {
TApplication* gApplication = nullptr;
}

TApplication& Application() {
  assert(gApplication != nullptr);
  return *gApplication;
}

bool HasApplication() { return gApplication != nullptr; }

TApplication::TApplication(Backend& backend) : backend_(backend) {
  assert(gApplication == nullptr);
  gApplication = this;
}

TApplication::~TApplication() { gApplication = nullptr; }

void TApplication::RegisterForm(TForm& form) {
  if (mainForm_ == nullptr) mainForm_ = &form;
}

void TApplication::UnregisterForm(TForm& form) {
  if (mainForm_ == &form) mainForm_ = nullptr;
}

void TApplication::Run() {
  if (terminated_) return;
  if (mainForm_ != nullptr) {
    Dispatch([this] { mainForm_->ShowForm(); });
  }
  if (!terminated_) backend_.RunMessageLoop(*this);
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  backend_.PostQuit();
}

void TApplication::Minimize() {
  if (minimized_) return;
  backend_.MinimizeApplication();
  NotifyMinimized();
}

void TApplication::Restore() {
  if (!minimized_) return;
  backend_.RestoreApplication();
  NotifyRestored();
}

void TApplication::NotifyMinimized() {
  if (minimized_) return;
  minimized_ = true;
  if (OnMinimize) Dispatch(OnMinimize);
}

void TApplication::NotifyRestored() {
  if (!minimized_) return;
  minimized_ = false;
  if (OnRestore) Dispatch(OnRestore);
}

void TApplication::ShowMessageBox(const std::string& text) {
  backend_.ShowMessageBox(text, title_, mb::kOk);
}

void TApplication::HandleException(const std::exception& e) {
  backend_.ShowMessageBox(e.what(), title_, mb::kOk);
}

void TApplication::HandleUnknownException() {
  backend_.ShowMessageBox("An unexpected error ended the operation.", title_, mb::kOk);
}

void TApplication::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleUnknownException();
  }
}

Bitmap LoadPictureResource(const std::string& name) {
  const std::vector<std::uint8_t> bytes = Application().GetBackend().LoadResource(name);
  Bitmap picture;
  DecodeJpeg(bytes.data(), bytes.size(), picture);
  return picture;
}

std::string MsgDlgCaption(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtWarning: return "Warning";
    case TMsgDlgType::mtError: return "Error";
    case TMsgDlgType::mtInformation: return "Information";
    case TMsgDlgType::mtConfirmation: return "Confirm";
  }
  return "";
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  unsigned style = 0;
  switch (type) {
    case TMsgDlgType::mtWarning: style |= mb::kIconWarning; break;
    case TMsgDlgType::mtError: style |= mb::kIconError; break;
    case TMsgDlgType::mtInformation: style |= mb::kIconInformation; break;
    case TMsgDlgType::mtConfirmation: style |= mb::kIconQuestion; break;
  }
  switch (buttons) {
    case TMsgDlgButtons::mbOK: style |= mb::kOk; break;
    case TMsgDlgButtons::mbOKCancel: style |= mb::kOkCancel; break;
    case TMsgDlgButtons::mbYesNo: style |= mb::kYesNo; break;
    case TMsgDlgButtons::mbYesNoCancel: style |= mb::kYesNoCancel; break;
    case TMsgDlgButtons::mbYesCancel: style |= mb::kYesCancel; break;
  }
  return Application().GetBackend().ShowMessageBox(text, MsgDlgCaption(type), style);
}

TForm::TForm(TApplication& app, int controlId)
    : TWinControl(nullptr, controlId, ControlKind::Form), app_(app) {
  SetVisible(false);
  app_.RegisterForm(*this);
}

TForm::~TForm() { app_.UnregisterForm(*this); }

void TForm::SetClientSizeCentred(int clientWidth, int clientHeight, int desktopWidth,
                                 int desktopHeight) {
  SetBounds((desktopWidth - clientWidth) / 2, (desktopHeight - clientHeight) / 2, clientWidth,
            clientHeight);
}

void TForm::DeliverMessage(TMessage& message) {
  if (OnMessage) app_.Dispatch([&] { OnMessage(message); });
}

void TForm::Create() {
  if (OnCreate) app_.Dispatch(OnCreate);
}

void TForm::ShowForm() {
  if (Visible()) return;
  // An error in OnShow goes to the error box; the form still comes up.
  if (OnShow) app_.Dispatch(OnShow);
  SetVisible(true);
}

void TForm::Command(int commandId) {
  if (OnCommand) app_.Dispatch([this, commandId] { OnCommand(commandId); });
}

void TForm::Close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(canClose);
  if (!canClose) return;
  HideForm();
  if (app_.MainForm() == this) app_.Terminate();
}

TTimer::TTimer(TApplication& app, int timerId) : app_(app), timerId_(timerId) {
  app_.GetBackend().TimerChanged(*this);
}

TTimer::~TTimer() {
  enabled_ = false;
  if (HasApplication()) app_.GetBackend().TimerChanged(*this);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  app_.GetBackend().TimerChanged(*this);
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  app_.GetBackend().TimerChanged(*this);
}

void TTimer::Fire() {
  if (!enabled_ || interval_ == 0 || !OnTimer) return;
  app_.Dispatch(OnTimer);
}

}  // namespace gui

