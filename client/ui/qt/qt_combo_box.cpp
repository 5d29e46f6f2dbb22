#include "client/ui/qt/qt_combo_box.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include <strings.h>

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
  return Valid(combo_->currentIndex()) ? entries_[static_cast<size_t>(combo_->currentIndex())].text
                                       : swString();
}

int32_t cQtComboBox::AddEntry(const char* text, cItemValue value) {
  size_t at = entries_.size();
  if ((Styles() & kComboSorted) != 0) {
    at = 0;
    while (at < entries_.size() &&
           strcasecmp(entries_[at].text.CStr(), text != nullptr ? text : "") <= 0) {
      ++at;
    }
  }
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), cEntry{text, value});
  const QSignalBlocker quiet(combo_);
  const QString shown = combo_->isEditable() ? combo_->lineEdit()->text() : QString();
  combo_->insertItem(static_cast<int>(at), DecodeText(text));
  // Inserting into an empty box would select the entry; the program selects explicitly.
  if (combo_->count() == 1) combo_->setCurrentIndex(-1);
  if (combo_->isEditable()) combo_->lineEdit()->setText(shown);
  return static_cast<int32_t>(at);
}

bool cQtComboBox::DeleteEntry(int32_t index) {
  if (!Valid(index)) return false;
  const QSignalBlocker quiet(combo_);
  entries_.erase(entries_.begin() + index);
  combo_->removeItem(index);
  return true;
}

void cQtComboBox::DeleteAllEntries() {
  const QSignalBlocker quiet(combo_);
  entries_.clear();
  combo_->clear();
}

swString cQtComboBox::EntryText(int32_t index) const {
  return Valid(index) ? entries_[static_cast<size_t>(index)].text : swString();
}

cItemValue cQtComboBox::EntryValue(int32_t index) const {
  return Valid(index) ? entries_[static_cast<size_t>(index)].value : 0;
}

bool cQtComboBox::SetEntryValue(int32_t index, cItemValue value) {
  if (!Valid(index)) return false;
  entries_[static_cast<size_t>(index)].value = value;
  return true;
}

void cQtComboBox::Select(int32_t index) {
  const QSignalBlocker quiet(combo_);
  combo_->setCurrentIndex(Valid(index) ? index : -1);
}
