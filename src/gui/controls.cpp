#include "gui/controls.h"

#include <algorithm>

#include "gui/application.h"

namespace gui {

TControl::TControl(TWinControl* parent, int controlId, ControlKind kind)
    : parent_(parent), controlId_(controlId), kind_(kind) {
  if (parent_ != nullptr) parent_->children_.push_back(this);
  if (HasApplication()) peer_ = Application().GetBackend().CreatePeer(*this);
}

TControl::~TControl() {
  // The peer goes first: it may still look at the control while it tears down.
  peer_.reset();
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Notify(Change::Bounds);
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Notify(Change::Visible);
}

void TControl::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Notify(Change::Caption);
}

void TControl::AttachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }

void TControl::Notify(Change what) {
  if (peer_) peer_->Changed(what);
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Notify(Change::State);
  if (OnClick) OnClick();
}

}  // namespace gui
