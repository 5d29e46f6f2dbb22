#include "core/archive/class_registry.h"

#include <new>

namespace hv {

int swClassInfoList::Register(uint16_t id, swFactory factory, uint16_t version) {
  if (factory == nullptr) return -1;
  auto* info = new (std::nothrow) swClassInfo(id, factory, version);
  if (info == nullptr) return -1;
  if (AddTail(info) != 0) {
    delete info;
    return -1;
  }
  return 0;
}

const swClassInfo* swClassInfoList::Find(uint16_t id) const {
  // A registry holds a few dozen entries at most; walking the ring directly keeps Find const.
  for (const swLink* node = next; node != nullptr && node != this; node = node->next) {
    if (node->removed) continue;
    const auto* info = static_cast<const swClassInfo*>(node->item);
    if (info->class_id == id) return info;
  }
  return nullptr;
}

void swClassInfoList::Clear() {
  swListIterator cursor(this);
  while (cursor.Next()) {
    swStorable* item = cursor.Current();
    cursor.RemoveCurrent();
    delete item;
  }
}

}  // namespace hv
