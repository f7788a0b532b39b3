#pragma once
// Peers built on the system's standard controls: the look and the keyboard
// handling are the system's; the peer keeps them in step with the control.

#include "gui/win32/peers.h"

namespace gui::win32 {

// Standard controls paint themselves; only mouse input is shared.
class StandardPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool SeeThrough() const override { return false; }

 protected:
  void ApplyCaption() override { SetWindowTextA(Hwnd(), Control().Caption().c_str()); }
  void ApplyState() override;
};

class ButtonPeer : public StandardPeer {
 public:
  using StandardPeer::StandardPeer;
  void OnCommand(WORD code) override;
};

class CheckBoxPeer : public StandardPeer {
 public:
  using StandardPeer::StandardPeer;
  void OnCommand(WORD code) override;

 protected:
  void ApplyState() override;
};

class EditPeer : public StandardPeer {
 public:
  using StandardPeer::StandardPeer;
  void OnCommand(WORD code) override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void ApplyState() override;

 private:
  bool swallowChars_ = false;
};

class SpinEditPeer : public EditPeer {
 public:
  SpinEditPeer(TControl& control, HINSTANCE instance);
  ~SpinEditPeer() override;
  void Create(HINSTANCE instance);
  LRESULT OnNotify(NMHDR* header) override;

 protected:
  void ApplyBounds() override;
  void ApplyVisible() override;
  void ApplyEnabled() override;

 private:
  static constexpr int kArrowsWidth = 16;
  HWND arrows_ = nullptr;
};

class TrackBarPeer : public StandardPeer {
 public:
  using StandardPeer::StandardPeer;
  void OnScroll(WORD code) override;

 protected:
  void ApplyState() override;
};

class ListViewPeer : public StandardPeer {
 public:
  using StandardPeer::StandardPeer;
  void Setup();
  LRESULT OnNotify(NMHDR* header) override;
  void ItemChanged(ItemChange what, int row, int column) override;
  // The window's text is the whole table, a row a line and cells split by
  // tabs: the one query a reader in another process can always make.
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void ComingOnScreen() override;

 protected:
  void ApplyState() override;

 private:
  std::string TableText() const;
  void SetColumns();
  void InsertRow(int row);
  // Off screen, rows are changed with the list's drawing switched off:
  // otherwise it invalidates each row it touches and resizes its scroll
  // bars after each, a trip to the system apiece. Switched on again, it
  // lays itself out once.
  void HoldDrawingOffScreen();
  bool syncing_ = false;
  bool drawingHeld_ = false;
  int columnsShown_ = 0;
};


}  // namespace gui::win32
