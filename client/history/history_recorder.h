// HistoryRecorder: turns what the session receives into history rows and hands them to the
// writer of the house's store. Runs on the window's thread and never waits for the disk.
//
// The store is opened, on the writer's thread, when a connection starts (one per house: a new
// house key opens that house's store) and closed, with what is queued written, when the
// recorder ends. With recording off nothing is opened or kept. Failures of the store reach the
// activity log as one Error entry each time recording stops, and once when it cannot be
// opened (Poll, from a timer of the window's loop).
#ifndef HV_CLIENT_HISTORY_HISTORY_RECORDER_H_
#define HV_CLIENT_HISTORY_HISTORY_RECORDER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/history/history_writer.h"
#include "client/history/house_event_observer.h"

namespace hv {
class cActivityLog;
}  // namespace hv

namespace hv::history {

struct HistorySettings {
  bool record = true;  // "Record History"
  HistoryLimits limits;
};

class HistoryRecorder : public HouseEventObserver {
 public:
  // Opens the store of a house, on the writer's thread; the program opens
  // HistoryStore::DefaultPath(), tests a file of their own or memory.
  using StoreOpener = std::function<std::unique_ptr<HistoryStore>(const std::string& house_key)>;

  HistoryRecorder(StoreOpener opener, cActivityLog* log, std::function<int64_t()> now_ms);
  ~HistoryRecorder() override;
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  void Apply(const HistorySettings& settings);
  // The folder of the store's file: rows the writer cannot keep up with wait there, on disk
  // (default: $TMPDIR).
  void SetSpillFolder(std::string folder) { spill_folder_ = std::move(folder); }
  const HistorySettings& settings() const { return settings_; }
  // The house being recorded ("" before the first connection).
  const std::string& house_key() const { return house_key_; }

  // Reports failures the writer met (as Error entries); call from the window's loop.
  void Poll();
  // Waits until what was received so far is written: before the History window reads.
  void Flush();

  // An entry the client made in its own activity log (a lost connection, a failed request).
  // Kept like the server's, without their date and time, so it is never taken for one sent
  // again. `house_key` names the house the client is connecting to: an entry made before
  // any login (the server cannot be reached) opens that house's store, so it is kept too.
  void ClientEntryAdded(const LogItemRecord& entry, const std::string& house_key = "");

  void ConnectionStarted(const std::string& house_key) override;
  void AnswerReceived(const Answer& answer) override;
  // The client saw the connection end: the items' states are unknown from this moment, not
  // from the last answer of a quiet house.
  void ConnectionEnded() override;

 private:
  void AddSample(ItemKind kind, const char* name, int32_t status, double value);
  template <class Record>
  void AddValued(ItemKind kind, const Record& record);
  template <class Record>
  void AddStatus(ItemKind kind, const Record& record);
  void OpenWriter();
  LogRow RowOf(const LogItemRecord& entry) const;

  StoreOpener opener_;
  cActivityLog* log_;
  std::function<int64_t()> now_ms_;
  HistorySettings settings_;
  std::string house_key_;
  std::string spill_folder_;
  std::unique_ptr<HistoryWriter> writer_;
  int64_t last_answer_ms_ = 0;  // when the session last heard from the server (0: not yet)
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HISTORY_RECORDER_H_
