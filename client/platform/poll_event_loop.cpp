#include "client/platform/poll_event_loop.h"

#include <poll.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "client/platform/clock.h"

namespace hv {

cEventLoop::TimerId cPollEventLoop::StartTimer(uint32_t period_ms, std::function<void()> callback) {
  TimerId id = next_id_++;
  timers_[id] = Timer{period_ms, clock_.TickCount() + period_ms, std::move(callback)};
  return id;
}

void cPollEventLoop::StopTimer(TimerId id) { timers_.erase(id); }

cEventLoop::WatchId cPollEventLoop::WatchReadable(int fd, std::function<void()> callback) {
  WatchId id = next_id_++;
  watches_[id] = Watch{fd, true, std::move(callback)};
  return id;
}

void cPollEventLoop::SetWatchEnabled(WatchId id, bool enabled) {
  auto it = watches_.find(id);
  if (it != watches_.end()) it->second.enabled = enabled;
}

void cPollEventLoop::RemoveWatch(WatchId id) { watches_.erase(id); }

void cPollEventLoop::FireDueTimers() {
  std::vector<TimerId> ids;
  ids.reserve(timers_.size());
  for (const auto& [id, timer] : timers_) ids.push_back(id);
  for (TimerId id : ids) {
    auto it = timers_.find(id);  // an earlier callback may have stopped it
    if (it == timers_.end()) continue;
    uint32_t now = clock_.TickCount();
    // Signed difference so the tick count's wrap-around does not matter.
    if (static_cast<int32_t>(now - it->second.next_due) < 0) continue;
    it->second.next_due = now + it->second.period_ms;
    // A copy: the callback may stop its own timer, which destroys the stored function.
    std::function<void()> callback = it->second.callback;
    callback();
  }
}

uint32_t cPollEventLoop::MillisecondsToNextTimer(uint32_t limit) const {
  uint32_t now = clock_.TickCount();
  uint32_t best = limit;
  for (const auto& [id, timer] : timers_) {
    int32_t left = static_cast<int32_t>(timer.next_due - now);
    if (left <= 0) return 0;
    if (static_cast<uint32_t>(left) < best) best = static_cast<uint32_t>(left);
  }
  return best;
}

void cPollEventLoop::Pump(uint32_t wait_ms) {
  EnterPass();
  FireDueTimers();

  std::vector<pollfd> fds;
  std::vector<WatchId> ids;
  for (const auto& [id, watch] : watches_) {
    if (!watch.enabled) continue;
    fds.push_back(pollfd{watch.fd, POLLIN, 0});
    ids.push_back(id);
  }
  uint32_t timeout = MillisecondsToNextTimer(wait_ms);
  int ready = poll(fds.empty() ? nullptr : fds.data(), fds.size(), static_cast<int>(timeout));
  if (ready > 0) {
    for (size_t i = 0; i < fds.size(); ++i) {
      if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) == 0) continue;
      auto it = watches_.find(ids[i]);  // an earlier callback may have removed or paused it
      if (it == watches_.end() || !it->second.enabled) continue;
      std::function<void()> callback = it->second.callback;
      callback();
    }
  }
  if (timeout > 0) FireDueTimers();
  LeavePass();
}

void cPollEventLoop::Run() {
  quit_ = false;
  while (!quit_) {
    Pump(1000);
    // Back at the top: nothing a pass was using can be on the stack now.
    ReleaseRetired();
  }
}

}  // namespace hv
