// tHeadlessControl: the state every in-memory control keeps (text, visibility, enabled,
// rectangle, colour), shared by the kinds through this template so each kind adds only its
// own. Controls belong to a cHeadlessWindow, which they tell about focus and commands.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_CONTROL_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_CONTROL_H_

#include <cstdint>

#include "client/ui/control.h"
#include "client/ui/dialog_layout.h"

namespace hv {

class cHeadlessWindow;

// Called by controls; realised by cHeadlessWindow.
class cHeadlessControlHost {
 public:
  virtual ~cHeadlessControlHost() = default;
  virtual void SetFocusedId(int32_t id) = 0;
  virtual int32_t FocusedId() const = 0;
};

template <class Interface>
class tHeadlessControl : public Interface {
 public:
  tHeadlessControl(cHeadlessControlHost& host, const cControlLayout& layout, const cRect& rect)
      : host_(host),
        kind_(layout.kind),
        id_(layout.id),
        styles_(layout.styles),
        text_(layout.caption),
        visible_((layout.styles & kControlHidden) == 0),
        enabled_((layout.styles & kControlDisabled) == 0),
        rect_(rect) {}

  int32_t Id() const override { return id_; }
  void SetText(const char* text) override { text_ = text; }
  swString Text() const override { return text_; }
  void Show(bool show) override { visible_ = show; }
  bool IsVisible() const override { return visible_; }
  void Enable(bool enable) override { enabled_ = enable; }
  bool IsEnabled() const override { return enabled_; }
  void Move(const cRect& rect, bool /*repaint*/) override { rect_ = rect; }
  cRect Rect() const override { return rect_; }
  void SetFocus() override { host_.SetFocusedId(id_); }
  bool HasFocus() const override { return host_.FocusedId() == id_; }
  void SetTextColour(uint32_t rgb) override { colour_ = rgb; }
  uint32_t TextColour() const override { return colour_; }

  eControlKind Kind() const { return kind_; }
  uint32_t Styles() const { return styles_; }
  // A user can reach the control: shown and enabled.
  bool IsUsable() const { return visible_ && enabled_; }

 protected:
  cHeadlessControlHost& host_;

 private:
  const eControlKind kind_;
  const int32_t id_;
  const uint32_t styles_;
  swString text_;
  bool visible_;
  bool enabled_;
  cRect rect_;
  uint32_t colour_ = kDefaultColour;
};

// Labels, frames and edits: nothing beyond the shared state.
class cHeadlessControl : public tHeadlessControl<cControl> {
 public:
  using tHeadlessControl<cControl>::tHeadlessControl;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_CONTROL_H_
