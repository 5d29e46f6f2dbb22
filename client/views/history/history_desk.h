// HistoryDesk: the history as the program has it: the recorder the session feeds, the timer
// that reports the store's failures to the activity log, and the History window. The program
// makes one after the application object and hands it to it; it ends before the application
// does, writing what is still queued.
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_DESK_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_DESK_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "client/history/history_recorder.h"
#include "client/views/history/dlg_history.h"

namespace hv {
class cActivityLog;
class cEventLoop;
class cToolkit;
class cWindow;
}  // namespace hv

namespace hv::history {

struct HistoryDeskServices {
  cToolkit* toolkit = nullptr;       // required
  cEventLoop* event_loop = nullptr;  // optional: without it failures are told when the window opens
  cActivityLog* log = nullptr;       // where a store that stopped recording is told
  std::function<std::unique_ptr<HistoryChart>(cWindow& window, int32_t frame_id)> make_chart;
  std::string path;  // empty: HistoryStore::DefaultPath()
  std::function<int64_t()> now_ms;
  // The house the client connects to ("address:port"), for its own entries made before a
  // login; may be empty.
  std::function<std::string()> house_key;
  // Where the History window may open; may be empty (see HistoryWindowServices).
  std::function<ScreenPlace()> screen_place;
  // Where the window's picks are kept across restarts: the registry store, under
  // "Software\<company>\<application>\History", one value per house.
  const char* company = "Orvane LLC";
  const char* application = "Varnholt";
};

class HistoryDesk {
 public:
  explicit HistoryDesk(HistoryDeskServices services);
  ~HistoryDesk();
  HistoryDesk(const HistoryDesk&) = delete;
  HistoryDesk& operator=(const HistoryDesk&) = delete;

  HouseEventObserver& Observer() { return recorder_; }
  void Apply(const HistorySettings& settings) { recorder_.Apply(settings); }
  void ClientEntryAdded(const LogItemRecord& entry) {
    recorder_.ClientEntryAdded(entry, services_.house_key ? services_.house_key() : "");
  }
  // Writes what is queued now: for an end that skips the destructors, and for tests that
  // look at the window at once.
  void Flush() { recorder_.Flush(); }
  // Shows the History window of the house now connected.
  void OpenWindow(cWindow* owner);
  CDlgHistory* Window() const { return window_.get(); }

 private:
  HistoryDeskServices services_;
  HistoryRecorder recorder_;
  uint32_t poll_timer_ = 0;
  std::unique_ptr<CDlgHistory> window_;
  // The house the window shows (empty: none, or recording off), set on the window's thread
  // before each Open and read by its worker when it opens the store.
  std::mutex window_house_mutex_;
  std::string window_house_;
};

// The house a connection is with, as the history keys it: "address:port".
std::string HouseKey(const char* address, int32_t port);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_DESK_H_
