// cVideoThumbnail and cVideoThumbnailList: the thumbnails the server has sent, kept by the
// application so a video view can be rebuilt at any time. The list owns its records in the
// order they arrived; views refer to them by pointer, so every watcher is told before a
// record is freed.
#ifndef HV_CLIENT_VIEWS_VIDEO_VIDEO_THUMBNAILS_H_
#define HV_CLIENT_VIEWS_VIDEO_VIDEO_THUMBNAILS_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "core/string/sw_string.h"

namespace hv {

struct cVideoThumbnail {
  swString source_name;
  int16_t is_clip = 0;    // 1: stands for a recorded clip, else a still picture
  swString picture_path;  // as the server names it; the key of the thumbnail
  swString clip_path;
  uint32_t time_stamp = 0;  // seconds since 1970
  int32_t image_index = 0;  // its picture's index in the image list of its source's view
};

// Told about each record just before it is freed.
class cVideoThumbnailWatcher {
 public:
  virtual ~cVideoThumbnailWatcher() = default;
  virtual void ForgetThumbnail(const cVideoThumbnail* thumbnail) = 0;
};

class cVideoThumbnailList {
 public:
  cVideoThumbnailList() = default;
  cVideoThumbnailList(const cVideoThumbnailList&) = delete;
  cVideoThumbnailList& operator=(const cVideoThumbnailList&) = delete;
  ~cVideoThumbnailList();

  // Watchers are not owned; each removes itself before it goes away.
  void AddWatcher(cVideoThumbnailWatcher* watcher);
  void RemoveWatcher(cVideoThumbnailWatcher* watcher);

  // Takes ownership; returns the stored record (null for a null one).
  cVideoThumbnail* Append(std::unique_ptr<cVideoThumbnail> thumbnail);
  // Frees the record; false when it is not in the list.
  bool Remove(const cVideoThumbnail* thumbnail);
  void Clear();

  size_t Count() const { return items_.size(); }
  // 0 is the first to arrive. Null when out of range.
  cVideoThumbnail* At(size_t index) const;
  // The first record whose picture path is exactly `picture_path` (any source), or null.
  cVideoThumbnail* FindByPicturePath(const swString& picture_path) const;

  // Drops the oldest thumbnail of a source: the first of its records whose picture is
  // image 0 is freed, and every other record of the source with a picture above 0 moves
  // down by one, as the image list of the source's view loses its picture 0. `keep` (a
  // record whose picture is being sent again) is never freed: when it is the one on
  // picture 0 only the others move down, since its own picture is about to be replaced.
  void DropOldest(const swString& source_name, const cVideoThumbnail* keep = nullptr);

 private:
  void Forget(const cVideoThumbnail* thumbnail);

  std::deque<std::unique_ptr<cVideoThumbnail>> items_;
  std::vector<cVideoThumbnailWatcher*> watchers_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_VIDEO_THUMBNAILS_H_
