// HistoryQueries: the History window's reads of the store, run on a worker thread of their own,
// so the window never waits for the store: not for another client's write lock, not for a
// trim, not for a year of rows.
//
// Each kind of question (the items, the chart, the table, a task) has a slot that holds at
// most one question waiting to run: a newer one replaces it, and the answer of one already
// running when a newer came is dropped on arrival. So the newest request wins, and a user who
// types or zooms quickly sees the answer to what is on the screen, never an older one.
//
// A question runs on the worker with the worker's own connection to the store (null when none
// could be opened) and returns what the window should do with its answer; that runs on the
// window's thread, from Deliver. The worker tells the window an answer is ready by making
// WakeFd() readable, which the window watches on its event loop.
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_QUERIES_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_QUERIES_H_

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/status.h"

namespace hv::history {

class HistoryStore;

// kTask: an export, or the items' days set.
enum class QuerySlot : int32_t { kItems, kChart, kEvents, kTask };
constexpr size_t kQuerySlots = 4;

class HistoryQueries {
 public:
  // What the window does with an answer; runs on the window's thread.
  using Answer = std::function<void()>;
  // A question; runs on the worker. `store` is null when no store could be opened.
  using Question = std::function<Answer(HistoryStore* store)>;
  // Null, with the reason in the status, when no store can be read (yet).
  using OpenStore = std::function<std::unique_ptr<HistoryStore>(Status* status)>;

  // kThread runs the questions on a worker thread; kManual leaves them until RunQuestions is
  // called (tests step the worker that way, deterministically, on their own thread).
  enum class Mode { kThread, kManual };

  HistoryQueries(OpenStore open, Mode mode);
  // Waits for the question running now (SQLite cannot be stopped midway safely through the
  // store's interface) and drops every answer not delivered.
  ~HistoryQueries();
  HistoryQueries(const HistoryQueries&) = delete;
  HistoryQueries& operator=(const HistoryQueries&) = delete;

  // The next question opens a fresh connection first (the house may have changed). Without a
  // store, every question tries to open one again.
  void Reopen();
  // Why the worker has no store: for a question to read, on the worker, when its store is
  // null (declined with kWaitingForStore: another client is making the file; try later).
  const Status& OpenStatus() const { return open_status_; }
  // Asks `question` in `slot`; replaces the one waiting there, and makes the answer of one
  // running there now stale.
  void Ask(QuerySlot slot, Question question);
  // Forgets the question waiting in `slot` and drops the answer of one running.
  void Cancel(QuerySlot slot);
  // Runs, on the calling thread, the answers that are still the newest of their slot, and
  // empties WakeFd. Returns how many ran.
  size_t Deliver();
  // Asked and not yet delivered (or dropped).
  bool Pending(QuerySlot slot) const;
  bool AnyPending() const;

  // Readable while answers wait for Deliver.
  int WakeFd() const { return wake_read_; }

  // kManual: runs the waiting questions on the calling thread, as the worker would.
  void RunQuestions();

  // The answers dropped as stale so far (for tests and the bench).
  int64_t DroppedAnswers() const;

 private:
  struct Waiting {
    uint64_t generation = 0;
    Question question;
  };
  struct Ready {
    size_t slot = 0;
    uint64_t generation = 0;
    Answer answer;
  };

  void WorkerLoop();
  // Takes the next waiting question (the lowest slot first: the items before the chart they
  // draw); false when none waits.
  bool TakeQuestion(std::unique_lock<std::mutex>& lock, size_t* slot, Waiting* taken);
  void RunOne(std::unique_lock<std::mutex>& lock, size_t slot, Waiting taken);
  void Wake();

  OpenStore open_;
  Mode mode_;
  mutable std::mutex mutex_;
  std::condition_variable work_;
  std::array<Waiting, kQuerySlots> waiting_;     // question.empty(): none waits
  std::array<uint64_t, kQuerySlots> newest_{};   // the generation last asked per slot
  std::array<uint64_t, kQuerySlots> settled_{};  // the generation last delivered or dropped
  std::deque<Ready> ready_;
  uint64_t next_generation_ = 1;
  bool reopen_ = true;
  bool stopping_ = false;
  int64_t dropped_ = 0;
  std::unique_ptr<HistoryStore> store_;  // the worker's own; touched only by the worker
  Status open_status_;                   // the worker's too
  int wake_read_ = -1;
  int wake_write_ = -1;
  std::thread worker_;
};

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_QUERIES_H_
