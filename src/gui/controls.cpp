#include "gui/controls.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "gui/application.h"

namespace gui {

namespace {
bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}
}  // namespace

// --- TControl --------------------------------------------------------------------

TControl::TControl(TWinControl* parent, int controlId, ControlKind kind)
    : parent_(parent), controlId_(controlId), kind_(kind) {
  if (parent_ != nullptr) {
    parent_->children_.push_back(this);
    color_ = parent_->Color();
  }
}

void TControl::CreateOwnPeer() {
  if (peer_ != nullptr || !HasApplication()) return;
  peer_ = Application().GetBackend().CreatePeer(*this);
}

void TWinControl::CreatePeers() {
  CreateOwnPeer();
  if (!HasApplication()) return;
  for (TControl* child : Application().GetBackend().PeerCreationOrder(*this)) child->CreatePeers();
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

void TControl::BringToFront() {
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    siblings.push_back(this);
  }
  broughtToFront_ = true;
  Notify(Change::Order);
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Notify(Change::Visible);
}

bool TControl::Showing() const {
  for (const TControl* c = this; c != nullptr; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Notify(Change::Enabled);
}

void TControl::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Notify(Change::Caption);
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Notify(Change::State);
}

void TControl::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Notify(Change::State);
}

void TControl::SetFont(const TFont& font) {
  if (font == font_) return;
  font_ = font;
  Notify(Change::State);
}

void TControl::Click() { Fire(OnClick); }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TControl::AttachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }

void TControl::Repaint() {
  if (HasApplication()) Application().GetBackend().RepaintNow(*this);
}

void TControl::Notify(Change what) {
  if (peer_) peer_->Changed(what);
}

void TControl::NotifyItem(ItemChange what, int row, int column) {
  if (peer_) peer_->ItemChanged(what, row, column);
}

void TControl::Fire(const TNotifyEvent& event) {
  if (event) event();
}

TControl* TWinControl::FindById(int controlId) {
  if (ControlId() == controlId) return this;
  for (TControl* child : children_) {
    if (child->ControlId() == controlId) return child;
    if (auto* win = dynamic_cast<TWinControl*>(child)) {
      if (TControl* found = win->FindById(controlId)) return found;
    }
  }
  return nullptr;
}

// --- simple controls ---------------------------------------------------------------

void TLabel::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  Notify(Change::State);
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Notify(Change::State);
  Fire(OnClick);
}

void TEdit::SetText(const std::string& text) {
  if (text == Caption()) return;
  SetCaption(text);
  Fire(OnChange);
}

void TEdit::SetReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  Notify(Change::State);
}

void TEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
}

void TEdit::KeyUp(std::uint16_t& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(*this, key, shift);
}

void TSpinEdit::SetRange(int minValue, int maxValue) {
  minValue_ = minValue;
  maxValue_ = std::max(minValue, maxValue);
  Notify(Change::State);
}

namespace {
// A whole decimal number with an optional sign and surrounding blanks;
// out-of-range values saturate, so they clamp to the nearer bound.
bool ParseWholeNumber(const std::string& text, long long& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t digitsStart = i;
  long long v = 0;
  constexpr long long kSaturated = 1LL << 40;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    v = std::min(kSaturated, v * 10 + (text[i] - '0'));
    ++i;
  }
  if (i == digitsStart) return false;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i != text.size()) return false;
  value = negative ? -v : v;
  return true;
}
}  // namespace

int TSpinEdit::Value() const {
  long long value = 0;
  if (!ParseWholeNumber(Text(), value)) return minValue_;
  return static_cast<int>(std::clamp<long long>(value, minValue_, maxValue_));
}

void TSpinEdit::Step(int direction) {
  if (ReadOnly()) return;
  // A text that is no number steps from the bound it would move away from.
  long value = 0;
  char tail = 0;
  const bool valid = std::sscanf(Text().c_str(), "%ld%c", &value, &tail) == 1;
  if (!valid) value = direction > 0 ? minValue_ - increment_ : maxValue_ + increment_;
  value += direction > 0 ? increment_ : -increment_;
  value = std::clamp<long>(value, minValue_, maxValue_);
  SetText(std::to_string(value));
}

void TTrackBar::SetRange(int minValue, int maxValue) {
  min_ = minValue;
  max_ = std::max(minValue, maxValue);
  Notify(Change::State);
  SetPosition(position_);
}

void TTrackBar::SetPosition(int position) {
  position = std::clamp(position, min_, max_);
  if (position == position_) return;
  position_ = position;
  Notify(Change::State);
  Fire(OnChange);
}

// --- TGauge ---------------------------------------------------------------------------

void TGauge::SetGaugeKind(TGaugeKind kind) {
  gaugeKind_ = kind;
  Notify(Change::State);
}

void TGauge::SetColors(TColor fore, TColor back) {
  foreColor_ = fore;
  backColor_ = back;
  Notify(Change::State);
}

void TGauge::SetShowText(bool show) {
  showText_ = show;
  Notify(Change::State);
}

void TGauge::Clamp() { progress_ = std::clamp(progress_, min_, std::max(min_, max_)); }

void TGauge::Refresh(int previousPercent) {
  // Repaint at once when what is shown changes, so a long operation that
  // holds the message loop still shows its progress.
  if (PercentDone() != previousPercent) Notify(Change::State);
}

void TGauge::SetMinValue(std::int64_t v) {
  const int before = PercentDone();
  min_ = v;
  if (max_ < min_) max_ = min_;
  Clamp();
  Refresh(before);
}

void TGauge::SetMaxValue(std::int64_t v) {
  const int before = PercentDone();
  max_ = v;
  if (min_ > max_) min_ = max_;
  Clamp();
  Refresh(before);
}

void TGauge::SetProgress(std::int64_t v) {
  const int before = PercentDone();
  progress_ = v;
  Clamp();
  Refresh(before);
}

int TGauge::PercentDone() const {
  if (max_ <= min_) return 0;
  return static_cast<int>(100 * (progress_ - min_) / (max_ - min_));
}

std::string TGauge::Text() const {
  char text[16];
  std::snprintf(text, sizeof text, "%d%%", PercentDone());
  return text;
}

bool GaugePaintsAtOnce(int percentDone, unsigned msSinceLastPaint) {
  return percentDone <= 0 || percentDone >= 100 || msSinceLastPaint >= kGaugePaintIntervalMs;
}

// --- TListView ------------------------------------------------------------------------

void TListView::AddColumn(const TListColumn& column) {
  columns_.push_back(column);
  Notify(Change::Items);
}

const std::string& TListView::Cell(int row, int column) const {
  static const std::string kEmpty;
  const auto& cells = rows_.at(row);
  return column >= 0 && column < static_cast<int>(cells.size()) ? cells[column] : kEmpty;
}

int TListView::AddRow(std::vector<std::string> cells) {
  cells.resize(std::max<std::size_t>(columns_.size(), 1));
  rows_.push_back(std::move(cells));
  const int row = Count() - 1;
  NotifyItem(ItemChange::Inserted, row, -1);
  return row;
}

void TListView::DeleteRow(int row) {
  if (row < 0 || row >= Count()) return;
  rows_.erase(rows_.begin() + row);
  if (selected_ == row) {
    selected_ = -1;
  } else if (selected_ > row) {
    --selected_;
  }
  if (topIndex_ > row) --topIndex_;
  NotifyItem(ItemChange::Deleted, row, -1);
}

void TListView::Clear() {
  rows_.clear();
  selected_ = -1;
  topIndex_ = 0;
  NotifyItem(ItemChange::Cleared, -1, -1);
}

void TListView::SetCell(int row, int column, const std::string& text) {
  auto& cells = rows_.at(row);
  if (column < 0) return;
  if (column >= static_cast<int>(cells.size())) cells.resize(column + 1);
  if (cells[column] == text) return;
  cells[column] = text;
  NotifyItem(ItemChange::Cell, row, column);
}

void TListView::SetSelected(int row) {
  if (row < -1 || row >= Count()) row = -1;
  if (row == selected_) return;
  selected_ = row;
  Notify(Change::State);
}

void TListView::SetTopIndex(int row) {
  row = std::clamp(row, 0, std::max(0, Count() - 1));
  if (row == topIndex_) return;
  topIndex_ = row;
  Notify(Change::State);
}

// --- TStatusBar -----------------------------------------------------------------------

void TStatusBar::AddPanel(int width, TAlignment alignment) {
  panels_.push_back(TStatusPanel{width, alignment, ""});
  Notify(Change::Items);
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  auto& panel = panels_.at(index);
  if (panel.text == text) return;
  panel.text = text;
  NotifyItem(ItemChange::Cell, index, 0);
}

std::vector<int> TStatusBar::PanelEdges() const {
  std::vector<int> edges;
  int right = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    right += panels_[i].width;
    edges.push_back(i + 1 == panels_.size() ? -1 : right);
  }
  return edges;
}

// --- TSpeedButton ---------------------------------------------------------------------

void TSpeedButton::SetDown(bool down) {
  if (down == down_) return;
  if (!down && groupIndex_ != 0 && !allowAllUp_) {
    // One button of a group that cannot be all up stays held down.
    bool anotherDown = false;
    if (Parent() != nullptr) {
      for (TControl* c : Parent()->Children()) {
        auto* b = dynamic_cast<TSpeedButton*>(c);
        if (b != nullptr && b != this && b->groupIndex_ == groupIndex_ && b->down_) anotherDown = true;
      }
    }
    if (!anotherDown) return;
  }
  down_ = down;
  if (down_ && groupIndex_ != 0 && Parent() != nullptr) {
    for (TControl* c : Parent()->Children()) {
      auto* b = dynamic_cast<TSpeedButton*>(c);
      if (b != nullptr && b != this && b->groupIndex_ == groupIndex_ && b->down_) {
        b->down_ = false;
        b->Notify(Change::State);
      }
    }
  }
  Notify(Change::State);
}

void TSpeedButton::SetGlyph(Bitmap strip, int count) {
  glyph_ = std::move(strip);
  numGlyphs_ = std::max(1, count);
  Notify(Change::Picture);
}

ButtonState TSpeedButton::State(bool pressed) const {
  if (!Enabled()) return ButtonState::Disabled;
  if (down_) return ButtonState::Exclusive;
  return pressed ? ButtonState::Down : ButtonState::Up;
}

Bitmap TSpeedButton::Cell(ButtonState state) const {
  if (glyph_.Empty()) return Bitmap();
  int index = static_cast<int>(state);
  // A strip without the asked-for cell shows its first one.
  if (index >= numGlyphs_) index = 0;
  const int cellWidth = glyph_.Width() / numGlyphs_;
  return glyph_.Crop(index * cellWidth, 0, cellWidth, glyph_.Height());
}

void TSpeedButton::Click() {
  if (groupIndex_ != 0) {
    if (down_ && allowAllUp_) {
      SetDown(false);
    } else {
      SetDown(true);
    }
  }
  TControl::Click();
}

// --- containers -----------------------------------------------------------------------

int TScrollBox::ContentHeight() const {
  int bottom = 0;
  for (const TControl* c : Children()) bottom = std::max(bottom, c->Top() + c->Height());
  return bottom;
}

void TScrollBox::SetScrollPos(int pos) {
  pos = std::clamp(pos, 0, std::max(0, ContentHeight() - Height()));
  if (pos == scrollPos_) return;
  scrollPos_ = pos;
  Notify(Change::State);
}

TPage::TPage(TNotebook& notebook, int controlId, const std::string& name)
    : TWinControl(&notebook, controlId, ControlKind::Page) {
  SetCaption(name);
  SetBounds(0, 0, notebook.Width(), notebook.Height());
}

TPage& TNotebook::AddPage(int controlId, const std::string& name) {
  pages_.push_back(std::make_unique<TPage>(*this, controlId, name));
  TPage& page = *pages_.back();
  if (pageIndex_ < 0) {
    pageIndex_ = 0;
  } else {
    page.Hide();
  }
  return page;
}

const std::string& TNotebook::ActivePage() const {
  static const std::string kNone;
  return pageIndex_ >= 0 ? pages_[pageIndex_]->Caption() : kNone;
}

void TNotebook::SetActivePage(const std::string& name) {
  for (int i = 0; i < PageCount(); ++i) {
    if (SameTextIgnoringCase(pages_[i]->Caption(), name)) {
      SetPageIndex(i);
      return;
    }
  }
}

void TNotebook::SetPageIndex(int index) {
  if (index < 0 || index >= PageCount() || index == pageIndex_) return;
  // Show the new page before hiding the old, so the area never flashes empty.
  pages_[index]->Show();
  if (pageIndex_ >= 0) pages_[pageIndex_]->Hide();
  pageIndex_ = index;
}

// --- images -------------------------------------------------------------------------------

void TImage::SetPicture(Bitmap picture) {
  picture_ = std::move(picture);
  Notify(Change::Picture);
}

void TImage::SetStretch(bool stretch) {
  if (stretch == stretch_) return;
  stretch_ = stretch;
  Notify(Change::Picture);
}

void TImageEx::MouseEnter() {
  if (inside_) return;
  inside_ = true;
  if (OnMouseEnter) OnMouseEnter(*this);
}

void TImageEx::MouseLeave() {
  if (!inside_) return;
  inside_ = false;
  if (OnMouseLeave) OnMouseLeave(*this);
}

void TImageList::AddStrip(const Bitmap& strip) {
  if (width_ <= 0 || height_ <= 0) return;
  for (int x = 0; x + width_ <= strip.Width(); x += width_) {
    images_.push_back(strip.Crop(x, 0, width_, height_));
  }
}

Bitmap TImageList::Get(int index) const {
  if (index < 0 || index >= Count()) return Bitmap();
  return images_[index];
}

// --- menus ------------------------------------------------------------------------------------

void TMenuItem::Click() {
  if (OnClick) OnClick();
}

TMenuItem& TPopupMenu::Add(int commandId, const std::string& caption) {
  items_.push_back(std::make_unique<TMenuItem>(commandId, caption));
  return *items_.back();
}

TMenuItem* TPopupMenu::FindCommand(int commandId) const {
  for (const auto& item : items_) {
    if (item->CommandId() == commandId && !item->IsSeparator()) return item.get();
  }
  return nullptr;
}

void TPopupMenu::Popup(int x, int y) {
  const int command = Application().GetBackend().TrackPopupMenu(*this, x, y);
  if (TMenuItem* item = FindCommand(command)) Application().Dispatch([item] { item->Click(); });
}

}  // namespace gui
