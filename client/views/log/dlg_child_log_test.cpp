#include "client/views/log/dlg_child_log.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/platform/testing/fake_clock.h"
#include "client/ui/headless/headless_report_list.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/log/activity_items.h"
#include "client/views/log/log_entry_texts.h"
#include "client/views/log/log_images.h"
#include "client/views/testing/host_window.h"
#include "client/views/testing/item_view_test_support.h"
#include "core/profile/profile.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"
#include "core/testing/text_file.h"

namespace hv {

namespace {

LogItemRecord Entry(int32_t type, const char* name, const char* path = "", const char* date = "",
                    const char* time = "") {
  LogItemRecord entry;
  entry.entry_type = type;
  entry.name = name;
  entry.path = path;
  entry.message = "message";
  entry.function_code = 254;
  entry.date_text = date;
  entry.time_text = time;
  return entry;
}

class DlgChildLogTest : public ::testing::Test {
 protected:
  void SetUp() override { parent_ = hv::test::MakeHostWindow(toolkit_, 400, 200); }

  // Makes the view as the main window does, over the stored entries of the test.
  std::unique_ptr<CDlgChildLog> MakeView(int32_t placement = kPlacementTab) {
    cLogViewServices services;
    services.clock = &clock_;
    services.stored = &stored_;
    services.max_log_entries = [this] { return max_entries_; };
    services.adding_entry = &adding_entry_;
    auto view = std::make_unique<CDlgChildLog>(placement, services);
    EXPECT_TRUE(view->Create(toolkit_, LogViewLayout(), *parent_, 0).ok());
    return view;
  }

  // A view over entries stored and shown one after the other.
  std::unique_ptr<CDlgChildLog> MakeViewOf(std::initializer_list<LogItemRecord> entries) {
    auto view = MakeView();
    for (const LogItemRecord& entry : entries) Log(*view, entry);
    return view;
  }

  // Stores an entry and shows it, as the application's AddLogEntry does.
  void Log(CDlgChildLog& view, const LogItemRecord& entry, int16_t show_flag = 1) {
    CActivityItem* item = stored_.Append(entry, show_flag);
    if (show_flag == 1) {
      EXPECT_EQ(view.AddEntry(entry, item).code(), hv::kOk);
    }
  }

  static cHeadlessWindow& WindowOf(CDlgChildLog& view) {
    return *static_cast<cHeadlessWindow*>(view.Window());
  }
  static cHeadlessReportList& ListOf(CDlgChildLog& view) {
    return *static_cast<cHeadlessReportList*>(view.List());
  }
  static std::vector<std::string> Column(CDlgChildLog& view, int32_t column) {
    std::vector<std::string> texts;
    texts.reserve(view.List()->RowCount());
    for (int32_t row = 0; row < view.List()->RowCount(); ++row) {
      texts.emplace_back(view.List()->CellText(row, column).CStr());
    }
    return texts;
  }
  static void ClickRow(CDlgChildLog& view, int32_t row) {
    cHeadlessReportList& list = ListOf(view);
    list.ClickAt(cPoint{30, list.RowTop(row) + 4});
  }

  TempConfigHome config_home_;
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  CActivityItemList stored_;
  uint32_t max_entries_ = 250;
  bool adding_entry_ = false;
  std::unique_ptr<cWindow> parent_;
};

TEST_F(DlgChildLogTest, ShowsSevenColumnsAndTheTwentyTwoImages) {
  auto view = MakeView();
  cReportList& list = *view->List();
  const hv::test::cColumnHeadings expected = {{"Type", 25},     {"Date", 75},     {"Time", 75},
                                              {"Name/Id", 150}, {"Message", 150}, {"Function", 71},
                                              {"Data", 150}};
  EXPECT_EQ(hv::test::ColumnHeadings(list), expected);
  EXPECT_EQ(list.ListStyles(), kListFullRowSelect | kListHeaderDragDrop | kListShowSelectionAlways);
  ASSERT_NE(view->Images(), nullptr);
  EXPECT_EQ(view->Images()->Count(), 22);
  EXPECT_EQ(ListOf(*view).ImageList(), view->Images());
  EXPECT_EQ(view->Kind(), ViewKind::kActivityLog);
}

TEST_F(DlgChildLogTest, TheLimitKeepsTheNewestRowsAndZeroMeansNone) {
  max_entries_ = 5;
  auto view = MakeView();
  for (int i = 1; i <= 6; ++i) Log(*view, Entry(1, ("entry " + std::to_string(i)).c_str()));
  EXPECT_EQ(Column(*view, 3),
            (std::vector<std::string>{"entry 6", "entry 5", "entry 4", "entry 3", "entry 2"}));

  max_entries_ = 0;
  for (int i = 7; i <= 9; ++i) Log(*view, Entry(1, ("entry " + std::to_string(i)).c_str()));
  EXPECT_EQ(view->List()->RowCount(), 8);
  EXPECT_EQ(view->List()->CellText(0, 3), swString("entry 9"));
}

TEST_F(DlgChildLogTest, NameIdShowsTheFirstPartOfThePath) {
  auto view = MakeView();
  Log(*view, Entry(6, "Porch", "Lights/Front"));
  Log(*view, Entry(6, "Porch", "/Front"));
  Log(*view, Entry(6, "", "Lights/Front"));
  Log(*view, Entry(6, "Porch", ""));
  EXPECT_EQ(Column(*view, 3),
            (std::vector<std::string>{"Porch", "Lights/Front", "Porch", "Porch [Lights]"}));
}

TEST_F(DlgChildLogTest, FilterShowsOneItemAndClearingItBringsBackEveryShownEntry) {
  auto view = MakeView();
  cHeadlessWindow& window = WindowOf(*view);
  Log(*view, Entry(6, "Porch", "Lights/Front"));
  Log(*view, Entry(6, "Hall", "Lights/Hall"));
  Log(*view, Entry(6, "Porch", "Lights/Back"));
  Log(*view, Entry(1, "Hidden"), 0);  // stored, never shown
  EXPECT_FALSE(window.Control(kLogFilter)->IsEnabled());

  ClickRow(*view, 0);  // Porch [Lights], the newest
  ASSERT_TRUE(window.Control(kLogFilter)->IsEnabled());
  ASSERT_TRUE(window.Click(kLogFilter));
  EXPECT_STREQ(view->FilterText().CStr(), "Porch [Lights]");
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"Porch [Lights]", "Porch [Lights]"}));

  Log(*view, Entry(6, "Porch"));  // "Porch" alone is another item
  Log(*view, Entry(6, "Porch", "Lights/Side"));
  EXPECT_EQ(view->List()->RowCount(), 3);

  ASSERT_TRUE(window.Click(kLogFilter));
  EXPECT_STREQ(view->FilterText().CStr(), "");
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"Porch [Lights]", "Porch", "Porch [Lights]",
                                                        "Hall [Lights]", "Porch [Lights]"}));
  EXPECT_FALSE(window.Control(kLogFilter)->IsEnabled());
}

TEST_F(DlgChildLogTest, FilterWithoutASelectedRowBeepsAndChangesNothing) {
  auto view = MakeView();
  cHeadlessWindow& window = WindowOf(*view);
  Log(*view, Entry(6, "Porch"));
  ClickRow(*view, 0);
  ASSERT_TRUE(window.Click(kLogClear));  // the selection goes with the rows
  Log(*view, Entry(6, "Hall"));
  ASSERT_TRUE(window.Control(kLogFilter)->IsEnabled());

  ASSERT_TRUE(window.Click(kLogFilter));
  EXPECT_EQ(toolkit_.Beeps(), (std::vector<eBeep>{eBeep::kDefault}));
  EXPECT_STREQ(view->FilterText().CStr(), "");
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"Hall"}));
  EXPECT_EQ(window.Button(kLogFilter)->GetCheck(), 0);
}

TEST_F(DlgChildLogTest, ClearEmptiesTheViewAndRestoreRefillsIt) {
  auto view = MakeView();
  Log(*view, Entry(6, "Porch"));
  Log(*view, Entry(6, "Hall"));
  ASSERT_TRUE(WindowOf(*view).Click(kLogClear));
  EXPECT_EQ(view->List()->RowCount(), 0);
  EXPECT_EQ(stored_.Count(), 2u);
  ASSERT_TRUE(WindowOf(*view).Click(kLogRestore));
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"Hall", "Porch"}));

  // A view made later starts with what is stored.
  auto top = MakeView(kPlacementTop);
  EXPECT_EQ(Column(*top, 3), (std::vector<std::string>{"Hall", "Porch"}));
}

TEST_F(DlgChildLogTest, HeaderClicksSortByDateAndTime) {
  auto view = MakeView();
  Log(*view, Entry(1, "b", "", "01/15/2009", "09:00:00 AM"));
  Log(*view, Entry(1, "c", "", "02/01/2009", "09:00:00 AM"));
  Log(*view, Entry(1, "a", "", "12/31/2008", "09:00:00 AM"));
  EXPECT_EQ(view->SortColumn(), kLogColumnDate);

  ListOf(*view).ClickHeader(kLogColumnDate);
  EXPECT_EQ(view->SortDirection(), -1);
  EXPECT_EQ(Column(*view, 1), (std::vector<std::string>{"02/01/2009", "01/15/2009", "12/31/2008"}));
  ListOf(*view).ClickHeader(kLogColumnDate);
  EXPECT_EQ(Column(*view, 1), (std::vector<std::string>{"12/31/2008", "01/15/2009", "02/01/2009"}));
  ListOf(*view).ClickHeader(kLogColumnDate);
  ListOf(*view).ClickHeader(kLogColumnTime);
  EXPECT_EQ(view->SortColumn(), kLogColumnTime);
  EXPECT_EQ(view->SortDirection(), 1);
  EXPECT_EQ(Column(*view, 1), (std::vector<std::string>{"12/31/2008", "01/15/2009", "02/01/2009"}));
}

TEST_F(DlgChildLogTest, TheHeaderArrowShowsTheSortUntilTheRowsAreRefilled) {
  auto view = MakeView();
  Log(*view, Entry(1, "b", "", "01/15/2009", "09:00:00 AM"));
  cReportList& list = *view->List();
  EXPECT_EQ(list.SortIndicatorColumn(), -1);  // rows in arrival order: no arrow
  ListOf(*view).ClickHeader(kLogColumnNameId);
  EXPECT_EQ(list.SortIndicatorColumn(), kLogColumnNameId);
  EXPECT_EQ(list.SortIndicatorDirection(), 1);
  ListOf(*view).ClickHeader(kLogColumnNameId);
  EXPECT_EQ(list.SortIndicatorDirection(), -1);
  view->OnCommand(kLogRestore, eCommandEvent::kClicked);
  EXPECT_EQ(list.SortIndicatorColumn(), -1);
}

TEST_F(DlgChildLogTest, TimesSortOnATwentyFourHourClock) {
  auto view = MakeView();
  const char* times[] = {"01:00:00 PM", "12:00:00 PM", "11:59:59 AM", "12:30:00 am", "01:00:00 AM"};
  for (const char* time : times) Log(*view, Entry(1, "x", "", "03/04/2010", time));
  ListOf(*view).ClickHeader(kLogColumnTime);
  EXPECT_EQ(Column(*view, 2), (std::vector<std::string>{"12:30:00 am", "01:00:00 AM", "11:59:59 AM",
                                                        "12:00:00 PM", "01:00:00 PM"}));
}

TEST_F(DlgChildLogTest, NumbersSortAsTextAndTiesGoByTime) {
  auto view = MakeView();
  Log(*view, Entry(9, "x", "", "01/01/2010", "10:00:00 AM"));
  Log(*view, Entry(10, "y", "", "01/01/2010", "10:00:00 AM"));
  Log(*view, Entry(9, "z", "", "01/01/2010", "09:00:00 AM"));
  ListOf(*view).ClickHeader(kLogColumnType);
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"y", "z", "x"}));
  ListOf(*view).ClickHeader(kLogColumnType);
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"x", "z", "y"}));

  ListOf(*view).ClickHeader(kLogColumnNameId);  // case-insensitive
  Log(*view, Entry(1, "B", "", "01/01/2010", "10:00:00 AM"));
  ListOf(*view).ClickHeader(kLogColumnMessage);
  ListOf(*view).ClickHeader(kLogColumnNameId);
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"B", "x", "y", "z"}));
}

TEST_F(DlgChildLogTest, AnErrorReportedByAViewShowsItsMessageAndNow) {
  clock_.SetLocalTime(2024, 7, 4, 15, 5, 9);
  auto view = MakeView();
  LogItemRecord error = Entry(kEntryTypeError, kConnectionLostName);
  error.message = "Set switch status not sent successfully";
  error.detail2 = 5;
  ASSERT_EQ(view->AddEntry(error, nullptr).code(), hv::kOk);
  cReportList& list = *view->List();
  EXPECT_STREQ(list.CellText(0, 0).CStr(), "Error");
  EXPECT_EQ(list.RowImage(0), 3);
  EXPECT_STREQ(list.CellText(0, 1).CStr(), "07/04/2024");
  EXPECT_STREQ(list.CellText(0, 2).CStr(), "03:05:09 PM");
  EXPECT_STREQ(list.CellText(0, 3).CStr(), "Connection is lost");
  EXPECT_STREQ(list.CellText(0, 4).CStr(), "Set switch status not sent successfully");
  EXPECT_STREQ(list.CellText(0, 5).CStr(), "");
  EXPECT_STREQ(list.CellText(0, 6).CStr(), "");
  EXPECT_EQ(stored_.Count(), 0u);

  // Not stored, so Restore does not bring it back; an unknown type shows as such.
  Log(*view, Entry(99, "Odd"));
  EXPECT_STREQ(list.CellText(0, 0).CStr(), "Unknown");
  EXPECT_EQ(list.RowImage(0), 0);
  ASSERT_TRUE(WindowOf(*view).Click(kLogRestore));
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"Odd"}));
}

TEST_F(DlgChildLogTest, FunctionDataAndImageFollowTheEntry) {
  auto view = MakeView();
  LogItemRecord on = Entry(6, "Porch");
  on.function_code = 2;
  on.value = 3;
  on.extra = 2;
  Log(*view, on);
  EXPECT_EQ(view->List()->RowImage(0), 11);
  EXPECT_STREQ(view->List()->CellText(0, 5).CStr(), "On");
  EXPECT_STREQ(view->List()->CellText(0, 6).CStr(), " 3, 2");
  LogItemRecord temperature = Entry(11, "Attic");
  Log(*view, temperature);
  EXPECT_STREQ(view->List()->CellText(0, 6).CStr(), " 0");
}

// The box reads the row's texts one after another, each built from its entry.
TEST_F(DlgChildLogTest, ADoubleClickShowsTheWholeRowUnderItsName) {
  auto view = MakeView();
  LogItemRecord on = Entry(6, "Porch", "Lights/Front", "01/15/2009", "07:30:00 PM");
  on.message = "The server ended the connection after a long wait";
  on.function_code = 2;
  on.value = 21.5;
  Log(*view, on);
  Log(*view, Entry(1, "Hall", "", "01/15/2009", "07:31:00 PM"));
  ClickRow(*view, 1);
  view->OnCommand(kLogList, eCommandEvent::kDoubleClicked);
  const auto& shown = toolkit_.HeadlessMessageBox().Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_STREQ(shown[0].caption.CStr(), "Porch [Lights]");
  EXPECT_STREQ(shown[0].text.CStr(),
               "01/15/2009 07:30:00 PM\r\n\r\nThe server ended the connection after a long "
               "wait\r\n\r\nOn\r\n\r\n 21.5");
}

TEST_F(DlgChildLogTest, AnEntryAddedWhileAnotherIsBeingAddedIsTurnedAway) {
  auto view = MakeView();
  adding_entry_ = true;
  EXPECT_EQ(view->AddEntry(Entry(1, "nested"), nullptr).code(), hv::kDeclined);
  EXPECT_EQ(view->List()->RowCount(), 0);
  adding_entry_ = false;
  EXPECT_EQ(view->AddEntry(Entry(1, "next"), nullptr).code(), hv::kOk);
  EXPECT_EQ(view->List()->RowCount(), 1);
}

TEST_F(DlgChildLogTest, RowsKeepTheirEntryWhenTheStoredItemIsFreed) {
  auto view = MakeView();
  stored_.SetForgetHook([&view](const CActivityItem* item) { view->ForgetItem(item); });
  Log(*view, Entry(6, "Porch", "", "01/02/2010", "10:00:00 AM"));
  Log(*view, Entry(6, "Hall", "", "01/01/2010", "10:00:00 AM"));
  ASSERT_TRUE(stored_.RemoveOldest());  // Porch: the row still holds it

  // The row still sorts by its own date.
  ListOf(*view).ClickHeader(kLogColumnTime);
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"Hall", "Porch"}));
  stored_.Clear();
  ListOf(*view).ClickHeader(kLogColumnTime);
  EXPECT_EQ(Column(*view, 3), (std::vector<std::string>{"Porch", "Hall"}));
  stored_.SetForgetHook(nullptr);

  // Rows that outlive the stored items go away cleanly with the limit, Clear and Restore.
  max_entries_ = 2;
  ASSERT_EQ(view->AddEntry(Entry(6, "Attic", "", "01/03/2010", "10:00:00 AM"), nullptr).code(),
            hv::kOk);
  EXPECT_EQ(view->List()->RowCount(), 2);
  view->OnCommand(kLogClear, eCommandEvent::kClicked);
  EXPECT_EQ(view->List()->RowCount(), 0);
}

TEST_F(DlgChildLogTest, AStoredItemShownTwiceAndInTwoViewsIsSharedByTheirRows) {
  auto tab = MakeView();
  auto top = MakeView(kPlacementTop);
  const LogItemRecord entry = Entry(6, "Porch", "", "01/02/2010", "10:00:00 AM");
  CActivityItem* item = stored_.Append(entry, 1);
  ASSERT_EQ(tab->AddEntry(entry, item).code(), hv::kOk);
  ASSERT_EQ(top->AddEntry(entry, item).code(), hv::kOk);
  ASSERT_EQ(tab->AddEntry(entry, item).code(), hv::kOk);
  stored_.Clear();
  EXPECT_EQ(Column(*tab, 3), (std::vector<std::string>{"Porch", "Porch"}));
  tab->OnCommand(kLogClear, eCommandEvent::kClicked);
  // The top view still holds it: its row sorts from the item.
  ListOf(*top).ClickHeader(kLogColumnMessage);
  EXPECT_EQ(Column(*top, 3), (std::vector<std::string>{"Porch"}));
  top.reset();  // a view that goes with rows lets go of them
  EXPECT_EQ(Column(*tab, 3), (std::vector<std::string>{}));
}

TEST_F(DlgChildLogTest, ButtonsMoveWithTheRightEdge) {
  auto view = MakeView();
  cWindow& window = *view->Window();
  const cRect filter = window.Control(kLogFilter)->Rect();
  const cRect clear = window.Control(kLogClear)->Rect();
  const int32_t margin = window.ClientRect().right - filter.left;
  const int32_t gap = filter.left - view->List()->Rect().right;

  view->MoveChild(cRect{0, 0, 900, 300}, true);
  const cRect moved = window.Control(kLogFilter)->Rect();
  EXPECT_EQ(moved.left, 900 - margin);
  EXPECT_EQ(moved.top, filter.top);
  EXPECT_EQ(moved.Width(), filter.Width());
  EXPECT_EQ(window.Control(kLogClear)->Rect().left, 900 - margin);
  EXPECT_EQ(window.Control(kLogClear)->Rect().top, clear.top);
  EXPECT_EQ(view->List()->Rect().right, moved.left - gap);
  EXPECT_EQ(view->List()->Rect().bottom, 300);
}

TEST_F(DlgChildLogTest, ColumnSettingsAreKeptPerPlacement) {
  {
    auto tab = MakeView(kPlacementTab);
    tab->List()->SetColumnWidth(kLogColumnMessage, 222);
    auto top = MakeView(kPlacementTop);
    top->List()->SetColumnWidth(kLogColumnMessage, 111);
    tab->CloseChild(0);
    top->CloseChild(0);
  }
  uint32_t width = 0;
  EXPECT_TRUE(
      ReadProfileNumber("Orvane LLC", "Varnholt", "ListBoxes", "Activity Width Message", &width, 0)
          .ok());
  EXPECT_EQ(width, 222u);
  EXPECT_TRUE(ReadProfileNumber("Orvane LLC", "Varnholt", "ListBoxes", "ActivityTop Width Message",
                                &width, 0)
                  .ok());
  EXPECT_EQ(width, 111u);
  auto again = MakeView(kPlacementTop);
  cListColumn column;
  ASSERT_TRUE(again->List()->GetColumn(kLogColumnMessage, &column));
  EXPECT_EQ(column.width, 111);
}

TEST_F(DlgChildLogTest, DateAndTimeColumnsWidenToTheirTextUnlessAWidthWasSaved) {
  {
    auto view = MakeView(kPlacementTab);
    cListColumn column;
    // The in-memory list's characters are narrow enough for the given widths.
    ASSERT_TRUE(view->List()->GetColumn(kLogColumnTime, &column));
    EXPECT_EQ(column.width, 75);
    // A column the user made narrow stays narrow, even below its text.
    view->List()->SetColumnWidth(kLogColumnDate, 30);
    view->CloseChild(0);
  }
  auto again = MakeView(kPlacementTab);
  cListColumn column;
  ASSERT_TRUE(again->List()->GetColumn(kLogColumnDate, &column));
  EXPECT_EQ(column.width, 30);
}

TEST(LogImagesTest, EveryImageIsDrawnAndTheyDiffer) {
  std::vector<cBitmap> images(kLogImageCount);
  for (int32_t i = 0; i < kLogImageCount; ++i) {
    ASSERT_TRUE(DrawLogImage(i, &images[static_cast<size_t>(i)]));
    EXPECT_EQ(images[static_cast<size_t>(i)].Width(), 20u);
    EXPECT_EQ(images[static_cast<size_t>(i)].Height(), 16u);
    for (int32_t j = 0; j < i; ++j) {
      const cBitmap& a = images[static_cast<size_t>(i)];
      const cBitmap& b = images[static_cast<size_t>(j)];
      EXPECT_FALSE(std::equal(a.Pixels(), a.Pixels() + 320, b.Pixels())) << i << " " << j;
    }
  }
  cBitmap none;
  EXPECT_FALSE(DrawLogImage(22, &none));
  EXPECT_FALSE(DrawLogImage(-1, &none));
}

// The search box and the export: a text or a regular expression over every column, on top of
// the filter, and the rows shown written out as CSV.
LogItemRecord Full(int32_t type, const char* name, const char* message, double value,
                   const char* date, const char* time) {
  LogItemRecord entry = Entry(type, name, "", date, time);
  entry.message = message;
  entry.value = value;
  return entry;
}

TEST_F(DlgChildLogTest, TheSearchNarrowsEveryColumnOnTopOfTheFilter) {
  auto view = MakeViewOf({Full(6, "Porch", "Turned on", 0, "01/02/2009", "10:00:00 AM"),
                          Full(11, "Attic", "Reading", 21.5, "01/02/2009", "10:01:00 AM"),
                          Full(3, "Hall", "porch door open", 0, "01/03/2009", "10:02:00 AM"),
                          Full(6, "Porch", "Turned off", 0, "01/03/2009", "11:00:00 PM")});
  cHeadlessWindow& window = WindowOf(*view);

  // An empty box changes nothing.
  ASSERT_TRUE(window.Type(kLogSearch, ""));
  EXPECT_EQ(view->List()->RowCount(), 4);
  // A name, a message, whatever the case.
  ASSERT_TRUE(window.Type(kLogSearch, "PORCH"));
  EXPECT_EQ(Column(*view, kLogColumnNameId), (std::vector<std::string>{"Porch", "Hall", "Porch"}));
  // The type text, the data and the date are searched too.
  ASSERT_TRUE(window.Type(kLogSearch, "error"));
  EXPECT_EQ(Column(*view, kLogColumnNameId), (std::vector<std::string>{"Hall"}));
  ASSERT_TRUE(window.Type(kLogSearch, "21.5"));
  EXPECT_EQ(Column(*view, kLogColumnNameId), (std::vector<std::string>{"Attic"}));
  ASSERT_TRUE(window.Type(kLogSearch, "01/03"));
  EXPECT_EQ(view->List()->RowCount(), 2);

  // On top of the filter: only the Porch rows that hold "off".
  ASSERT_TRUE(window.Type(kLogSearch, "turned"));
  ClickRow(*view, 0);
  ASSERT_TRUE(window.Click(kLogFilter));
  ASSERT_EQ(view->FilterText(), "Porch");
  ASSERT_TRUE(window.Type(kLogSearch, "OFF"));
  EXPECT_EQ(Column(*view, kLogColumnMessage), (std::vector<std::string>{"Turned off"}));

  // A new entry that does not match stays out; one that does comes in at the top.
  Log(*view, Full(6, "Porch", "Dimmed", 0, "01/04/2009", "09:00:00 AM"));
  Log(*view, Full(6, "Porch", "Off again", 0, "01/04/2009", "09:01:00 AM"));
  EXPECT_EQ(Column(*view, kLogColumnMessage),
            (std::vector<std::string>{"Off again", "Turned off"}));

  // Emptying the box brings back what the filter shows.
  ASSERT_TRUE(window.Type(kLogSearch, ""));
  EXPECT_EQ(view->List()->RowCount(), 4);
  EXPECT_EQ(view->FilterText(), "Porch");
}

TEST_F(DlgChildLogTest, ARegularExpressionSearchAndABadPatternThatIsExplained) {
  auto view = MakeViewOf({Full(6, "Porch 1", "on", 0, "01/02/2009", "10:00:00 AM"),
                          Full(6, "Porch 12", "on", 0, "01/02/2009", "10:01:00 AM"),
                          Full(6, "Hall", "on", 0, "01/02/2009", "10:02:00 AM")});
  cHeadlessWindow& window = WindowOf(*view);
  cControl* complaint = window.Control(kLogSearchError);
  EXPECT_FALSE(complaint->IsVisible());

  // Without the box ticked the pattern is plain text and finds nothing.
  ASSERT_TRUE(window.Type(kLogSearch, "^porch \\d$"));
  EXPECT_EQ(view->List()->RowCount(), 0);
  ASSERT_TRUE(window.Click(kLogSearchRegex));
  EXPECT_EQ(Column(*view, kLogColumnNameId), (std::vector<std::string>{"Porch 1"}));

  // Half typed: the rows stay as they were and the box says what is wrong.
  ASSERT_TRUE(window.Type(kLogSearch, "^porch \\d$|(hall"));
  EXPECT_EQ(Column(*view, kLogColumnNameId), (std::vector<std::string>{"Porch 1"}));
  EXPECT_TRUE(complaint->IsVisible());
  EXPECT_EQ(std::string(complaint->Text().CStr()).rfind("Invalid regular expression: ", 0), 0u);
  ASSERT_TRUE(window.Type(kLogSearch, "^porch \\d$|(hall)"));
  EXPECT_FALSE(complaint->IsVisible());
  EXPECT_EQ(Column(*view, kLogColumnNameId), (std::vector<std::string>{"Hall", "Porch 1"}));

  // The complaint takes the room up to the buttons' right edge as the view grows.
  view->MoveChild(cRect{0, 0, 1200, 400}, true);
  EXPECT_EQ(complaint->Rect().right, window.Control(kLogRestore)->Rect().right);
  EXPECT_GT(complaint->Rect().right, view->List()->Rect().right);
}

TEST_F(DlgChildLogTest, ExportWritesTheShownRowsAsTheHeaderShowsThem) {
  auto view = MakeViewOf({Full(11, "Attic", "Reading, \"high\"", 21.5, "01/02/2009", "10:01:00 AM"),
                          Full(6, "Caf\xE9", "Turned on", 0, "01/02/2009", "10:02:00 AM"),
                          Full(6, "Hall", "Turned on", 0, "01/02/2009", "10:03:00 AM")});
  cHeadlessWindow& window = WindowOf(*view);
  ASSERT_TRUE(window.Type(kLogSearch, "turned"));
  // The user dragged "Message" to the front.
  ASSERT_TRUE(view->List()->SetColumnOrder(kLogColumnMessage, 0));

  const std::string path = config_home_.path() + "/log.csv";
  hv::test::WriteText(path, "old");  // an old file is replaced
  ASSERT_EQ(hv::test::ReadText(path), "old");
  toolkit_.HeadlessFileDialog().QueuePath(path.c_str());
  ASSERT_TRUE(window.Click(kLogExport));
  ASSERT_EQ(toolkit_.HeadlessFileDialog().Asked().size(), 1u);
  EXPECT_EQ(toolkit_.HeadlessFileDialog().Asked()[0].filter, "CSV files (*.csv)");
  EXPECT_EQ(hv::test::ReadText(path),
            "Message,Type,Date,Time,Name/Id,Function,Data\r\n"
            "Turned on,Switch,01/02/2009,10:03:00 AM,Hall,,\r\n"
            "Turned on,Switch,01/02/2009,10:02:00 AM,Caf\xC3\xA9,,\r\n");

  // Cancelled: nothing written. A file that cannot be written: the user is told.
  toolkit_.HeadlessFileDialog().QueueCancel();
  ASSERT_TRUE(window.Type(kLogSearch, ""));
  ASSERT_TRUE(window.Click(kLogExport));
  EXPECT_EQ(hv::test::ReadText(path).find("Attic"), std::string::npos);
  toolkit_.HeadlessFileDialog().QueuePath("/nonexistent-folder/log.csv");
  ASSERT_TRUE(window.Click(kLogExport));
  ASSERT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 1u);
  EXPECT_EQ(toolkit_.HeadlessMessageBox().Shown()[0].text,
            "Unable to write the activity log to /nonexistent-folder/log.csv\n\nReason: cannot "
            "write beside /nonexistent-folder/log.csv: No such file or directory");
  const Status refused = view->ExportRows("/nonexistent-folder/log.csv");
  EXPECT_TRUE(refused.Is(Where::kUi, hv::kCannotOpenFile));
  EXPECT_EQ(refused.message(),
            "cannot write beside /nonexistent-folder/log.csv: No such file or directory");
  // Quotes and commas survive the trip.
  ASSERT_TRUE(view->ExportRows(path.c_str()).ok());
  EXPECT_NE(hv::test::ReadText(path).find("\"Reading, \"\"high\"\"\",Temperature,"),
            std::string::npos);
}

TEST_F(DlgChildLogTest, TenThousandEntriesAreSearchedAndExported) {
  max_entries_ = 10000;
  auto view = MakeView();
  for (int i = 0; i < 10000; ++i) {
    const std::string name = "Item " + std::to_string(i);
    LogItemRecord entry = Full(i % 15 + 1, name.c_str(), i % 100 == 7 ? "Motion" : "Idle", i % 7,
                               "01/02/2009", "10:00:00 AM");
    ASSERT_NE(stored_.Append(entry, 1), nullptr);
  }
  cHeadlessWindow& window = WindowOf(*view);
  ASSERT_TRUE(window.Click(kLogRestore));
  ASSERT_EQ(view->List()->RowCount(), 10000);

  ASSERT_TRUE(window.Click(kLogSearchRegex));
  ASSERT_TRUE(window.Type(kLogSearch, "^item \\d*7$"));
  EXPECT_EQ(view->List()->RowCount(), 1000);
  ASSERT_TRUE(window.Type(kLogSearch, "motion"));
  EXPECT_EQ(view->List()->RowCount(), 100);
  EXPECT_EQ(view->List()->CellText(0, kLogColumnNameId), "Item 9907");  // newest first

  const std::string path = config_home_.path() + "/all.csv";
  ASSERT_TRUE(window.Type(kLogSearch, ""));
  ASSERT_TRUE(view->ExportRows(path.c_str()).ok());
  const std::string csv = hv::test::ReadText(path);
  size_t lines = 0;
  for (size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 10001u);
  const std::string last = "\r\nInfo,01/02/2009,10:00:00 AM,Item 0,Idle,,\r\n";  // the oldest
  ASSERT_GT(csv.size(), last.size());
  EXPECT_EQ(csv.substr(csv.size() - last.size()), last);
}

}  // namespace

}  // namespace hv
