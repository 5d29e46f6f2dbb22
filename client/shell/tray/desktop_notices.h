// cDesktopNotices: what the program tells the desktop when "Desktop Notifications" is on:
// Error and Warning entries of the activity log (the server's and the client's own), the
// server's messages, and the status changes of the sensors named in "Notify Sensors". Each
// notice carries the activity log's icon of its entry; it goes to the desktop's notification
// service, or, on a desktop without one, to the tray icon's balloon.
//
// When a connection is made the server sends the log's history as Log items; those are old
// news, so Log items are not notified during the first seconds of each connection (they are
// in the activity log all the same).
//
// Bursts are cut short: a server that goes away fails every request at once.
//
// The application owns one; the settings, clock and notifier it is given must outlive it.
#ifndef HV_CLIENT_SHELL_TRAY_DESKTOP_NOTICES_H_
#define HV_CLIENT_SHELL_TRAY_DESKTOP_NOTICES_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "client/ui/desktop_notifier.h"

namespace hv {

class cClientSettings;
class cClock;
struct LogItemRecord;
struct ServerMessageRecord;
struct StatusChangeRecord;

class cDesktopNotices {
 public:
  // How long after a connection's first Log item the items are taken for its history.
  static constexpr uint32_t kHistoryMs = 3000;
  // At most kBurstLimit notices in kBurstMs, and the same one not again within kBurstMs.
  static constexpr uint32_t kBurstMs = 10000;
  static constexpr uint32_t kBurstLimit = 5;

  // `notifier` may be null (no notification service known); `balloon` shows a notice on the
  // tray icon, false when there is none (may be empty).
  cDesktopNotices(const cClientSettings& settings, const cClock& clock, cDesktopNotifier* notifier,
                  std::function<bool(const cDesktopNotice&)> balloon);

  // An entry of the client's own that the activity log shows.
  void ClientEntry(const LogItemRecord& entry);
  // A Log item from the server; `connection` tells one connection from the next (the
  // socket's address will do), so that each one's history can be left out.
  void ServerLogItem(const LogItemRecord& entry, const void* connection);
  void ServerMessage(const ServerMessageRecord& record);
  void SensorChanged(const StatusChangeRecord& record);

  // The names of "Notify Sensors": split at ';', blanks around each name dropped, empty
  // names skipped.
  static std::vector<std::string> SensorNames(const char* list);

 private:
  bool Enabled() const;
  void Entry(const LogItemRecord& entry);
  void Send(const cDesktopNotice& notice);

  const cClientSettings& settings_;
  const cClock& clock_;
  cDesktopNotifier* notifier_;
  std::function<bool(const cDesktopNotice&)> balloon_;
  const void* history_of_ = nullptr;
  uint32_t history_since_ = 0;
  uint32_t burst_since_ = 0;
  uint32_t burst_count_ = 0;
  std::string last_key_;
  uint32_t last_sent_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_TRAY_DESKTOP_NOTICES_H_
