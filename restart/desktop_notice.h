// A desktop notification for a message the user must see. The restart program has no window
// and may run without any terminal, so a line on stderr alone could go unseen.
#ifndef HV_RESTART_DESKTOP_NOTICE_H_
#define HV_RESTART_DESKTOP_NOTICE_H_

namespace hv {

// Shows `caption` and `text` through `notify-send`, when it is on PATH and a session bus is
// there to carry it; started directly (no shell) and not awaited. True when it was started.
bool ShowDesktopNotice(const char* caption, const char* text);

// Reaps notifiers that have finished, without waiting for the others.
void ReapDesktopNotices();

}  // namespace hv

#endif  // HV_RESTART_DESKTOP_NOTICE_H_
