#include "client/ui/headless/headless_combo_box.h"

#include <strings.h>

int32_t cHeadlessComboBox::AddEntry(const char* text, cItemValue value) {
  size_t at = entries_.size();
  if ((Styles() & kComboSorted) != 0) {
    at = 0;
    while (at < entries_.size() &&
           strcasecmp(entries_[at].text.CStr(), text != nullptr ? text : "") <= 0) {
      ++at;
    }
  }
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), cEntry{text, value});
  if (selection_ >= static_cast<int32_t>(at)) ++selection_;
  return static_cast<int32_t>(at);
}

bool cHeadlessComboBox::DeleteEntry(int32_t index) {
  if (!Valid(index)) return false;
  entries_.erase(entries_.begin() + index);
  if (selection_ == index) {
    selection_ = -1;
  } else if (selection_ > index) {
    --selection_;
  }
  return true;
}

void cHeadlessComboBox::DeleteAllEntries() {
  entries_.clear();
  selection_ = -1;
}

swString cHeadlessComboBox::EntryText(int32_t index) const {
  return Valid(index) ? entries_[static_cast<size_t>(index)].text : swString();
}

cItemValue cHeadlessComboBox::EntryValue(int32_t index) const {
  return Valid(index) ? entries_[static_cast<size_t>(index)].value : 0;
}

bool cHeadlessComboBox::SetEntryValue(int32_t index, cItemValue value) {
  if (!Valid(index)) return false;
  entries_[static_cast<size_t>(index)].value = value;
  return true;
}

void cHeadlessComboBox::Select(int32_t index) {
  selection_ = Valid(index) ? index : -1;
  if (selection_ >= 0) SetText(entries_[static_cast<size_t>(selection_)].text.CStr());
}
