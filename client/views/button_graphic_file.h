// CButtonGraphicFile: a button that shows a picture file instead of a caption (the main
// window's website button). The file's format is recognised from its content.
#ifndef HV_CLIENT_VIEWS_BUTTON_GRAPHIC_FILE_H_
#define HV_CLIENT_VIEWS_BUTTON_GRAPHIC_FILE_H_

#include <cstdint>

#include "client/picture/bitmap.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cButton;

class CButtonGraphicFile {
 public:
  // The toolkit button that draws the picture (not owned; null detaches).
  void Attach(cButton* button);

  // Keeps the path and the stretch flag (1: stretch to the whole button, otherwise drawn at
  // its own size at the top-left) and loads the file. Ok when a picture was loaded; else
  // kCannotOpenFile with the loader's reason, and the button draws nothing.
  [[nodiscard]] Status SetImage(const char* path, int32_t stretch);

  const swString& ImagePath() const { return image_path_; }
  int32_t Stretch() const { return stretch_; }
  const cBitmap& Image() const { return image_; }
  bool HasImage() const { return !image_.IsEmpty(); }

 private:
  void Draw();

  cButton* button_ = nullptr;
  swString image_path_;
  int32_t stretch_ = 0;
  cBitmap image_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_BUTTON_GRAPHIC_FILE_H_
