#include "client/views/log/activity_items.h"

#include <array>
#include <cstring>
#include <new>
#include <utility>

namespace hv {

static_assert(sizeof(CActivityItem) == 32, "an item's fixed part stays 32 bytes");

namespace {

// The five texts in the order the block keeps them.
template <typename Record>
auto TextsOf(Record& entry) {
  return std::array{&entry.name, &entry.message, &entry.path, &entry.date_text, &entry.time_text};
}

}  // namespace

CActivityItem* CActivityItem::Make(const LogItemRecord& entry, int16_t show_flag) {
  const auto texts = TextsOf(entry);
  size_t text_bytes = 0;
  for (const swString* text : texts) text_bytes += text->GetLength() + 1;
  // One block: the item, then its texts.
  void* block = ::operator new(sizeof(CActivityItem) + text_bytes, std::nothrow);
  if (block == nullptr) return nullptr;
  char* out = static_cast<char*>(block) + sizeof(CActivityItem);
  for (const swString* text : texts) {
    const size_t length = text->GetLength();
    std::memcpy(out, text->CStr(), length + 1);
    out += length + 1;
  }
  return new (block) CActivityItem(entry, show_flag);
}

CActivityItem::CActivityItem(const LogItemRecord& entry, int16_t show_flag)
    : value_(entry.value),
      entry_type_(entry.entry_type),
      function_code_(entry.function_code),
      extra_(entry.extra),
      detail1_(entry.detail1),
      detail2_(entry.detail2),
      shown_(show_flag == 1 ? 1 : 0) {}

void CActivityItem::Release() const {
  if (--holds_ != 0) return;
  this->~CActivityItem();
  ::operator delete(const_cast<CActivityItem*>(this));
}

const char* CActivityItem::Text(int index) const {
  const char* text = reinterpret_cast<const char*>(this) + sizeof(CActivityItem);
  for (int i = 0; i < index; ++i) text += std::strlen(text) + 1;
  return text;
}

LogItemRecord CActivityItem::Entry() const {
  LogItemRecord entry;
  entry.entry_type = entry_type_;
  entry.function_code = function_code_;
  entry.value = value_;
  entry.extra = extra_;
  entry.detail1 = detail1_;
  entry.detail2 = detail2_;
  const char* text = Text(0);
  for (swString* field : TextsOf(entry)) {
    const size_t length = std::strlen(text);
    // An empty text stays unallocated, as a record that never had one.
    if (length != 0) field->Assign(text);
    text += length + 1;
  }
  return entry;
}

CActivityItemList::~CActivityItemList() { Clear(); }

CActivityItem* CActivityItemList::Append(const LogItemRecord& entry, int16_t show_flag) {
  CActivityItem* item = CActivityItem::Make(entry, show_flag);
  if (item != nullptr) items_.push_back(item);
  return item;
}

bool CActivityItemList::RemoveOldest() {
  if (items_.empty()) return false;
  // Taken out of the list first, so a hook that walks the list no longer sees it.
  CActivityItem* oldest = items_.front();
  items_.pop_front();
  if (forget_) forget_(oldest);
  oldest->Release();
  return true;
}

void CActivityItemList::Clear() {
  while (RemoveOldest()) {
  }
}

CActivityItem* CActivityItemList::At(size_t index) const {
  return index < items_.size() ? items_[index] : nullptr;
}

}  // namespace hv
