// cDownloadItem: one file of a release channel, as its control file lists it. The string is
// the file's path relative to the channel's source, with '/' separators.
// cDownloadItemList: the channel's files in list order; unlike a plain swList it owns its
// items and frees them when emptied or destroyed.
#ifndef HV_CLIENT_UPDATE_DOWNLOAD_ITEM_H_
#define HV_CLIENT_UPDATE_DOWNLOAD_ITEM_H_

#include <cstdint>

#include "core/list/list.h"
#include "core/string/sw_string.h"

namespace hv {

class cDownloadItem : public swString {
 public:
  cDownloadItem() = default;
  explicit cDownloadItem(const char* path) : swString(path) {}

  uint32_t unused = 0;          // kept from the control file, read by nobody
  uint32_t size = 0;            // bytes
  uint32_t file_time_high = 0;  // FILETIME: 100 ns units since 1601, UTC
  uint32_t file_time_low = 0;
};

class cDownloadItemList : public swList {
 public:
  cDownloadItemList() = default;
  ~cDownloadItemList() override { FreeAll(); }

  // Takes ownership. Fails as the list's AddTail does when the node cannot be made; the item
  // is freed then.
  [[nodiscard]] Status Add(cDownloadItem* item);
  void FreeAll();
  // The item whose path is exactly `path` (case matters), or null.
  cDownloadItem* Find(const char* path);
  // Every item in list order; the list must not change while the callback runs.
  template <class Callback>
  void ForEach(Callback&& callback) {
    swListIterator cursor(this);
    while (cursor.Next()) callback(*static_cast<cDownloadItem*>(cursor.Current()));
  }
};

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_DOWNLOAD_ITEM_H_
