#include "client/ui/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

namespace hv {

// A timer or watch stopped from inside its own callback must not be deleted under Qt's feet:
// it is disconnected at once and handed to deleteLater, which frees it once Qt is done with it.
struct cQtEventLoop::cTimer {
  QTimer* timer = nullptr;
  ~cTimer() {
    timer->stop();
    timer->disconnect();
    timer->deleteLater();
  }
};

struct cQtEventLoop::cWatch {
  QSocketNotifier* notifier = nullptr;
  ~cWatch() {
    notifier->setEnabled(false);
    notifier->disconnect();
    notifier->deleteLater();
  }
};

cQtEventLoop::cQtEventLoop() : release_context_(std::make_unique<QObject>()) {}

cQtEventLoop::~cQtEventLoop() {
  timers_.clear();
  watches_.clear();
}

cEventLoop::TimerId cQtEventLoop::StartTimer(uint32_t period_ms, std::function<void()> callback) {
  const TimerId id = next_id_++;
  auto entry = std::make_unique<cTimer>();
  entry->timer = new QTimer();
  entry->timer->setInterval(static_cast<int>(period_ms));
  QObject::connect(entry->timer, &QTimer::timeout, [callback = std::move(callback)] {
    // A copy, so the callback survives StopTimer from inside itself.
    std::function<void()> run = callback;
    run();
  });
  entry->timer->start();
  timers_[id] = std::move(entry);
  return id;
}

void cQtEventLoop::StopTimer(TimerId id) { timers_.erase(id); }

cEventLoop::WatchId cQtEventLoop::WatchReadable(int fd, std::function<void()> callback) {
  const WatchId id = next_id_++;
  auto entry = std::make_unique<cWatch>();
  entry->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
  QObject::connect(entry->notifier, &QSocketNotifier::activated, [callback = std::move(callback)] {
    std::function<void()> run = callback;
    run();
  });
  entry->notifier->setEnabled(true);
  watches_[id] = std::move(entry);
  return id;
}

void cQtEventLoop::SetWatchEnabled(WatchId id, bool enabled) {
  auto found = watches_.find(id);
  if (found != watches_.end()) found->second->notifier->setEnabled(enabled);
}

void cQtEventLoop::RemoveWatch(WatchId id) { watches_.erase(id); }

void cQtEventLoop::OnRetired() { ArmRelease(0); }

void cQtEventLoop::ArmRelease(int delay_ms) {
  if (release_armed_) return;
  release_armed_ = true;
  QTimer::singleShot(delay_ms, release_context_.get(), [this] {
    release_armed_ = false;
    if (RetiredCount() == 0) return;
    // Level 1 is the main loop; 0 means it is not running (start-up, a test's pumps).
    if (PassDepth() == 0 && QThread::currentThread()->loopLevel() <= 1) {
      ReleaseRetired();
    } else {
      ArmRelease(kReleaseRetryMs);
    }
  });
}

void cQtEventLoop::Pump(uint32_t wait_ms) {
  EnterPass();
  if (wait_ms == 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    LeavePass();
    return;
  }
  // A single-shot timer bounds the wait: processing stops at the first batch of events,
  // which is at the latest the timer's own.
  QTimer limit;
  limit.setSingleShot(true);
  limit.start(static_cast<int>(wait_ms));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  LeavePass();
}

}  // namespace hv
