// What the main window hands each kind of view. A view class realises the feed of its kind
// beside cTabChildDlg and gives it, typed, through cTabChildDlg::Feeds(), which every view
// must define: the main window fans an answer or a request out through those pointers, so a
// view without its feed does not compile. Every operation returns its outcome (Where::kUi):
// success, declined when it had nothing to do, or the failure.
#ifndef HV_CLIENT_VIEWS_VIEW_FEEDS_H_
#define HV_CLIENT_VIEWS_VIEW_FEEDS_H_

#include <cstdint>
#include <variant>

#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"
#include "core/status.h"

namespace hv {

class CActivityItem;
class cBitmap;
class cTabChildDlg;

// The list views (switches, sensors, macros, modes, activity log).
class cListViewFeed {
 public:
  virtual ~cListViewFeed() = default;
  // Removes every row, releasing what the rows own.
  virtual void EmptyList() = 0;
  // Empties the list and sends the view's Get request (the activity log sends nothing).
  // Without a connection nothing is sent; a failed send is reported as an activity entry.
  // Declined when the view has nothing to ask for.
  [[nodiscard]] virtual Status RequestItems() = 0;
};

class cSwitchesFeed {
 public:
  virtual ~cSwitchesFeed() = default;
  [[nodiscard]] virtual Status AddSwitch(const SwitchRecord& record) = 0;
  [[nodiscard]] virtual Status SetSwitchStatus(const StatusChangeRecord& record) = 0;
};

class cSensorsFeed {
 public:
  virtual ~cSensorsFeed() = default;
  [[nodiscard]] virtual Status AddSensor(const SensorRecord& record) = 0;
  [[nodiscard]] virtual Status SetSensorStatus(const StatusChangeRecord& record) = 0;
};

class cMacrosFeed {
 public:
  virtual ~cMacrosFeed() = default;
  [[nodiscard]] virtual Status AddMacro(const MacroRecord& record) = 0;
  [[nodiscard]] virtual Status SetMacroStatus(const MacroStatusRecord& record) = 0;
};

class cModesFeed {
 public:
  virtual ~cModesFeed() = default;
  [[nodiscard]] virtual Status AddMode(const ModeRecord& record) = 0;
  [[nodiscard]] virtual Status SetModeStatus(const ModeStatusRecord& record) = 0;
};

class cActivityLogFeed {
 public:
  virtual ~cActivityLogFeed() = default;
  // Shows the entry as the newest row; `item` is the stored entry it shows, or null.
  [[nodiscard]] virtual Status AddEntry(const LogItemRecord& entry, CActivityItem* item) = 0;
  // The stored entry is about to be freed: rows that refer to it drop the reference now.
  virtual void ForgetItem(const CActivityItem* item) = 0;
};

class cVideoFeed {
 public:
  virtual ~cVideoFeed() = default;
  // A thumbnail of the view's source, its picture decoded (the view keeps its own copy; null
  // stores the record without showing it), and the most pictures a source keeps ("Max
  // Snapshots"; 0 for no limit). Ok, or kOutOfMemory when the record cannot be stored.
  [[nodiscard]] virtual Status AddThumbnail(const ThumbnailRecord& record, const cBitmap* picture,
                                            int32_t max_count) = 0;
  [[nodiscard]] virtual Status RestoreWindowState() = 0;
  [[nodiscard]] virtual Status RebuildThumbnails() = 0;
  virtual int32_t IsPreviewInTab() const = 0;
  virtual void SetPreviewInTab(int32_t on) = 0;
  // The tabbed video view a top video view shares its pictures with (not owned; null).
  virtual void SetSharedView(cTabChildDlg* view) = 0;
};

// The feed of a view's kind: one alternative per kind, in the kinds' order.
using KindFeed = std::variant<cActivityLogFeed*, cSwitchesFeed*, cSensorsFeed*, cMacrosFeed*,
                              cModesFeed*, cVideoFeed*>;

// What one view offers the main window.
struct ViewFeeds {
  KindFeed kind;
  // The views that keep a list of rows (the activity log and the item lists); null for the
  // others.
  cListViewFeed* list = nullptr;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIEW_FEEDS_H_
