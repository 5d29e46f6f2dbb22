#include "client/ui/qt/qt_combo_box.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace hv {

cQtComboBox::cQtComboBox(QWidget* parent, const cControlLayout& layout)
    : tQtControl<cComboBox>(new QComboBox(parent), layout),
      combo_(static_cast<QComboBox*>(Widget())) {
  combo_->setEditable((layout.styles & kComboEditable) != 0);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  combo_->setCurrentIndex(-1);
}

void cQtComboBox::SetText(const char* text) {
  if (combo_->isEditable()) combo_->lineEdit()->setText(DecodeText(text));
}

swString cQtComboBox::Text() const {
  if (combo_->isEditable()) return EncodeText(combo_->lineEdit()->text());
  return entries_.Text(combo_->currentIndex());
}

int32_t cQtComboBox::AddEntry(const char* text, cItemValue value) {
  const int32_t at = entries_.Add(text, value, (Styles() & kComboSorted) != 0);
  const QSignalBlocker quiet(combo_);
  const QString shown = combo_->isEditable() ? combo_->lineEdit()->text() : QString();
  combo_->insertItem(at, DecodeText(text));
  // Inserting into an empty box would select the entry; the program selects explicitly.
  if (combo_->count() == 1) combo_->setCurrentIndex(-1);
  if (combo_->isEditable()) combo_->lineEdit()->setText(shown);
  return at;
}

bool cQtComboBox::DeleteEntry(int32_t index) {
  if (!Valid(index)) return false;
  const QSignalBlocker quiet(combo_);
  const bool was_selected = combo_->currentIndex() == index;
  (void)entries_.Delete(index);
  combo_->removeItem(index);
  // Qt would choose a neighbour; the entry chosen is gone, so nothing is chosen now.
  if (was_selected) combo_->setCurrentIndex(-1);
  return true;
}

void cQtComboBox::DeleteAllEntries() {
  const QSignalBlocker quiet(combo_);
  entries_.Clear();
  combo_->clear();
}

void cQtComboBox::Select(int32_t index) {
  const QSignalBlocker quiet(combo_);
  combo_->setCurrentIndex(Valid(index) ? index : -1);
}

}  // namespace hv
