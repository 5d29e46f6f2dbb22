// CDlgZirer: the small window "Zirer Controls" that moves the pan-and-tilt camera of one
// video source: pan left, right, up and down (once per click, or every 100 ms while an
// arrow is held), centre, sweep, go to one of four stored positions, or, with "Program"
// checked, store the current position there. The video view of the source owns it, opens
// it and keeps its place and state across runs.
#ifndef HV_CLIENT_VIEWS_VIDEO_DLG_ZIRER_H_
#define HV_CLIENT_VIEWS_VIDEO_DLG_ZIRER_H_

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "client/platform/event_loop.h"
#include "client/platform/lifetime.h"
#include "client/ui/rect.h"
#include "client/ui/window.h"
#include "client/views/video/button_zirer.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class CDlgChildVideo;
class cClock;
class cToolkit;
class cVideoRequestPort;

// The period of the press-and-hold pan.
constexpr uint32_t kZirerRepeatMs = 100;

class CDlgZirer : public cWindowEvents {
 public:
  // `video_view` may be null (nothing to tell when hidden, failures not reported);
  // `requests` null sends nothing. All must outlive the dialog.
  CDlgZirer(const char* source_name, CDlgChildVideo* video_view, int32_t always_on_top,
            cVideoRequestPort* requests, cEventLoop* event_loop, const cClock& clock);
  ~CDlgZirer() override;
  CDlgZirer(const CDlgZirer&) = delete;
  CDlgZirer& operator=(const CDlgZirer&) = delete;

  // Makes the window (hidden) as a top-level window, sets the arrow pictures, registers
  // the arrow buttons, starts the timer and applies "Always On Top". Ok, or kNotFound
  // (Where::kUi) when the window cannot be made.
  [[nodiscard]] Status Create(cToolkit& toolkit);

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;
  void OnPressed(int32_t id, bool pressed) override;

  // The timer's work: a pan with repeat 1 for every arrow being held. Skipped while
  // `is_busy` says the program's own timer work runs (none: never busy).
  void OnTimer();
  void SetBusyCheck(std::function<bool()> is_busy) { is_busy_ = std::move(is_busy); }

  cWindow* Window() const { return window_.get(); }
  // The window's screen rectangle now (empty without a window).
  cRect WindowRect() const;
  int16_t AlwaysOnTop() const { return always_on_top_; }
  const CButtonZirer& Arrow(int32_t direction) const {
    return arrows_[static_cast<size_t>(direction)];
  }

 private:
  // Sends a Video motion; without a connection nothing happens.
  void SendMotion(uint32_t code, uint32_t repeat);
  void Hide();
  CButtonZirer* ArrowOf(int32_t id);

  swString source_name_;
  CDlgChildVideo* video_view_;
  int32_t repeat_count_ = 1;
  int16_t always_on_top_;
  cVideoRequestPort* requests_;
  cEventLoop* event_loop_;
  const cClock& clock_;
  std::unique_ptr<cWindow> window_;
  cEventLoop::TimerId timer_id_ = 0;
  std::array<CButtonZirer, 4> arrows_;
  std::array<uint32_t, 4> last_auto_send_{};
  std::array<bool, 4> auto_sent_{};  // the timer has sent a pan of that direction
  std::function<bool()> is_busy_;
  bool timer_running_ = false;
  hv::cLifetime lifetime_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_DLG_ZIRER_H_
