// The activity log of the real program's windows (Qt, offscreen) against the housesim
// program: what changes in the simulated house, by a console command or by the house's own
// animation, appears at the top of the log with its picture, and the tray icon flashes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/server_connection.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/app/main_frame.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/shell/tray/tray_resources.h"
#include "client/ui/headless/headless_tray_area.h"
#include "client/ui/qt/qt_button.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_message_box.h"
#include "client/ui/qt/qt_report_list.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_window.h"
#include "client/views/log/activity_items.h"
#include "client/views/log/dlg_child_log.h"
#include "client/views/log/log_entry_texts.h"
#include "core/profile/profile.h"
#include "tests/desk_session_support.h"
#include "tests/housesim_program.h"
#include "tests/qt_program_parts.h"

namespace hv {

namespace {

namespace fs = std::filesystem;

using hv::test::ReadText;

// housesim taking console commands, its house animated every `animate_ms` (0: a still house).
class cHousesim : public hv::test::cHousesimProgram {
 public:
  cHousesim(const fs::path& folder, uint32_t animate_ms, uint32_t log_capacity = 0)
      : cHousesimProgram(folder, Options(animate_ms, log_capacity), eConsole::kCommands) {}

 private:
  static std::vector<std::string> Options(uint32_t animate_ms, uint32_t log_capacity) {
    std::vector<std::string> options = {"--quiet"};
    if (log_capacity != 0) {
      options.insert(options.end(), {"--log-capacity", std::to_string(log_capacity)});
    }
    if (animate_ms != 0) {
      options.insert(options.end(), {"--animate-period", std::to_string(animate_ms)});
    }
    return options;
  }
};

// The client's real windows logged in to a housesim, with the tray icon in an in-memory
// tray (the offscreen desktop has none of its own).
class cLoggedInClient {
 public:
  explicit cLoggedInClient(uint32_t port, uint32_t max_log_entries = 250,
                           const char* password = "demo") {
    hv::test::WriteAutoLogin(port);
    hv::test::WriteClientSetting("LoginPassword", password);
    hv::test::WriteClientSetting("Max Log Entries", max_log_entries);
    hv::test::WriteClientSetting("Tray Icon Type", 2);  // a flashing icon
    app = std::make_unique<CHouseDeskApp>(qt.Environment());
    if (!app->InitInstance()) return;
    auto* log = hv::test::TabbedView<CDlgChildLog>(*app, "Activity Log");
    if (log != nullptr) list = dynamic_cast<cQtReportList*>(log->List());
    view = log;
  }
  ~cLoggedInClient() {
    if (app != nullptr) app->ExitInstance();
  }
  cLoggedInClient(const cLoggedInClient&) = delete;
  cLoggedInClient& operator=(const cLoggedInClient&) = delete;

  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      qt.loop.Pump(20);
      if (done()) return true;
    }
    return false;
  }
  // The log's history has arrived and the flashing it started is over.
  bool Settle() {
    if (!PumpUntil([this] { return app->Connection().IsConnected() && list->RowCount() > 0; })) {
      return false;
    }
    int changes = tray.Changes();
    auto still_since = std::chrono::steady_clock::now();
    return PumpUntil([&] {
      if (tray.Changes() != changes) {
        changes = tray.Changes();
        still_since = std::chrono::steady_clock::now();
      }
      return !Noticing() &&
             std::chrono::steady_clock::now() - still_since > std::chrono::milliseconds(1500);
    });
  }
  bool Noticing() const {
    const cHeadlessTrayArea::cIcon* icon = tray.Icon(kTrayIconId);
    return icon != nullptr && icon->tip != "Varnholt (TM)";
  }
  std::string TopName() const { return list->CellText(0, kLogColumnNameId).CStr(); }
  // The list's pictures come as icons, with their doubled size for scaled screens.
  QIcon TopPicture() const {
    return list->View()->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>();
  }

  cHeadlessTrayArea tray;
  hv::test::cQtParts qt{&tray};
  std::unique_ptr<CHouseDeskApp> app;
  cQtReportList* list = nullptr;
  CDlgChildLog* view = nullptr;
};

// Each test's own folders, housesim in them and the client logged in to it, ended in that
// order's reverse.
class ActivityLogQtTest : public ::testing::Test {
 protected:
  // housesim with its house animated every `animate_ms` (0: a still house).
  void StartHousesim(uint32_t animate_ms, uint32_t log_capacity = 0) {
    sim_.emplace(folders_.Root(), animate_ms, log_capacity);
    ASSERT_NE(sim_->Port(), 0u) << "housesim did not start";
  }
  void LogIn(uint32_t max_log_entries = 250, const char* password = "demo") {
    client_.emplace(sim_->Port(), max_log_entries, password);
    ASSERT_NE(client_->list, nullptr);
  }

  hv::test::cTemporaryUserFolders folders_;
  std::optional<cHousesim> sim_;
  std::optional<cLoggedInClient> client_;
};

TEST_F(ActivityLogQtTest, AChangeInTheHouseAppearsAtTheTopAndTheTrayIconFlashes) {
  ASSERT_NO_FATAL_FAILURE(StartHousesim(0));
  ASSERT_NO_FATAL_FAILURE(LogIn());
  ASSERT_TRUE(client_->Settle());

  sim_->Command("switch \"Porch Light\" on");
  ASSERT_TRUE(client_->PumpUntil([&] { return client_->TopName() == "Porch Light [A1]"; }))
      << client_->TopName();
  cReportList& list = *client_->list;
  EXPECT_STREQ(list.CellText(0, kLogColumnType).CStr(), "Switch");
  EXPECT_STREQ(list.CellText(0, kLogColumnFunction).CStr(), "On");
  EXPECT_EQ(list.RowImage(0), 11);  // the lit bulb
  EXPECT_FALSE(client_->TopPicture().isNull());
  const CActivityItemList& stored = client_->app->ActivityItems();
  EXPECT_EQ(stored.At(stored.Count() - 1)->Entry().name, swString("Porch Light"));
  EXPECT_TRUE(client_->PumpUntil([&] { return client_->Noticing(); }))
      << "the tray icon does not flash";
}

TEST_F(ActivityLogQtTest, AWrongPasswordIsToldInABoxAndTheRowsShowTheirWholeText) {
  ASSERT_NO_FATAL_FAILURE(StartHousesim(0));
  ASSERT_NO_FATAL_FAILURE(LogIn(250, "wrong"));
  cQtMessageBox& boxes = client_->qt.toolkit.QtMessageBox();
  boxes.QueueAnswer(cMessageBoxAnswer::kNo);  // "Open Setup to check them?"
  ASSERT_TRUE(client_->PumpUntil([&] { return boxes.ShownCount() == 1; }));
  EXPECT_FALSE(client_->app->Connection().IsConnected());

  // The rows are cut off in their column; the tool tip and a double click give them whole.
  cReportList& list = *client_->list;
  int32_t hint = -1;
  for (int32_t row = 0; row < list.RowCount(); ++row) {
    const std::string name = list.CellText(row, kLogColumnNameId).CStr();
    if (name == "Connection terminated") {
      EXPECT_STREQ(list.CellText(row, kLogColumnMessage).CStr(), "The server rejected the login");
    }
    if (name == "Login") hint = row;
  }
  ASSERT_GE(hint, 0);
  const QModelIndex cell = client_->list->View()->model()->index(hint, kLogColumnMessage);
  EXPECT_EQ(cell.data(Qt::ToolTipRole).toString().toStdString(),
            "The server ended the session right after the login: the user name or password may "
            "be wrong. Check them in Setup.");
  // The log's tab need not be the one showing: the row is selected and double-clicked as the
  // view reports it.
  boxes.QueueAnswer(cMessageBoxAnswer::kOk);
  list.SetSelected(hint, true);
  Q_EMIT client_->list->View()->doubleClicked(cell);
  EXPECT_TRUE(client_->PumpUntil([&] { return boxes.ShownCount() == 2; }));
}

TEST_F(ActivityLogQtTest, TheAnimatedHouseAddsItsEntriesAtTheTopWithTheirPictures) {
  ASSERT_NO_FATAL_FAILURE(StartHousesim(300));
  ASSERT_NO_FATAL_FAILURE(LogIn());
  ASSERT_TRUE(client_->PumpUntil([&] { return client_->list->RowCount() > 0; }));

  // Motion sensors trip and clear, doors open and close, temperatures drift.
  const int rows = client_->list->RowCount();
  ASSERT_TRUE(client_->PumpUntil([&] { return client_->list->RowCount() > rows + 2; }));
  const swString type = client_->list->CellText(0, kLogColumnType);
  EXPECT_TRUE(type == "Sensor" || type == "X10 Sensor" || type == "Temperature") << type.CStr();
  EXPECT_GE(client_->list->RowImage(0), 4);
  EXPECT_FALSE(client_->TopPicture().isNull());
  const CActivityItemList& stored = client_->app->ActivityItems();
  const LogItemRecord& newest = stored.At(stored.Count() - 1)->Entry();
  EXPECT_EQ(LogNameIdText(newest.name, newest.path), client_->list->CellText(0, kLogColumnNameId));
}

// The mouse on the real widgets: a header click sorts, a row click enables "Filter", and a
// click on "Filter" narrows the log to the row's item.
TEST_F(ActivityLogQtTest, HeaderRowAndFilterClicksOnTheRealWidgets) {
  cQtToolkit toolkit;
  cFakeClock clock;
  CActivityItemList stored;
  cDialogLayout host;
  host.width = 500;
  host.height = 200;
  std::unique_ptr<cWindow> parent = toolkit.CreateTopLevelWindow(host, nullptr);
  cLogViewServices services;
  services.clock = &clock;
  services.stored = &stored;
  CDlgChildLog view(kPlacementTab, services);
  ASSERT_TRUE(view.Create(toolkit, LogViewLayout(), *parent, 0).ok());
  view.MoveChild(cRect{0, 0, 900, 400}, true);
  parent->Show(true);
  view.ShowChild(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(static_cast<cQtWindow*>(parent.get())->Dialog()));

  const char* dates[] = {"01/15/2009", "02/01/2009", "12/31/2008"};
  const char* names[] = {"Porch", "Hall", "Porch"};
  for (int i = 0; i < 3; ++i) {
    LogItemRecord entry;
    entry.entry_type = 6;
    entry.name = names[i];
    entry.function_code = 2;
    entry.date_text = dates[i];
    entry.time_text = "10:00:00 AM";
    CActivityItem* item = stored.Append(entry, 1);
    ASSERT_EQ(view.AddEntry(entry, item).code(), 0);
  }
  auto* list = dynamic_cast<cQtReportList*>(view.List());
  ASSERT_NE(list, nullptr);
  QTableView* tree = list->View();
  QApplication::processEvents();

  QHeaderView* header = tree->horizontalHeader();
  const auto click_header = [header](int column) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
  };
  // Dates and times show whole in the toolkit's font, however wide it makes them.
  const QFontMetrics metrics = tree->fontMetrics();
  EXPECT_GT(header->sectionSize(kLogColumnDate), metrics.horizontalAdvance("12/28/2008"));
  EXPECT_GT(header->sectionSize(kLogColumnTime), metrics.horizontalAdvance("12:58:58 PM"));
  EXPECT_FALSE(header->isSortIndicatorShown());
  click_header(kLogColumnDate);  // newest first
  EXPECT_TRUE(header->isSortIndicatorShown());
  EXPECT_EQ(header->sortIndicatorSection(), kLogColumnDate);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  click_header(kLogColumnDate);  // oldest first
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  EXPECT_STREQ(list->CellText(0, kLogColumnDate).CStr(), "12/31/2008");
  EXPECT_STREQ(list->CellText(2, kLogColumnDate).CStr(), "02/01/2009");

  QWidget* filter = dynamic_cast<cQtButton*>(view.Window()->Control(kLogFilter))->Button();
  EXPECT_FALSE(filter->isEnabled());
  const QRect hall = tree->visualRect(tree->model()->index(2, kLogColumnNameId));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, hall.center());
  EXPECT_TRUE(filter->isEnabled());
  QTest::mouseClick(filter, Qt::LeftButton, Qt::NoModifier, QPoint(5, filter->height() / 2));
  EXPECT_STREQ(view.FilterText().CStr(), "Hall");
  ASSERT_EQ(list->RowCount(), 1);
  EXPECT_FALSE(tree->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
}

// Ten thousand entries from housesim: typing into the real search box narrows them, the
// "Regular expression" box makes the text a pattern, and "Export..." writes what is shown.
TEST_F(ActivityLogQtTest, TenThousandServerEntriesAreSearchedAndExportedOnTheRealWidgets) {
  ASSERT_NO_FATAL_FAILURE(StartHousesim(0, 10000));
  for (int i = 0; i < 10000; ++i) {
    sim_->Command("log Entry " + std::to_string(i) + (i % 100 == 42 ? " needle" : " hay"));
  }
  ASSERT_NO_FATAL_FAILURE(LogIn(10000));
  ASSERT_TRUE(client_->PumpUntil([&] {
    return client_->list->RowCount() == 10000 &&
           std::string(client_->list->CellText(0, kLogColumnMessage).CStr()) == "Entry 9999 hay";
  })) << client_->list->RowCount();

  cWindow& window = *client_->view->Window();
  auto* search = dynamic_cast<cQtWidgetHolder*>(window.Control(kLogSearch));
  ASSERT_NE(search, nullptr);
  QTest::keyClicks(search->Widget(), "NEEDLE");
  EXPECT_EQ(client_->list->RowCount(), 100);
  EXPECT_STREQ(client_->list->CellText(0, kLogColumnMessage).CStr(), "Entry 9942 needle");

  // A pattern: only the entries whose number ends in 0 or 5.
  QWidget* regex = dynamic_cast<cQtButton*>(window.Control(kLogSearchRegex))->Button();
  QTest::mouseClick(regex, Qt::LeftButton, Qt::NoModifier, QPoint(5, regex->height() / 2));
  static_cast<QLineEdit*>(search->Widget())->clear();
  QTest::keyClicks(search->Widget(), "^entry \\d*[05] ");
  EXPECT_EQ(client_->list->RowCount(), 2000);

  const fs::path csv = folders_.Root() / "log.csv";
  client_->qt.toolkit.QtFileDialog().QueuePath(csv.c_str());
  QWidget* exporter = dynamic_cast<cQtButton*>(window.Control(kLogExport))->Button();
  QTest::mouseClick(exporter, Qt::LeftButton, Qt::NoModifier, QPoint(5, exporter->height() / 2));
  const std::string text = ReadText(csv);
  EXPECT_EQ(text.rfind("Type,Date,Time,Name/Id,Message,Function,Data\r\n", 0), 0u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2001);
  EXPECT_NE(text.find(",Entry 9995 hay,"), std::string::npos);
  EXPECT_EQ(text.find(",Entry 9994 hay,"), std::string::npos);
}

}  // namespace

}  // namespace hv
