#include "core/archive/class_registry.h"

#include <new>
#include <string>

namespace hv {

hv::Status swClassInfoList::Register(uint16_t id, swFactory factory, uint16_t version) {
  const std::string refused = "class " + std::to_string(id) + " cannot be registered: ";
  if (factory == nullptr) return hv::Status::Failure(hv::Where::kArchive, refused + "no factory");
  auto* info = new (std::nothrow) swClassInfo(id, factory, version);
  if (info == nullptr) return hv::Status::Failure(hv::Where::kArchive, refused + "out of memory");
  const hv::Status added = AddTail(info);
  if (!added.ok()) {
    delete info;
    return hv::Status::Failure(hv::Where::kArchive, refused + added.message());
  }
  return hv::Status::Ok();
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
