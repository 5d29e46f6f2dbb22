// Drop-down lists of the Qt realisation, on QComboBox.
#ifndef HV_CLIENT_UI_QT_QT_COMBO_BOX_H_
#define HV_CLIENT_UI_QT_QT_COMBO_BOX_H_

#include <QComboBox>

#include "client/ui/combo_box.h"
#include "client/ui/combo_entries.h"
#include "client/ui/qt/qt_control.h"

namespace hv {

class cQtComboBox : public tQtControl<cComboBox> {
 public:
  cQtComboBox(QWidget* parent, const cControlLayout& layout);

  void SetText(const char* text) override;
  swString Text() const override;
  int32_t AddEntry(const char* text, cItemValue value) override;
  bool DeleteEntry(int32_t index) override;
  void DeleteAllEntries() override;
  int32_t EntryCount() const override { return combo_->count(); }
  swString EntryText(int32_t index) const override { return entries_.Text(index); }
  cItemValue EntryValue(int32_t index) const override { return entries_.Value(index); }
  bool SetEntryValue(int32_t index, cItemValue value) override {
    return entries_.SetValue(index, value);
  }
  int32_t Selection() const override { return combo_->currentIndex(); }
  void Select(int32_t index) override;

  QComboBox* Combo() const { return combo_; }

 private:
  bool Valid(int32_t index) const { return index >= 0 && index < combo_->count(); }

  QComboBox* combo_;
  // The entries' program texts and values, in the combo box's order.
  cComboEntries entries_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_COMBO_BOX_H_
