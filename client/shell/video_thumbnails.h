// cVideoThumbnail and cVideoThumbnailList: the thumbnails the server has sent, kept by the
// application so a video view can be rebuilt at any time. The list owns its records in the
// order they arrived; views refer to them by pointer and are told before one is freed.
#ifndef HV_CLIENT_SHELL_VIDEO_THUMBNAILS_H_
#define HV_CLIENT_SHELL_VIDEO_THUMBNAILS_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "core/string/sw_string.h"

struct cVideoThumbnail {
  swString source_name;
  int16_t is_clip = 0;      // 1: stands for a recorded clip, else a still picture
  swString picture_path;    // the full picture on this machine, where an answer stores it
  swString clip_path;
  uint32_t time_stamp = 0;  // seconds since 1970
  int32_t image_index = 0;  // its picture's index in the image list of its source's view
};

class cVideoThumbnailList {
 public:
  using ForgetHook = std::function<void(const cVideoThumbnail*)>;

  cVideoThumbnailList() = default;
  cVideoThumbnailList(const cVideoThumbnailList&) = delete;
  cVideoThumbnailList& operator=(const cVideoThumbnailList&) = delete;
  ~cVideoThumbnailList();

  // Called with each record just before it is freed.
  void SetForgetHook(ForgetHook hook) { forget_ = std::move(hook); }

  // Takes ownership; returns the stored record (null for a null one).
  cVideoThumbnail* Append(std::unique_ptr<cVideoThumbnail> thumbnail);
  // Frees the record; false when it is not in the list.
  bool Remove(const cVideoThumbnail* thumbnail);
  void Clear();

  size_t Count() const { return items_.size(); }
  // 0 is the first to arrive. Null when out of range.
  cVideoThumbnail* At(size_t index) const;

 private:
  std::deque<std::unique_ptr<cVideoThumbnail>> items_;
  ForgetHook forget_;
};

#endif  // HV_CLIENT_SHELL_VIDEO_THUMBNAILS_H_
