#include "client/ui/qt/qt_tab_control.h"

#include <QFrame>
#include <QSignalBlocker>

#include <algorithm>

namespace hv {

namespace {

QWidget* MakeArea(QWidget* parent) {
  auto* area = new QFrame(parent);
  area->setFrameShape(QFrame::StyledPanel);
  return area;
}

}  // namespace

cQtTabControl::cQtTabControl(QWidget* parent, const cControlLayout& layout)
    : tQtControl<cTabControl>(MakeArea(parent), layout), bar_(new QTabBar(Widget())) {
  bar_->setExpanding(false);
  bar_->setDrawBase(true);
  bar_->setElideMode(Qt::ElideNone);
  PlaceBar();
}

void cQtTabControl::PlaceBar() {
  bar_->setGeometry(0, 0, Widget()->width(), bar_->sizeHint().height());
}

void cQtTabControl::Move(const cRect& rect, bool repaint) {
  tQtControl<cTabControl>::Move(rect, repaint);
  PlaceBar();
}

int32_t cQtTabControl::InsertTab(int32_t index, const char* caption, cItemValue value) {
  const int32_t at = std::clamp(index, 0, TabCount());
  tabs_.insert(tabs_.begin() + at, cTab{caption, value});
  const QSignalBlocker quiet(bar_);
  bar_->insertTab(at, CaptionText(caption));
  PlaceBar();
  return at;
}

bool cQtTabControl::DeleteTab(int32_t index) {
  if (!Valid(index)) return false;
  tabs_.erase(tabs_.begin() + index);
  const QSignalBlocker quiet(bar_);
  bar_->removeTab(index);
  return true;
}

swString cQtTabControl::TabCaption(int32_t index) const {
  return Valid(index) ? tabs_[static_cast<size_t>(index)].caption : swString();
}

cItemValue cQtTabControl::TabValue(int32_t index) const {
  return Valid(index) ? tabs_[static_cast<size_t>(index)].value : 0;
}

void cQtTabControl::Select(int32_t index) {
  const QSignalBlocker quiet(bar_);
  bar_->setCurrentIndex(Valid(index) ? index : -1);
}

int32_t cQtTabControl::TabAt(cPoint point) const {
  return bar_->tabAt(bar_->mapFrom(Widget(), QPoint(point.x, point.y)));
}

cRect cQtTabControl::DisplayArea() const {
  constexpr int32_t kInset = 4;
  const int32_t top = bar_->sizeHint().height() + kInset;
  cRect area{kInset, top, Widget()->width() - kInset, Widget()->height() - kInset};
  if (area.right < area.left) area.right = area.left;
  if (area.bottom < area.top) area.bottom = area.top;
  return area;
}

}  // namespace hv
