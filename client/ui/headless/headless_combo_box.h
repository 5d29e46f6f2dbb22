// cHeadlessComboBox: an in-memory drop-down list.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_COMBO_BOX_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_COMBO_BOX_H_

#include <vector>

#include "client/ui/combo_box.h"
#include "client/ui/headless/headless_control.h"

class cHeadlessComboBox : public tHeadlessControl<cComboBox> {
 public:
  using tHeadlessControl<cComboBox>::tHeadlessControl;

  [[nodiscard]] int32_t AddEntry(const char* text, cItemValue value) override;
  bool DeleteEntry(int32_t index) override;
  void DeleteAllEntries() override;
  int32_t EntryCount() const override { return static_cast<int32_t>(entries_.size()); }
  swString EntryText(int32_t index) const override;
  cItemValue EntryValue(int32_t index) const override;
  bool SetEntryValue(int32_t index, cItemValue value) override;
  int32_t Selection() const override { return selection_; }
  void Select(int32_t index) override;

 private:
  struct cEntry {
    swString text;
    cItemValue value;
  };
  bool Valid(int32_t index) const {
    return index >= 0 && index < static_cast<int32_t>(entries_.size());
  }

  std::vector<cEntry> entries_;
  int32_t selection_ = -1;
};

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_COMBO_BOX_H_
