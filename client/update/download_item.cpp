#include "client/update/download_item.h"

#include <cstring>

namespace hv {

Status cDownloadItemList::Add(cDownloadItem* item) {
  Status added = AddTail(item);
  if (!added.ok()) delete item;
  return added;
}

void cDownloadItemList::FreeAll() {
  swListIterator cursor(this);
  while (cursor.Next()) {
    auto* item = static_cast<cDownloadItem*>(cursor.Current());
    cursor.RemoveCurrent();
    delete item;
  }
}

cDownloadItem* cDownloadItemList::Find(const char* path) {
  cDownloadItem* found = nullptr;
  ForEach([&](cDownloadItem& item) {
    if (found == nullptr && std::strcmp(item.CStr(), path) == 0) found = &item;
  });
  return found;
}

}  // namespace hv
