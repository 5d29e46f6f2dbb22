#include "client/ui/headless/headless_tab_control.h"

#include <algorithm>

namespace hv {

int32_t cHeadlessTabControl::InsertTab(int32_t index, const char* caption, cItemValue value) {
  const int32_t at = std::max(0, std::min(index, TabCount()));
  tabs_.insert(tabs_.begin() + at, cTab{caption, value});
  if (selection_ >= at) ++selection_;
  // A tab control that gets its first tab selects it, as a real one does.
  if (selection_ < 0) selection_ = 0;
  return at;
}

bool cHeadlessTabControl::DeleteTab(int32_t index) {
  if (!Valid(index)) return false;
  tabs_.erase(tabs_.begin() + index);
  if (selection_ == index) {
    selection_ = -1;
  } else if (selection_ > index) {
    --selection_;
  }
  return true;
}

swString cHeadlessTabControl::TabCaption(int32_t index) const {
  return Valid(index) ? tabs_[static_cast<size_t>(index)].caption : swString();
}

cItemValue cHeadlessTabControl::TabValue(int32_t index) const {
  return Valid(index) ? tabs_[static_cast<size_t>(index)].value : 0;
}

void cHeadlessTabControl::Select(int32_t index) { selection_ = Valid(index) ? index : -1; }

int32_t cHeadlessTabControl::TabAt(cPoint point) const {
  if (point.x < 0 || point.y < 0 || point.y >= kTabHeight) return -1;
  const int32_t index = point.x / kTabWidth;
  return index < TabCount() ? index : -1;
}

cRect cHeadlessTabControl::DisplayArea() const {
  const cRect rect = Rect();
  cRect area{kPageInset, kTabHeight + kPageInset, rect.Width() - kPageInset,
             rect.Height() - kPageInset};
  if (area.right < area.left) area.right = area.left;
  if (area.bottom < area.top) area.bottom = area.top;
  return area;
}

}  // namespace hv
