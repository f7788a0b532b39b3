#pragma once
// Peers of the controls whose look is ours: the form, containers, labels,
// gauges, picture buttons and images. Each answers the query messages of its
// nearest standard control so tests and screen readers can read it.

#include "gui/win32/peers.h"

namespace gui::win32 {

class FormPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  static constexpr const char* kClassName = "TForm_Zentor";
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void ApplyBounds() override;
  void ApplyVisible() override;
};

// Panels, group boxes, notebooks and their pages, scroll boxes.
class ContainerPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override { return false; }
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void ApplyState() override;

 private:
  void UpdateScrollBar();
  void Scrolled();
};

class LabelPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
};

class GaugePeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override { return false; }
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void ApplyState() override;
};

class SpeedButtonPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool pressed_ = false;
};

class ImagePeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  void Paint(HDC dc) override;
  bool SeeThrough() const override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void CheckPointerLeft();
};

}  // namespace gui::win32
