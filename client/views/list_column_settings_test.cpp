#include "client/views/list_column_settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "client/ui/headless/headless_toolkit.h"
#include "core/profile/profile.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

constexpr const char* kCompany = "Orvane LLC";
constexpr const char* kApplication = "Varnholt";
constexpr int32_t kListId = 1012;

using cWidthsAndOrder = std::vector<std::pair<int32_t, int32_t>>;
// The switches' columns as a run inserts them: Status, Status Data, Switch Name.
const cWidthsAndOrder kInserted = {{45, 0}, {75, 1}, {150, 2}};

// One run of the program: a window with a freshly made list of the switches' columns.
struct cRun {
  cRun() {
    window = toolkit.CreateTopLevelWindow(
        {.width = 300,
         .height = 200,
         .controls = {{eControlKind::kReportList, kListId, "", 0, 0, 290, 190, 0}}},
        nullptr);
    list = window->ReportList(kListId);
    list->InsertColumn(0, "Status", 45);
    list->InsertColumn(1, "Status Data", 75);
    list->InsertColumn(2, "Switch Name", 150);
  }
  // The column settings of this run, kept under `list_name`.
  [[nodiscard]] Status Track(const char* list_name) {
    return settings.Init(kCompany, kApplication, list_name, list);
  }
  // Every column's width and display position, in the order the columns were inserted.
  cWidthsAndOrder WidthsAndOrder() const {
    cWidthsAndOrder columns;
    cListColumn column;
    for (int32_t i = 0; i < list->ColumnCount(); ++i) {
      EXPECT_TRUE(list->GetColumn(i, &column));
      columns.emplace_back(column.width, column.order);
    }
    return columns;
  }
  cHeadlessToolkit toolkit;
  std::unique_ptr<cWindow> window;
  cReportList* list = nullptr;
  cListColumnSettings settings;
};

// What the next run of the program shows once it has restored the settings of `list_name`.
cWidthsAndOrder RestoredColumns(const char* list_name) {
  cRun run;
  EXPECT_TRUE(run.Track(list_name).ok());
  EXPECT_TRUE(run.settings.Restore().ok());
  return run.WidthsAndOrder();
}

// A number of the "ListBoxes" section, as a damaged or hand-edited store may hold it.
Status WriteListNumber(const char* name, uint32_t value) {
  return WriteProfile(kCompany, kApplication, "ListBoxes", name, &value, kProfileNumber);
}
Status ReadListNumber(const char* name, uint32_t* value) {
  return ReadProfileNumber(kCompany, kApplication, "ListBoxes", name, value, 0);
}

class ListColumnSettingsTest : public ::testing::Test {
 protected:
  TempConfigHome config_home_;  // every test gets a registry store of its own
};

TEST_F(ListColumnSettingsTest, NeverSavedListsKeepTheirInsertedWidths) {
  EXPECT_EQ(RestoredColumns("MainSwitchList"), kInserted);
}

TEST_F(ListColumnSettingsTest, WidthsAndOrderComeBackAfterARestartPerListName) {
  {
    cRun tab;
    ASSERT_TRUE(tab.Track("MainSwitchList").ok());
    tab.list->SetColumnWidth(0, 60);
    tab.list->SetColumnOrder(0, 2);  // Status Data | Switch Name | Status
    EXPECT_EQ(tab.settings.Save().code(), 0);

    cRun top;
    ASSERT_TRUE(top.Track("MainSwitchListTop").ok());
    top.list->SetColumnWidth(2, 99);
    top.list->SetColumnOrder(2, 0);  // Switch Name | Status | Status Data
    EXPECT_EQ(top.settings.Save().code(), 0);
  }

  EXPECT_EQ(RestoredColumns("MainSwitchList"), (cWidthsAndOrder{{60, 2}, {75, 0}, {150, 1}}));
  EXPECT_EQ(RestoredColumns("MainSwitchListTop"), (cWidthsAndOrder{{45, 1}, {75, 2}, {99, 0}}));
}

TEST_F(ListColumnSettingsTest, ValuesAreNamedByListAndColumnText) {
  cRun run;
  ASSERT_TRUE(run.Track("Activity").ok());
  run.list->SetColumnWidth(1, 81);
  ASSERT_EQ(run.settings.Save().code(), 0);
  uint32_t number = 0;
  EXPECT_TRUE(ReadListNumber("Activity Width Status Data", &number).ok());
  EXPECT_EQ(number, 81u);
  EXPECT_TRUE(ReadListNumber("Activity Order Switch Name", &number).ok());
  EXPECT_EQ(number, 2u);
}

TEST_F(ListColumnSettingsTest, DamagedValuesCannotScrambleTheList) {
  const uint32_t huge = 0x7FFFFFFF;
  const uint32_t negative = 0xFFFFFFF0;
  const uint32_t duplicate = 0;
  EXPECT_TRUE(WriteListNumber("Damaged Width Status", huge).ok());
  EXPECT_TRUE(WriteListNumber("Damaged Width Status Data", negative).ok());
  // Column 1 keeps its own order 1 ... and 2 its 2 ...
  EXPECT_TRUE(WriteListNumber("Damaged Order Status", duplicate).ok());
  // ... but column 2 also claims position 0.
  EXPECT_TRUE(WriteListNumber("Damaged Order Switch Name", duplicate).ok());
  EXPECT_EQ(RestoredColumns("Damaged"), kInserted);
}

TEST_F(ListColumnSettingsTest, RefusesToWorkWithoutAList) {
  cListColumnSettings settings;
  EXPECT_EQ(settings.Save().code(), hv::kNotConnected);
  EXPECT_TRUE(settings.Restore().Is(Where::kUi, hv::kNotConnected));
  EXPECT_TRUE(settings.Init(kCompany, kApplication, "MainModeList", nullptr)
                  .Is(Where::kUi, hv::kMissingArgument));
  EXPECT_EQ(settings.Save().code(), hv::kNotConnected);
}

}  // namespace

}  // namespace hv
