// cControl: one control of a window, addressed by the id its layout gives it. Every kind of
// control (label, button, edit, list...) offers these operations; the kind-specific ones are
// in their own headers. Controls are owned by their window and live as long as it does.
// Texts cross this interface as 8-bit strings; a realisation decides how to show them.
#ifndef HV_CLIENT_UI_CONTROL_H_
#define HV_CLIENT_UI_CONTROL_H_

#include <cstdint>

#include "client/ui/rect.h"
#include "core/string/sw_string.h"

namespace hv {

// The value a list row, list entry or tab carries for its owner. Wide enough for a pointer,
// because the views keep a reference to the data of a row in it.
using cItemValue = uint64_t;

// Colours as 0x00RRGGBB.
constexpr uint32_t RgbColour(uint32_t red, uint32_t green, uint32_t blue) {
  return (red & 0xFFu) << 16 | (green & 0xFFu) << 8 | (blue & 0xFFu);
}
constexpr uint32_t kDefaultColour = 0xFFFFFFFFu;  // the toolkit's own colour

class cControl {
 public:
  virtual ~cControl() = default;

  virtual int32_t Id() const = 0;

  // The caption of a label, button or check box; the content of an edit; the edit part of
  // an editable drop-down list.
  virtual void SetText(const char* text) = 0;
  virtual swString Text() const = 0;

  virtual void Show(bool show) = 0;
  virtual bool IsVisible() const = 0;  // its own flag, whether or not the window is shown
  virtual void Enable(bool enable) = 0;
  virtual bool IsEnabled() const = 0;

  // Position in the client coordinates of the window (or host control) that holds it.
  virtual void Move(const cRect& rect, bool repaint) = 0;
  virtual cRect Rect() const = 0;

  virtual void SetFocus() = 0;
  virtual bool HasFocus() const = 0;

  // Text colour; kDefaultColour returns to the toolkit's.
  virtual void SetTextColour(uint32_t rgb) = 0;
  virtual uint32_t TextColour() const = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_CONTROL_H_
