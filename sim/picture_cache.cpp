#include "sim/picture_cache.h"

#include "sim/picture_maker.h"

namespace hv::sim {

const std::vector<uint8_t>& PictureCache::Draw(const Snapshot& shot, int width, int height,
                                               bool large) {
  Key key{shot.serial, width, height};
  if (shot.serial != 0) {
    auto found = pictures_.find(key);
    if (found != pictures_.end()) return found->second;
  }
  PictureRequest request;
  request.width = width;
  request.height = height;
  const VideoSource* source = house_.FindVideoSource(shot.source);
  request.source_number = source != nullptr ? source->number : 0;
  request.time_stamp = shot.time_stamp;
  request.is_clip = shot.is_clip;
  request.noise = true;
  request.quality = large ? 90 : 85;
  if (shot.serial == 0) {
    uncached_ = MakePicture(request);
    return uncached_;
  }
  if (order_.size() >= kEntries) {
    pictures_.erase(order_.front());
    order_.pop_front();
  }
  order_.push_back(key);
  return pictures_[key] = MakePicture(request);
}

}  // namespace hv::sim
