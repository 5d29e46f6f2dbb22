#include "client/ui/headless/headless_combo_box.h"

namespace hv {

int32_t cHeadlessComboBox::AddEntry(const char* text, cItemValue value) {
  const int32_t at = entries_.Add(text, value, (Styles() & kComboSorted) != 0);
  if (selection_ >= at) ++selection_;
  return at;
}

bool cHeadlessComboBox::DeleteEntry(int32_t index) {
  if (!entries_.Delete(index)) return false;
  if (selection_ == index) {
    selection_ = -1;
  } else if (selection_ > index) {
    --selection_;
  }
  return true;
}

void cHeadlessComboBox::DeleteAllEntries() {
  entries_.Clear();
  selection_ = -1;
}

void cHeadlessComboBox::Select(int32_t index) {
  selection_ = entries_.Valid(index) ? index : -1;
  if (selection_ >= 0) SetText(entries_.Text(selection_).CStr());
}

}  // namespace hv
