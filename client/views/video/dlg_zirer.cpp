#include "client/views/video/dlg_zirer.h"

#include "client/picture/bitmap.h"
#include "client/platform/clock.h"
#include "client/protocol/request_failures.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "client/views/video/dlg_child_video.h"
#include "client/views/video/dlg_zirer_layout.h"
#include "client/views/video/video_requests_port.h"
#include "client/views/video/zirer_arrows.h"
#include "core/status.h"

namespace hv {

namespace {

// The arrow buttons, in the order of their directions (and of the timer's round).
constexpr int32_t kArrowIds[4] = {zirer::kLeft, zirer::kRight, zirer::kUp, zirer::kDown};

struct cMotionButton {
  int32_t id;
  uint32_t code;
  uint32_t program_code;  // with "Program" checked: store the position instead
};

constexpr cMotionButton kMotionButtons[] = {
    {zirer::kCenter, 4, 14}, {zirer::kSweep, 5, 15}, {zirer::kPos1, 6, 10},
    {zirer::kPos2, 7, 11},   {zirer::kPos3, 8, 12},  {zirer::kPos4, 9, 13},
};

}  // namespace

CDlgZirer::CDlgZirer(const char* source_name, CDlgChildVideo* video_view, int32_t always_on_top,
                     cVideoRequestPort* requests, cEventLoop* event_loop, const cClock& clock)
    : source_name_(source_name != nullptr ? source_name : ""),
      video_view_(video_view),
      always_on_top_(always_on_top != 0 ? 1 : 0),
      requests_(requests),
      event_loop_(event_loop),
      clock_(clock) {}

CDlgZirer::~CDlgZirer() {
  if (event_loop_ != nullptr && timer_id_ != 0) event_loop_->StopTimer(timer_id_);
  window_.reset();
}

Status CDlgZirer::Create(cToolkit& toolkit) {
  window_ = toolkit.CreateTopLevelWindow(ZirerLayout(), nullptr);
  if (window_ == nullptr) return Status(Where::kUi, hv::kNotFound);
  window_->SetEvents(this);
  for (int32_t direction = 0; direction < 4; ++direction) {
    cBitmap arrow;
    if (DrawZirerArrow(direction, &arrow)) {
      if (cButton* button = window_->Button(kArrowIds[direction]))
        button->SetPicture(&arrow, false);
    }
    arrows_[static_cast<size_t>(direction)].Register(this, direction, 1);
  }
  if (event_loop_ != nullptr) {
    timer_id_ = event_loop_->StartTimer(kZirerRepeatMs, [this] { OnTimer(); });
  }
  SetCheck(*window_, zirer::kAlwaysOnTop, always_on_top_ != 0);
  window_->SetAlwaysOnTop(always_on_top_ != 0);
  return Status::Ok();
}

cRect CDlgZirer::WindowRect() const { return window_ != nullptr ? window_->WindowRect() : cRect{}; }

CButtonZirer* CDlgZirer::ArrowOf(int32_t id) {
  for (size_t i = 0; i < 4; ++i) {
    if (kArrowIds[i] == id) return &arrows_[i];
  }
  return nullptr;
}

void CDlgZirer::OnPressed(int32_t id, bool pressed) {
  if (CButtonZirer* arrow = ArrowOf(id)) arrow->OnPressed(pressed);
}

void CDlgZirer::OnTimer() {
  // The program's own timer work holds the busy flag, and a send of ours already waiting
  // below would be re-entered: either way this tick waits for the next.
  if (timer_running_ || (is_busy_ && is_busy_())) return;
  if (video_view_ != nullptr && video_view_->Retired()) return;
  timer_running_ = true;
  const hv::cLifetime::cWatch alive = lifetime_.Watch();
  for (size_t i = 0; i < 4; ++i) {
    if (arrows_[i].Held() != 1) continue;
    SendMotion(static_cast<uint32_t>(i), 1);
    // The send ran the event loop: a reconnect may have retired the view and this dialog.
    if (!alive.Alive() || (video_view_ != nullptr && video_view_->Retired())) break;
    last_auto_send_[i] = clock_.TickCount();
    auto_sent_[i] = true;
  }
  if (alive.Alive()) timer_running_ = false;
}

void CDlgZirer::OnCommand(int32_t id, eCommandEvent event) {
  if (window_ == nullptr || event != eCommandEvent::kClicked) return;
  if (CButtonZirer* arrow = ArrowOf(id)) {
    // A click ends every press; while the button was held the timer has been panning, and
    // the release must not add one more pan to those.
    const auto direction = static_cast<size_t>(arrow->Direction());
    const uint32_t since = clock_.TickCount() - last_auto_send_[direction];
    if (!auto_sent_[direction] || since > kZirerRepeatMs) {
      SendMotion(static_cast<uint32_t>(direction), static_cast<uint32_t>(repeat_count_));
    }
    return;
  }
  for (const cMotionButton& button : kMotionButtons) {
    if (button.id != id) continue;
    uint32_t code = button.code;
    if (IsChecked(*window_, zirer::kProgram)) {
      SetCheck(*window_, zirer::kProgram, false);
      code = button.program_code;
    }
    SendMotion(code, 1);
    return;
  }
  if (id == zirer::kAlwaysOnTop) {
    always_on_top_ = IsChecked(*window_, zirer::kAlwaysOnTop) ? 1 : 0;
    window_->SetAlwaysOnTop(always_on_top_ != 0);
  } else if (id == zirer::kHide) {
    Hide();
  }
}

void CDlgZirer::Hide() {
  if (video_view_ != nullptr) video_view_->OnZirerHidden();
  for (CButtonZirer& arrow : arrows_) arrow.Release();
  window_->Show(false);
}

void CDlgZirer::SendMotion(uint32_t code, uint32_t repeat) {
  if (requests_ == nullptr || !requests_->IsConnected()) return;
  if (requests_->VideoMotion(source_name_.CStr(), code, repeat).failed() &&
      video_view_ != nullptr) {
    video_view_->ReportZirerSendFailure(VideoMotionFailureMessage(code));
  }
}

}  // namespace hv
