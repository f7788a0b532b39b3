#pragma once
// The GUI runtime's controls. Each control holds its own state and events;
// a backend may attach a peer that mirrors the state on screen. Nothing here
// knows about HWNDs: the same controls run under the headless backend in
// unit tests and under the Win32 backend in the shipped program.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {

class TControl;
class TWinControl;

using TNotifyEvent = std::function<void()>;

enum class ControlKind { Form, Label, CheckBox };

// What the peer must refresh after a state change.
enum class Change { Bounds, Visible, Caption, State };

// A backend's on-screen mirror of one control.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void Changed(Change what) = 0;
};

class TControl {
 public:
  TControl(TWinControl* parent, int controlId, ControlKind kind);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  ControlKind Kind() const { return kind_; }
  int ControlId() const { return controlId_; }
  TWinControl* Parent() const { return parent_; }

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  // Attaches the backend's peer once the control's parent chain has one.
  void AttachPeer(std::unique_ptr<Peer> peer);
  Peer* GetPeer() const { return peer_.get(); }

 protected:
  void Notify(Change what);

 private:
  TWinControl* parent_;
  int controlId_;
  ControlKind kind_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  std::string caption_;
  std::unique_ptr<Peer> peer_;
};

class TWinControl : public TControl {
 public:
  using TControl::TControl;
  const std::vector<TControl*>& Children() const { return children_; }

 private:
  friend class TControl;
  std::vector<TControl*> children_;
};

class TLabel : public TControl {
 public:
  TLabel(TWinControl* parent, int controlId) : TControl(parent, controlId, ControlKind::Label) {}
};

class TCheckBox : public TControl {
 public:
  TCheckBox(TWinControl* parent, int controlId)
      : TControl(parent, controlId, ControlKind::CheckBox) {}

  bool Checked() const { return checked_; }
  // Setting the state from code runs OnClick as well, as a user's click would.
  void SetChecked(bool checked);
  // A user's click: toggles, then runs OnClick.
  void Click() { SetChecked(!checked_); }

  TNotifyEvent OnClick;

 private:
  bool checked_ = false;
};

}  // namespace gui
