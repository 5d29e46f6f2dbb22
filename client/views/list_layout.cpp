#include "client/views/list_layout.h"

#include <string>

#include "client/ui/window.h"
#include "core/status.h"

namespace hv {

Status cListLayout::Measure(cWindow& window, int32_t list_id, int32_t side_button_id) {
  cControl* list = window.Control(list_id);
  cControl* button = window.Control(side_button_id);
  if (list == nullptr || button == nullptr) {
    const int32_t missing = list == nullptr ? list_id : side_button_id;
    return Status(Where::kUi, hv::kNotFound, "no control " + std::to_string(missing));
  }
  const cRect client = window.ClientRect();
  const cRect list_rect = list->Rect();
  const cRect button_rect = button->Rect();
  margin_ = client.right - button_rect.left;
  top_offset_ = list_rect.top - client.top;
  gap_ = button_rect.left - list_rect.right;
  measured_ = true;
  return Status::Ok();
}

cRect cListLayout::ListRect(const cRect& area) const {
  cRect rect{area.left, area.top + top_offset_, area.right - (gap_ + margin_), area.bottom};
  // A view squeezed narrower than its strip keeps an empty list rather than an inverted one.
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;
  return rect;
}

}  // namespace hv
