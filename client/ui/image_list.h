// cImageList: a row of same-sized small pictures that lists draw beside their rows.
// Made by cToolkit::CreateImageList; whoever makes one owns it, and a list that shows it
// only borrows it, so the owner keeps it alive as long as any list shows it.
#ifndef HV_CLIENT_UI_IMAGE_LIST_H_
#define HV_CLIENT_UI_IMAGE_LIST_H_

#include <cstdint>

namespace hv {

class cBitmap;

// The transparent colour of pictures that have none: every pixel stays as it is.
constexpr uint32_t kNoTransparentColour = 0xFFFFFFFFu;

class cImageList {
 public:
  virtual ~cImageList() = default;

  virtual int32_t CellWidth() const = 0;
  virtual int32_t CellHeight() const = 0;

  // Adds a picture, scaled to the cell size when it differs; pixels of the transparent colour
  // (0x00RRGGBB, alpha ignored) become transparent, none for kNoTransparentColour. Returns
  // the new index, or -1.
  virtual int32_t Add(const cBitmap& picture, uint32_t transparent_rgb) = 0;
  // Removes one picture; the later ones move down by one. False when out of range.
  virtual bool Remove(int32_t index) = 0;
  virtual int32_t Count() const = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_IMAGE_LIST_H_
