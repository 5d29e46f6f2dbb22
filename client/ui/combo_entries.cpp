#include "client/ui/combo_entries.h"

#include <strings.h>

#include <algorithm>

namespace hv {

int32_t cComboEntries::Add(const char* text, cItemValue value, bool sorted) {
  const char* wanted = text != nullptr ? text : "";
  auto at = entries_.end();
  if (sorted) {
    at = std::upper_bound(entries_.begin(), entries_.end(), wanted,
                          [](const char* key, const cEntry& entry) {
                            return strcasecmp(key, entry.text.CStr()) < 0;
                          });
  }
  at = entries_.insert(at, cEntry{wanted, value});
  return static_cast<int32_t>(at - entries_.begin());
}

bool cComboEntries::Delete(int32_t index) {
  if (!Valid(index)) return false;
  entries_.erase(entries_.begin() + index);
  return true;
}

swString cComboEntries::Text(int32_t index) const {
  return Valid(index) ? entries_[static_cast<size_t>(index)].text : swString();
}

cItemValue cComboEntries::Value(int32_t index) const {
  return Valid(index) ? entries_[static_cast<size_t>(index)].value : 0;
}

bool cComboEntries::SetValue(int32_t index, cItemValue value) {
  if (!Valid(index)) return false;
  entries_[static_cast<size_t>(index)].value = value;
  return true;
}

}  // namespace hv
