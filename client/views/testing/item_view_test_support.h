// Test doubles for the item views: requests that are recorded instead of sent (and can be
// made to fail), an owner that records the failure entries a view shows, and a harness that
// makes a view's window in the in-memory toolkit with its own registry store.
#ifndef HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_TEST_SUPPORT_H_
#define HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"
#include "client/ui/headless/headless_report_list.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/views/devices/item_list_view.h"
#include "client/views/devices/item_view_requests.h"
#include "client/views/tab_child_owner.h"
#include "client/views/testing/host_window.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace test {

// A status change as the server sends it for a switch or a sensor.
inline StatusChangeRecord StatusChange(const char* name, uint32_t status, double value = 0.0) {
  return {.name = name, .status = status, .value = value};
}

// A switch item as the server sends it; a sensor item has the same fields.
inline SwitchRecord Switch(const char* name, uint32_t status, double value = 0.0, uint32_t kind = 1,
                           uint32_t io_kind = 0) {
  return {.name = name,
          .description = "desc",
          .kind = kind,
          .status = status,
          .value = value,
          .io_kind = io_kind};
}
inline SensorRecord Sensor(const char* name, uint32_t status, double value = 0.0, uint32_t kind = 1,
                           uint32_t io_kind = 0) {
  return Switch(name, status, value, kind, io_kind);
}

// A macro item as the server sends it: startup on, 2 triggers, 4 actions, 1 stop sensor.
inline MacroRecord Macro(const char* name, uint32_t status, uint32_t trigger_when = 0) {
  return {.name = name,
          .description = "desc",
          .status = status,
          .startup = 1,
          .trigger_when = trigger_when,
          .trigger_quantity = 2,
          .action_quantity = 4,
          .stop_sensor_quantity = 1};
}
inline MacroStatusRecord MacroStatus(const char* name, uint32_t status) {
  return {.name = name, .status = status};
}

// A mode item and a mode's status change as the server sends them.
inline ModeRecord Mode(const char* name, uint16_t state) {
  return {.name = name, .description = "desc", .state = state};
}
inline ModeStatusRecord ModeStatus(const char* name, uint16_t state) {
  return {.name = name, .state = state};
}

// A list's columns, left to right as they were inserted: heading and width.
using cColumnHeadings = std::vector<std::pair<std::string, int32_t>>;
inline cColumnHeadings ColumnHeadings(cReportList& list) {
  cColumnHeadings headings;
  for (int32_t i = 0; i < list.ColumnCount(); ++i) {
    cListColumn column;
    if (list.GetColumn(i, &column)) headings.emplace_back(column.text.CStr(), column.width);
  }
  return headings;
}

// One request as the view asked for it: its kind, the name's bytes and the number sent.
struct cSentRequest {
  std::string what;  // "GetSwitches", "SetSwitchStatus", ...
  std::string name;
  uint32_t value = 0;
  bool operator==(const cSentRequest&) const = default;
};

class cRecordingItemViewRequests : public cItemViewRequests {
 public:
  bool IsConnected() const override { return connected; }
  Status GetSwitches() override { return Record("GetSwitches", "", 0); }
  Status GetSensors() override { return Record("GetSensors", "", 0); }
  Status GetMacros() override { return Record("GetMacros", "", 0); }
  Status GetModes() override { return Record("GetModes", "", 0); }
  Status SetSwitchStatus(const swString& name, uint32_t status) override {
    return Record("SetSwitchStatus", name, status);
  }
  Status SetSensorStatus(const swString& name, uint32_t status) override {
    return Record("SetSensorStatus", name, status);
  }
  Status SetMacroStatus(const swString& name, uint32_t status) override {
    return Record("SetMacroStatus", name, status);
  }
  Status SetModeStatus(const swString& name, uint16_t state) override {
    return Record("SetModeStatus", name, state);
  }

  bool connected = true;
  int32_t result = hv::kOk;  // what every send returns (a failure is still recorded)
  std::vector<cSentRequest> sent;
  // Runs inside every send before the name is read, as the events a real send pumps while
  // it waits for the socket do.
  std::function<void()> while_sending;

 private:
  Status Record(const char* what, const swString& name, uint32_t value) {
    if (while_sending) while_sending();
    sent.push_back(cSentRequest{what, std::string(name.CStr(), name.GetLength()), value});
    return Status(Where::kProtocol, result);
  }
};

struct cShownEntry {
  int32_t entry_type;
  std::string name;
  std::string message;
  int32_t function_code;
};

class cRecordingOwner : public cTabChildOwner {
 public:
  hv::Status ShowLogEntry(const LogItemRecord& entry, CActivityItem* /*item*/) override {
    entries.push_back(cShownEntry{entry.entry_type, entry.name.CStr(), entry.message.CStr(),
                                  entry.function_code});
    return hv::Status::Ok();
  }
  void SettingsNotSaved(const Status& failure) override { unsaved.push_back(failure); }
  std::vector<cShownEntry> entries;
  std::vector<Status> unsaved;
};

// Favourites kept in memory, as the shell keeps them for the tray menu.
class cMemoryFavourites : public cFavouriteMarks {
 public:
  bool IsFavourite(eFavouriteKind kind, const swString& name) const override {
    for (const auto& [k, n] : marks) {
      if (k == kind && n == name.CStr()) return true;
    }
    return false;
  }
  bool SetFavourite(eFavouriteKind kind, const swString& name, bool favourite) override {
    std::erase_if(
        marks, [&](const auto& mark) { return mark.first == kind && mark.second == name.CStr(); });
    if (favourite) marks.emplace_back(kind, name.CStr());
    return true;
  }
  std::vector<std::pair<eFavouriteKind, std::string>> marks;
};

// A view of type View made inside a host window, as the main window makes its tab views.
template <class View>
class cItemViewHarness {
 public:
  explicit cItemViewHarness(const cDialogLayout& layout, int32_t placement = kPlacementTab) {
    host_ = MakeHostWindow(toolkit, 400, 200);
    cItemViewServices services;
    services.requests = &requests;
    services.favourites = &favourites;
    view = std::make_unique<View>(placement, services);
    view->SetOwner(&owner);
    created = view->Create(toolkit, layout, *host_, 0);
    view->MoveChild(cRect{0, 0, 600, 300}, false);
  }
  ~cItemViewHarness() { view.reset(); }

  cHeadlessReportList& List() { return *static_cast<cHeadlessReportList*>(view->List()); }
  std::string Text(int32_t row, int32_t column) { return List().CellText(row, column).CStr(); }
  bool Checked(int32_t row) { return List().GetCheck(row); }
  // A click on the row's check box.
  void ClickBox(int32_t row) {
    List().ClickAt(cPoint{cHeadlessReportList::kCheckBoxInset + 4,
                          List().RowTop(row) + cHeadlessReportList::kRowHeight / 2});
  }
  // A fresh list from the server: the view asks for it and takes items until the end.
  void Refresh() { view->RequestItems().Ignore("a send's failure is the view's to report"); }

  TempConfigHome config_home;  // the column settings go to a registry store of the test's own
  cHeadlessToolkit toolkit;
  cRecordingItemViewRequests requests;
  cRecordingOwner owner;
  cMemoryFavourites favourites;
  std::unique_ptr<View> view;
  Status created;

 private:
  std::unique_ptr<cWindow> host_;
};

// A test of a view that has asked for its list once: that request is checked and forgotten
// before each test, so a test sees only the requests it causes.
template <class View>
class cRefreshedItemViewTest : public ::testing::Test {
 protected:
  cRefreshedItemViewTest(const cDialogLayout& layout, const char* get_request)
      : h_(layout), get_request_(get_request) {}
  void SetUp() override {
    ASSERT_TRUE(h_.created.ok());
    h_.Refresh();
    ASSERT_EQ(h_.requests.sent, (std::vector<cSentRequest>{{get_request_, "", 0}}));
    h_.requests.sent.clear();
  }
  cItemViewHarness<View> h_;

 private:
  const char* get_request_;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_TEST_SUPPORT_H_
