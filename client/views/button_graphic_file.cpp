#include "client/views/button_graphic_file.h"

#include "client/picture/picture_loader.h"
#include "client/ui/button.h"
#include "core/status.h"

namespace hv {

void CButtonGraphicFile::Attach(cButton* button) {
  button_ = button;
  Draw();
}

int32_t CButtonGraphicFile::SetImage(const char* path, int32_t stretch) {
  image_path_ = path;
  stretch_ = stretch;
  const bool loaded = path != nullptr && LoadPictureFile(path, &image_).ok();
  if (!loaded) image_.Clear();
  Draw();
  return loaded ? hv::kOk : hv::kCannotOpenFile;
}

void CButtonGraphicFile::Draw() {
  if (button_ == nullptr) return;
  button_->SetPicture(HasImage() ? &image_ : nullptr, stretch_ == 1);
}

}  // namespace hv
