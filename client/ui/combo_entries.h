// cComboEntries: the entries of a drop-down list (text and value, in the list's order), kept
// once for every toolkit, with the one rule of where an entry of a sorted list goes.
#ifndef HV_CLIENT_UI_COMBO_ENTRIES_H_
#define HV_CLIENT_UI_COMBO_ENTRIES_H_

#include <cstdint>
#include <vector>

#include "client/ui/control.h"

namespace hv {

class cComboEntries {
 public:
  // Appends the entry, or when `sorted` inserts it after every entry whose text is
  // case-insensitively not above it (so equal texts keep their order of arrival). Returns
  // its index.
  int32_t Add(const char* text, cItemValue value, bool sorted);
  bool Delete(int32_t index);
  void Clear() { entries_.clear(); }

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  bool Valid(int32_t index) const { return index >= 0 && index < Count(); }
  // Out of range: empty text, value 0, and SetValue returns false.
  swString Text(int32_t index) const;
  cItemValue Value(int32_t index) const;
  bool SetValue(int32_t index, cItemValue value);

 private:
  struct cEntry {
    swString text;
    cItemValue value = 0;
  };
  std::vector<cEntry> entries_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_COMBO_ENTRIES_H_
