#pragma once
// The GUI runtime's controls. Each control holds its own state and events;
// a backend may attach a peer that mirrors the state on screen. Nothing here
// knows about HWNDs: the same controls run under the headless backend in
// unit tests and under the Win32 backend in the shipped program.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/bitmap.h"

namespace gui {

class TControl;
class TWinControl;

using TNotifyEvent = std::function<void()>;

enum class ControlKind {
  Form,
  Label,
  Button,
  CheckBox,
  Edit,
  SpinEdit,
  TrackBar,
  Gauge,
  ListView,
  StatusBar,
  SpeedButton,
  Notebook,
  Page,
  GroupBox,
  Panel,
  ScrollBox,
  Image,
  Chart,
};

// What the peer must refresh after a state change.
enum class Change { Bounds, Visible, Caption, State, Enabled, Picture, Items, Order };

// A part of a control that holds many: a list row or cell, a status panel.
enum class ItemChange { Inserted, Deleted, Cell, Cleared };

// A backend's on-screen mirror of one control.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void Changed(Change what) = 0;
  virtual void ItemChanged(ItemChange, int /*row*/, int /*column*/) {}
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state as a bit set, as the keyboard and mouse report it.
using TShiftState = unsigned;
namespace shift {
constexpr TShiftState kShift = 1;
constexpr TShiftState kAlt = 2;
constexpr TShiftState kCtrl = 4;
constexpr TShiftState kLeft = 8;
constexpr TShiftState kRight = 16;
constexpr TShiftState kMiddle = 32;
}  // namespace shift

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TCursor { crDefault, crHandPoint };

struct TFont {
  std::string name = "MS Sans Serif";
  int height = -11;  // 8 points
  TColor color = colors::kBlack;
  bool bold = false;
  bool underline = false;
  bool operator==(const TFont& o) const {
    return name == o.name && height == o.height && color == o.color && bold == o.bold &&
           underline == o.underline;
  }
};

using TMouseEvent = std::function<void(TControl& sender, TMouseButton button, TShiftState shift,
                                       int x, int y)>;
using TMouseMoveEvent = std::function<void(TControl& sender, TShiftState shift, int x, int y)>;

class TControl {
 public:
  TControl(TWinControl* parent, int controlId, ControlKind kind);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  ControlKind Kind() const { return kind_; }
  int ControlId() const { return controlId_; }
  TWinControl* Parent() const { return parent_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible itself and every ancestor visible.
  bool Showing() const;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // Puts the control over its overlapping siblings: last among them, so a
  // peer made later is made over the others too.
  void BringToFront();
  bool BroughtToFront() const { return broughtToFront_; }
  // Paints the control and everything on it now, without waiting for the
  // message loop: for long operations that hold the loop.
  void Repaint();

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }

  // Input, as the backend reports it; each runs the matching event.
  virtual void Click();
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void MouseMove(TShiftState shift, int x, int y);
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

  TNotifyEvent OnClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

  void AttachPeer(std::unique_ptr<Peer> peer);
  Peer* GetPeer() const { return peer_.get(); }

  // A control is a plain object until its form is complete; then one pass
  // gives it and everything on it a peer, parent first, each made from the
  // control's final bounds, text and state. A control added afterwards gets
  // its peer from the next pass. A peer the system refuses raises an error;
  // what was made stays, and a later pass makes the rest.
  virtual void CreatePeers() { CreateOwnPeer(); }

 protected:
  void Notify(Change what);
  void NotifyItem(ItemChange what, int row, int column);
  // Runs an event if one is set. Errors go to the caller: the backend's
  // dispatch catches them where input arrives.
  static void Fire(const TNotifyEvent& event);
  friend class TWinControl;
  // Asks the backend for this control's peer, unless it has one.
  void CreateOwnPeer();

 private:
  TWinControl* parent_;
  int controlId_;
  ControlKind kind_;
  std::string name_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;
  TColor color_ = colors::kBtnFace;
  bool transparent_ = false;
  bool broughtToFront_ = false;
  TFont font_;
  TCursor cursor_ = TCursor::crDefault;
  std::unique_ptr<Peer> peer_;
};

class TWinControl : public TControl {
 public:
  using TControl::TControl;
  void CreatePeers() override;
  const std::vector<TControl*>& Children() const { return children_; }
  // Depth-first search by control id, this control included.
  TControl* FindById(int controlId);

 private:
  friend class TControl;
  std::vector<TControl*> children_;
};

class TLabel : public TControl {
 public:
  TLabel(TWinControl* parent, int controlId) : TControl(parent, controlId, ControlKind::Label) {
    SetTransparent(true);
  }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);

 private:
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

// A push button; the program uses one, never visible, to carry a command.
class TButton : public TControl {
 public:
  TButton(TWinControl* parent, int controlId) : TControl(parent, controlId, ControlKind::Button) {}
};

class TCheckBox : public TControl {
 public:
  TCheckBox(TWinControl* parent, int controlId)
      : TControl(parent, controlId, ControlKind::CheckBox) {}

  bool Checked() const { return checked_; }
  // Setting the state from code runs OnClick as well, as a user's click would.
  void SetChecked(bool checked);
  // A user's click: toggles, which runs OnClick.
  void Click() override { SetChecked(!checked_); }

 private:
  bool checked_ = false;
};

using TKeyEvent = std::function<void(TControl& sender, std::uint16_t& key, TShiftState shift)>;

class TEdit : public TControl {
 public:
  TEdit(TWinControl* parent, int controlId, ControlKind kind = ControlKind::Edit)
      : TControl(parent, controlId, kind) {
    SetColor(colors::kWhite);
  }

  const std::string& Text() const { return Caption(); }
  void SetText(const std::string& text);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  // Keys as the backend reports them; a handler may swallow a key by
  // setting it to 0.
  void KeyDown(std::uint16_t& key, TShiftState shift);
  void KeyUp(std::uint16_t& key, TShiftState shift);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnChange;

 private:
  bool readOnly_ = false;
};

// An edit with up and down arrows. Its value is its text, which may hold
// anything the user typed; the arrows step a valid number within bounds.
class TSpinEdit : public TEdit {
 public:
  TSpinEdit(TWinControl* parent, int controlId) : TEdit(parent, controlId, ControlKind::SpinEdit) {}
  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  void SetRange(int minValue, int maxValue);
  int Increment() const { return increment_; }
  // The number the field stands for, as the arrows would take it: text that
  // is not a whole number gives the minimum, a number out of bounds the
  // nearer bound.
  int Value() const;
  // The arrow buttons: +1 up, -1 down.
  void Step(int direction);

 private:
  int minValue_ = 0;
  int maxValue_ = 100;
  int increment_ = 1;
};

class TTrackBar : public TControl {
 public:
  TTrackBar(TWinControl* parent, int controlId)
      : TControl(parent, controlId, ControlKind::TrackBar) {}
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetRange(int minValue, int maxValue);
  // Clamped into the range; runs OnChange when the position moves.
  void SetPosition(int position);
  bool ShowTicks() const { return showTicks_; }
  void SetShowTicks(bool show) { showTicks_ = show; }
  TNotifyEvent OnChange;

 private:
  int min_ = 0, max_ = 10, position_ = 0;
  bool showTicks_ = false;
};

enum class TGaugeKind { gkHorizontalBar, gkVerticalBar };

class TGauge : public TControl {
 public:
  TGauge(TWinControl* parent, int controlId) : TControl(parent, controlId, ControlKind::Gauge) {}
  TGaugeKind GaugeKind() const { return gaugeKind_; }
  void SetGaugeKind(TGaugeKind kind);
  TColor ForeColor() const { return foreColor_; }
  TColor BackColor() const { return backColor_; }
  void SetColors(TColor fore, TColor back);
  bool ShowText() const { return showText_; }
  void SetShowText(bool show);

  std::int64_t MinValue() const { return min_; }
  std::int64_t MaxValue() const { return max_; }
  std::int64_t Progress() const { return progress_; }
  // A progress outside the range is taken as the nearer bound; a new range
  // pulls the progress into itself.
  void SetMinValue(std::int64_t v);
  void SetMaxValue(std::int64_t v);
  void SetProgress(std::int64_t v);
  // Whole percent shown, truncated; 0 when the range is empty.
  int PercentDone() const;
  // "%d%%" of PercentDone.
  std::string Text() const;

 private:
  void Clamp();
  void Refresh(int previousPercent);
  TGaugeKind gaugeKind_ = TGaugeKind::gkHorizontalBar;
  TColor foreColor_ = colors::kBlue;
  TColor backColor_ = colors::kSilver;
  bool showText_ = true;
  std::int64_t min_ = 0, max_ = 100, progress_ = 0;
};

// A long operation holds the message loop, so the gauge it drives paints
// at once instead of waiting for WM_PAINT. Each such paint is a round trip
// through the window system, though, and one that an operation stepping
// every few milliseconds pays a hundred times over: between its ends the
// gauge paints at once at most 25 times a second, smooth to the eye, and a
// change in between is shown by the next paint. The ends, where a run
// starts and finishes, always show at once.
constexpr unsigned kGaugePaintIntervalMs = 40;
bool GaugePaintsAtOnce(int percentDone, unsigned msSinceLastPaint);

struct TListColumn {
  std::string caption;
  TAlignment alignment = TAlignment::taLeftJustify;
  int width = 50;
};

class TListView : public TControl {
 public:
  TListView(TWinControl* parent, int controlId)
      : TControl(parent, controlId, ControlKind::ListView) {
    SetColor(colors::kWhite);
  }
  // Columns are fixed before the first row.
  void AddColumn(const TListColumn& column);
  const std::vector<TListColumn>& Columns() const { return columns_; }

  int Count() const { return static_cast<int>(rows_.size()); }
  // Cell 0 is the row's caption, cells 1.. its sub-items.
  const std::string& Cell(int row, int column) const;
  const std::vector<std::string>& Row(int row) const { return rows_.at(row); }
  int AddRow(std::vector<std::string> cells);
  void DeleteRow(int row);
  void Clear();
  // Changes one cell; the peer hears of it only when the text differs.
  void SetCell(int row, int column, const std::string& text);

  int Selected() const { return selected_; }  // -1: none
  void SetSelected(int row);
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int row);

 private:
  std::vector<TListColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
  int selected_ = -1;
  int topIndex_ = 0;
};

struct TStatusPanel {
  int width = 50;
  TAlignment alignment = TAlignment::taLeftJustify;
  std::string text;
};

class TStatusBar : public TControl {
 public:
  TStatusBar(TWinControl* parent, int controlId)
      : TControl(parent, controlId, ControlKind::StatusBar) {
    SetColor(colors::kWhite);
  }
  void AddPanel(int width, TAlignment alignment);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  const TStatusPanel& Panel(int index) const { return panels_.at(index); }
  void SetPanelText(int index, const std::string& text);
  // Right edges as the status bar lays them out: the last panel takes the
  // rest of the width.
  std::vector<int> PanelEdges() const;

 private:
  std::vector<TStatusPanel> panels_;
};

// The pictures of a flat picture button, one strip of equal cells.
enum class ButtonState { Up = 0, Disabled = 1, Down = 2, Exclusive = 3 };

class TSpeedButton : public TControl {
 public:
  TSpeedButton(TWinControl* parent, int controlId)
      : TControl(parent, controlId, ControlKind::SpeedButton) {
    SetTransparent(true);
  }

  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index) { groupIndex_ = index; }
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }
  bool Down() const { return down_; }
  // Holding one button of a group down releases the others of its group.
  void SetDown(bool down);

  // A strip of `count` cells: up, disabled, down, held down.
  void SetGlyph(Bitmap strip, int count);
  const Bitmap& Glyph() const { return glyph_; }
  int NumGlyphs() const { return numGlyphs_; }
  // The cell to show now, and the picture of a cell.
  ButtonState State(bool pressed) const;
  Bitmap Cell(ButtonState state) const;

  // A click: a grouped button is held down first, then OnClick runs.
  void Click() override;

 private:
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool down_ = false;
  Bitmap glyph_;
  int numGlyphs_ = 1;
};

class TPanel : public TWinControl {
 public:
  TPanel(TWinControl* parent, int controlId, ControlKind kind = ControlKind::Panel)
      : TWinControl(parent, controlId, kind) {}
  // A one-pixel frame in this colour, or none.
  bool HasBorder() const { return hasBorder_; }
  TColor BorderColor() const { return borderColor_; }
  void SetBorder(TColor color) {
    hasBorder_ = true;
    borderColor_ = color;
    Notify(Change::State);
  }

 private:
  bool hasBorder_ = false;
  TColor borderColor_ = colors::kBlack;
};

class TGroupBox : public TWinControl {
 public:
  TGroupBox(TWinControl* parent, int controlId)
      : TWinControl(parent, controlId, ControlKind::GroupBox) {}
};

// A pane that scrolls its children vertically.
class TScrollBox : public TWinControl {
 public:
  TScrollBox(TWinControl* parent, int controlId)
      : TWinControl(parent, controlId, ControlKind::ScrollBox) {}
  // The height of what the box holds: the lowest child's bottom edge.
  int ContentHeight() const;
  int ScrollPos() const { return scrollPos_; }
  // Clamped to 0 .. ContentHeight - Height.
  void SetScrollPos(int pos);

 private:
  int scrollPos_ = 0;
};

class TNotebook;

class TPage : public TWinControl {
 public:
  TPage(TNotebook& notebook, int controlId, const std::string& name);
};

// A stack of named pages of which exactly one is visible.
class TNotebook : public TWinControl {
 public:
  TNotebook(TWinControl* parent, int controlId)
      : TWinControl(parent, controlId, ControlKind::Notebook) {}
  TPage& AddPage(int controlId, const std::string& name);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TPage& Page(int index) const { return *pages_.at(index); }
  int PageIndex() const { return pageIndex_; }
  const std::string& ActivePage() const;
  // Looks the name up without regard to letter case; an unknown name
  // changes nothing.
  void SetActivePage(const std::string& name);
  void SetPageIndex(int index);

 private:
  std::vector<std::unique_ptr<TPage>> pages_;
  int pageIndex_ = -1;
};

class TImage : public TControl {
 public:
  TImage(TWinControl* parent, int controlId) : TControl(parent, controlId, ControlKind::Image) {
    SetTransparent(true);
  }
  const Bitmap& Picture() const { return picture_; }
  void SetPicture(Bitmap picture);
  void ClearPicture() { SetPicture(Bitmap()); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);

 private:
  Bitmap picture_;
  bool stretch_ = false;
};

// An image that reports the mouse pointer entering and leaving it.
class TImageEx : public TImage {
 public:
  using TImage::TImage;
  void MouseEnter() override;
  void MouseLeave() override;
  bool MouseInside() const { return inside_; }
  std::function<void(TControl& sender)> OnMouseEnter;
  std::function<void(TControl& sender)> OnMouseLeave;

 private:
  bool inside_ = false;
};

class TImageList {
 public:
  TImageList(int width, int height) : width_(width), height_(height) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }
  // Cuts a strip into pictures of the list's size, left to right.
  void AddStrip(const Bitmap& strip);
  Bitmap Get(int index) const;

 private:
  int width_, height_;
  std::vector<Bitmap> images_;
};

class TMenuItem {
 public:
  TMenuItem(int commandId, std::string caption) : commandId_(commandId), caption_(std::move(caption)) {}
  int CommandId() const { return commandId_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  bool IsSeparator() const { return caption_ == "-"; }
  void Click();
  TNotifyEvent OnClick;

 private:
  int commandId_;
  std::string caption_;
};

class TPopupMenu {
 public:
  TMenuItem& Add(int commandId, const std::string& caption);
  const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
  TMenuItem* FindCommand(int commandId) const;
  // Shows the menu at the screen point and runs the chosen item's click.
  void Popup(int x, int y);

 private:
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

}  // namespace gui
