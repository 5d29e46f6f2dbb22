#include "client/shell/tray/desktop_notices.h"

#include <strings.h>

#include "client/picture/bitmap.h"
#include "client/platform/clock.h"
#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"
#include "client/protocol/x10_function_name.h"
#include "client/shell/setup/client_settings.h"
#include "client/views/log/log_entry_texts.h"
#include "client/views/log/log_images.h"
#include "core/string/plain_text.h"

namespace hv {

namespace {

constexpr int32_t kEntryWarning = 2;
constexpr int32_t kEntrySensor = 4;

}  // namespace

cDesktopNotices::cDesktopNotices(const cClientSettings& settings, const cClock& clock,
                                 cDesktopNotifier* notifier,
                                 std::function<bool(const cDesktopNotice&)> balloon)
    : settings_(settings), clock_(clock), notifier_(notifier), balloon_(std::move(balloon)) {}

bool cDesktopNotices::Enabled() const { return settings_.desktop_notifications == 1; }

void cDesktopNotices::ClientEntry(const LogItemRecord& entry) {
  if (Enabled()) Entry(entry);
}

void cDesktopNotices::ServerLogItem(const LogItemRecord& entry, const void* connection) {
  const uint32_t now = clock_.TickCount();
  if (connection != history_of_) {
    history_of_ = connection;
    history_since_ = now;
  }
  if (!Enabled() || now - history_since_ < kHistoryMs) return;
  Entry(entry);
}

void cDesktopNotices::Entry(const LogItemRecord& entry) {
  if (entry.entry_type != kEntryError && entry.entry_type != kEntryWarning) return;
  cBitmap picture;
  const bool drawn = DrawLogImage(LogEntryImage(entry.entry_type, entry.function_code), &picture);
  cDesktopNotice notice;
  notice.title.Format("%s: %s", LogEntryTypeText(entry.entry_type),
                      LogNameIdText(entry.name, entry.path).CStr());
  notice.text = entry.message;
  notice.icon = entry.entry_type == kEntryError ? eNoticeIcon::kError : eNoticeIcon::kWarning;
  notice.picture = drawn ? &picture : nullptr;
  Send(notice);
}

void cDesktopNotices::ServerMessage(const ServerMessageRecord& record) {
  if (!Enabled()) return;
  cDesktopNotice notice;
  notice.title = record.caption;
  notice.text = record.text;
  notice.icon = record.plain == 0 ? eNoticeIcon::kWarning : eNoticeIcon::kInformation;
  Send(notice);
}

void cDesktopNotices::SensorChanged(const StatusChangeRecord& record) {
  if (!Enabled()) return;
  bool chosen = false;
  for (const std::string& name : SensorNames(settings_.notify_sensors.CStr())) {
    // Typed by hand: "front door" means the Front Door sensor.
    if (strcasecmp(name.c_str(), record.name.CStr()) == 0) chosen = true;
  }
  if (!chosen) return;
  const int32_t status = static_cast<int32_t>(record.status);
  cBitmap picture;
  const bool drawn = DrawLogImage(LogEntryImage(kEntrySensor, status), &picture);
  cDesktopNotice notice;
  notice.title = record.name;
  const char* function = X10FunctionName(status, 0);
  notice.text = function != nullptr && *function != '\0' ? function : "Status changed";
  notice.picture = drawn ? &picture : nullptr;
  Send(notice);
}

void cDesktopNotices::Send(const cDesktopNotice& notice) {
  // A server that goes away fails every request at once; one notice says it, a screenful
  // would bury the desktop.
  const uint32_t now = clock_.TickCount();
  if (now - burst_since_ >= kBurstMs) {
    burst_since_ = now;
    burst_count_ = 0;
  }
  const std::string key = std::string(notice.title.CStr()) + '\n' + notice.text.CStr();
  if (key == last_key_ && now - last_sent_ < kBurstMs) return;
  if (burst_count_ >= kBurstLimit) return;
  ++burst_count_;
  last_key_ = key;
  last_sent_ = now;
  if (notifier_ != nullptr && notifier_->Notify(notice)) return;
  // Nowhere to show it leaves it in the activity log only, where it is anyway.
  if (balloon_) (void)balloon_(notice);
}

std::vector<std::string> cDesktopNotices::SensorNames(const char* list) {
  std::vector<std::string> names;
  const std::string text = list != nullptr ? list : "";
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string name = Trim(text.substr(start, end - start), " \t");
    if (!name.empty()) names.push_back(name);
    start = end + 1;
  }
  return names;
}

}  // namespace hv
