#pragma once
// TApplication, TForm and TTimer: the program-level parts of the runtime.

#include <exception>
#include <functional>
#include <string>

#include "gui/backend.h"
#include "gui/controls.h"

namespace gui {

class TForm;

// The error a handler raises to end its operation: its text reaches the
// program-wide error box.
class Error : public std::exception {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

class TApplication {
 public:
  explicit TApplication(Backend& backend);
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  Backend& GetBackend() const { return backend_; }

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  TForm* MainForm() const { return mainForm_; }
  // The first form registered becomes the main form, as with the first
  // form an application creates.
  void RegisterForm(TForm& form);
  void UnregisterForm(TForm& form);

  // Shows the main form (unless terminated already) and runs the message
  // loop until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  void ProcessMessages() { backend_.ProcessMessages(); }

  void Minimize();
  void Restore();
  bool IsMinimized() const { return minimized_; }
  // The backend reports what the user did on the taskbar.
  void NotifyMinimized();
  void NotifyRestored();
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // Plain box captioned with the title, no icon, one OK.
  void ShowMessageBox(const std::string& text);
  // The program-wide error box for an error that escaped a handler.
  void HandleException(const std::exception& e);
  // The same box for something thrown that is not one of ours: the user
  // hears of it rather than the program going on silently.
  void HandleUnknownException();
  // Runs an event handler; any error it raises goes to the error box.
  void Dispatch(const std::function<void()>& handler);

 private:
  Backend& backend_;
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool minimized_ = false;
};

// The application object of the running program; set while one exists.
TApplication& Application();
bool HasApplication();

// A picture shipped with the program, decoded; empty when it is missing or
// cannot be decoded (the window then shows its plain colours).
Bitmap LoadPictureResource(const std::string& name);

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum class TMsgDlgButtons { mbOK, mbOKCancel, mbYesNo, mbYesNoCancel, mbYesCancel };

// Modal dialog captioned by its type ("Warning", "Error", "Information",
// "Confirm"). Returns the ModalResult of the button pressed.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
std::string MsgDlgCaption(TMsgDlgType type);

// A window message as the form's own handler sees it.
struct TMessage {
  unsigned Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
};

class TForm : public TWinControl {
 public:
  TForm(TApplication& app, int controlId);
  ~TForm() override;

  TApplication& App() const { return app_; }

  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  // Sizes the client area and centres the form on a desktop of the given size.
  void SetClientSizeCentred(int clientWidth, int clientHeight, int desktopWidth,
                            int desktopHeight);

  // Runs OnShow before the form becomes visible, every time it is shown.
  void ShowForm();
  void HideForm() { SetVisible(false); }
  // A close request: asks OnCloseQuery; when allowed the form hides, and
  // closing the main form ends the application.
  void Close();

  // Runs OnCreate once the form and its controls exist.
  void Create();

  // A command that no control of the form sent: a menu item's id arriving
  // as a window command, for instance one posted by another program.
  // Unknown ids are ignored.
  void Command(int commandId);

  TNotifyEvent OnCreate;
  std::function<void(bool& canClose)> OnCloseQuery;
  TNotifyEvent OnShow;
  std::function<void(int commandId)> OnCommand;

  // Sees every message the window receives before the window's normal
  // handling, which always follows. The backend delivers through here, so
  // an error raised by the handler reaches the error box.
  std::function<void(TMessage& message)> OnMessage;
  void DeliverMessage(TMessage& message);

 private:
  TApplication& app_;
};

class TTimer {
 public:
  explicit TTimer(TApplication& app, int timerId);
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  int TimerId() const { return timerId_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);

  // Called by the backend when the interval has passed.
  void Fire();

  TNotifyEvent OnTimer;

 private:
  TApplication& app_;
  int timerId_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
};

}  // namespace gui
