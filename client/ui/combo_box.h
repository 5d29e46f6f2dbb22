// cComboBox: a drop-down list of entries, each with a text and a value. An editable one also
// has an edit part, read and written through cControl's text. Choosing an entry reaches the
// window's OnCommand with eCommandEvent::kSelectionChanged.
#ifndef HV_CLIENT_UI_COMBO_BOX_H_
#define HV_CLIENT_UI_COMBO_BOX_H_

#include "client/ui/control.h"

namespace hv {

class cComboBox : public cControl {
 public:
  // Appends the entry, or with the sorted style inserts it in case-insensitive order.
  // Returns its index. Adding cannot fail, so this is no status: callers that fill a box in
  // order and look entries up by value have no use for it.
  virtual int32_t AddEntry(const char* text, cItemValue value) = 0;
  virtual bool DeleteEntry(int32_t index) = 0;
  virtual void DeleteAllEntries() = 0;
  virtual int32_t EntryCount() const = 0;
  virtual swString EntryText(int32_t index) const = 0;     // empty when out of range
  virtual cItemValue EntryValue(int32_t index) const = 0;  // 0 when out of range
  virtual bool SetEntryValue(int32_t index, cItemValue value) = 0;

  // -1 when none. Selecting -1 clears the selection; selecting an entry also shows its text.
  virtual int32_t Selection() const = 0;
  virtual void Select(int32_t index) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_COMBO_BOX_H_
