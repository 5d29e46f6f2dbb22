// cHeadlessComboBox: an in-memory drop-down list.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_COMBO_BOX_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_COMBO_BOX_H_

#include "client/ui/combo_box.h"
#include "client/ui/combo_entries.h"
#include "client/ui/headless/headless_control.h"

namespace hv {

class cHeadlessComboBox : public tHeadlessControl<cComboBox> {
 public:
  using tHeadlessControl<cComboBox>::tHeadlessControl;

  int32_t AddEntry(const char* text, cItemValue value) override;
  bool DeleteEntry(int32_t index) override;
  void DeleteAllEntries() override;
  int32_t EntryCount() const override { return entries_.Count(); }
  swString EntryText(int32_t index) const override { return entries_.Text(index); }
  cItemValue EntryValue(int32_t index) const override { return entries_.Value(index); }
  bool SetEntryValue(int32_t index, cItemValue value) override {
    return entries_.SetValue(index, value);
  }
  int32_t Selection() const override { return selection_; }
  void Select(int32_t index) override;

 private:
  cComboEntries entries_;
  int32_t selection_ = -1;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_COMBO_BOX_H_
