// tTrayImages: the icon pictures a tray area has made, kept by the handle it gave out, for
// every realisation of cTrayArea alike. Handles count up from 1 and are never given out
// twice while the area lives, so a destroyed picture's handle finds nothing.
#ifndef HV_CLIENT_UI_TRAY_IMAGES_H_
#define HV_CLIENT_UI_TRAY_IMAGES_H_

#include <cstddef>
#include <map>
#include <utility>

#include "client/ui/tray_area.h"

namespace hv {

template <class Picture>
class tTrayImages : public cTrayArea {
 public:
  void DestroyImage(cTrayImage image) override { images_.erase(image); }

 protected:
  // Keeps the picture and returns its new handle.
  cTrayImage KeepImage(Picture picture) {
    const cTrayImage image = next_image_++;
    images_.emplace(image, std::move(picture));
    return image;
  }
  // The picture of a handle; null for an unknown or destroyed one.
  const Picture* FindImage(cTrayImage image) const {
    auto found = images_.find(image);
    return found != images_.end() ? &found->second : nullptr;
  }
  size_t ImageCount() const { return images_.size(); }

 private:
  std::map<cTrayImage, Picture> images_;
  cTrayImage next_image_ = 1;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_TRAY_IMAGES_H_
