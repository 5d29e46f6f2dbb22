#include "client/views/history/history_queries.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "client/history/history_store.h"

namespace hv::history {

HistoryQueries::HistoryQueries(OpenStore open, Mode mode) : open_(std::move(open)), mode_(mode) {
  int ends[2];
  // Non-blocking both ways: a worker never waits for the window to drain the pipe, and
  // Deliver never waits for a byte that is not there.
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_read_ = ends[0];
    wake_write_ = ends[1];
  }
  if (mode_ == Mode::kThread) worker_ = std::thread([this] { WorkerLoop(); });
}

HistoryQueries::~HistoryQueries() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    for (Waiting& waiting : waiting_) waiting.question = nullptr;
  }
  work_.notify_all();
  if (worker_.joinable()) worker_.join();
  ready_.clear();
  store_.reset();
  if (wake_read_ >= 0) close(wake_read_);
  if (wake_write_ >= 0) close(wake_write_);
}

void HistoryQueries::Reopen() {
  std::lock_guard<std::mutex> lock(mutex_);
  reopen_ = true;
}

void HistoryQueries::Ask(QuerySlot slot, Question question) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto index = static_cast<size_t>(slot);
    const uint64_t generation = next_generation_++;
    if (waiting_[index].question) ++dropped_;  // replaced before it ran
    waiting_[index] = {generation, std::move(question)};
    newest_[index] = generation;
  }
  work_.notify_one();
}

void HistoryQueries::Cancel(QuerySlot slot) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto index = static_cast<size_t>(slot);
  waiting_[index].question = nullptr;
  settled_[index] = newest_[index];
}

bool HistoryQueries::Pending(QuerySlot slot) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto index = static_cast<size_t>(slot);
  return settled_[index] < newest_[index];
}

bool HistoryQueries::AnyPending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t index = 0; index < kQuerySlots; ++index) {
    if (settled_[index] < newest_[index]) return true;
  }
  return false;
}

int64_t HistoryQueries::DroppedAnswers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

size_t HistoryQueries::Deliver() {
  std::deque<Ready> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    char drain[64];
    while (wake_read_ >= 0 && read(wake_read_, drain, sizeof drain) > 0) {
    }
    taken.swap(ready_);
    for (Ready& ready : taken) {
      if (ready.generation < newest_[ready.slot]) {
        ++dropped_;
        ready.answer = nullptr;  // a newer question of its slot is on its way
      } else {
        settled_[ready.slot] = ready.generation;
      }
    }
  }
  // Outside the lock: an answer may ask the next question.
  size_t ran = 0;
  for (Ready& ready : taken) {
    if (!ready.answer) continue;
    ready.answer();
    ++ran;
  }
  return ran;
}

bool HistoryQueries::TakeQuestion(std::unique_lock<std::mutex>&, size_t* slot, Waiting* taken) {
  for (size_t index = 0; index < kQuerySlots; ++index) {
    if (!waiting_[index].question) continue;
    *slot = index;
    *taken = std::move(waiting_[index]);
    waiting_[index].question = nullptr;
    return true;
  }
  return false;
}

void HistoryQueries::RunOne(std::unique_lock<std::mutex>& lock, size_t slot, Waiting taken) {
  const bool reopen = reopen_;
  reopen_ = false;
  lock.unlock();
  // A store another client moved aside (found damaged) is read no more: the new one is.
  if (reopen || store_ == nullptr || store_->Moved()) {
    store_.reset();
    open_status_ = Status::Ok();
    if (open_) store_ = open_(&open_status_);
    if (store_ == nullptr && open_status_.ok()) open_status_ = Status::Declined(Where::kHistory);
  }
  Answer answer = taken.question(store_.get());
  taken.question = nullptr;  // what it captured goes here, on the worker
  lock.lock();
  ready_.push_back({slot, taken.generation, std::move(answer)});
  Wake();
}

void HistoryQueries::Wake() {
  if (wake_write_ < 0) return;
  const char one = 1;
  // A full pipe already says there is something to deliver.
  while (write(wake_write_, &one, 1) < 0 && errno == EINTR) {
  }
}

void HistoryQueries::WorkerLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    size_t slot = 0;
    Waiting taken;
    work_.wait(lock, [&] { return stopping_ || TakeQuestion(lock, &slot, &taken); });
    if (stopping_) return;
    RunOne(lock, slot, std::move(taken));
  }
}

void HistoryQueries::RunQuestions() {
  std::unique_lock<std::mutex> lock(mutex_);
  size_t slot = 0;
  Waiting taken;
  while (!stopping_ && TakeQuestion(lock, &slot, &taken)) RunOne(lock, slot, std::move(taken));
}

}  // namespace hv::history
