#include "client/views/button_graphic_file.h"

#include "client/picture/picture_loader.h"
#include "client/ui/button.h"
#include "core/status.h"

namespace hv {

void CButtonGraphicFile::Attach(cButton* button) {
  button_ = button;
  Draw();
}

Status CButtonGraphicFile::SetImage(const char* path, int32_t stretch) {
  image_path_ = path;
  stretch_ = stretch;
  const Status loaded =
      path != nullptr ? LoadPictureFile(path, &image_) : Status(Where::kUi, hv::kMissingArgument);
  if (loaded.failed()) image_.Clear();
  Draw();
  // Whatever the loader met, for the button it is one thing: no picture to draw.
  return loaded.failed() ? Status(Where::kUi, hv::kCannotOpenFile, loaded.message()) : Status::Ok();
}

void CButtonGraphicFile::Draw() {
  if (button_ == nullptr) return;
  button_->SetPicture(HasImage() ? &image_ : nullptr, stretch_ == 1);
}

}  // namespace hv
