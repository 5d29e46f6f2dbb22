#include "client/views/history/dlg_history_layout.h"

#include "client/views/history/dlg_history.h"

namespace hv::history {

const cDialogLayout& HistoryLayout() {
  using K = eControlKind;
  // Items on the left, the range and chart on the right, the events beneath across the
  // whole width. Every control has a caption or a label before it, which the screen reader
  // reads as its name; the mnemonics reach them from the keyboard.
  static const cDialogLayout layout{
      kHistoryResourceId,
      "History",
      560,
      380,
      kWindowResizable | kWindowMinimizeBox | kWindowMaximizeBox,
      {
          {K::kLabel, kHistoryKindLabel, "&Kind:", 7, 9, 36, 8},
          {K::kComboBox, kHistoryKind, "", 44, 7, 100, 14},
          {K::kLabel, kHistoryFindLabel, "&Find item:", 7, 26, 36, 8},
          {K::kEdit, kHistoryFind, "", 44, 24, 100, 12},
          {K::kReportList, kHistoryItems, "", 7, 40, 137, 140},
          {K::kLabel, kHistoryItemDaysLabel, "Keep &days:", 7, 186, 40, 8},
          {K::kEdit, kHistoryItemDays, "", 48, 184, 40, 12, kEditNumber},
          {K::kPushButton, kHistoryItemDaysSet, "S&et", 94, 183, 50, 14},
          {K::kLabel, kHistoryRangeLabel, "&Range:", 152, 9, 30, 8},
          {K::kComboBox, kHistoryRange, "", 184, 7, 80, 14},
          {K::kLabel, kHistoryFromLabel, "Fr&om:", 272, 9, 22, 8},
          {K::kEdit, kHistoryFrom, "", 296, 7, 86, 12},
          {K::kLabel, kHistoryToLabel, "&To:", 388, 9, 14, 8},
          {K::kEdit, kHistoryTo, "", 404, 7, 86, 12},
          {K::kPushButton, kHistoryShow, "S&how", 496, 6, 57, 14},
          {K::kFrame, kHistoryChartFrame, "Chart", 152, 24, 401, 176},
          {K::kLabel, kHistorySearchLabel, "&Search events:", 7, 208, 56, 8},
          {K::kEdit, kHistorySearch, "", 64, 206, 180, 12},
          {K::kCheckBox, kHistoryRegex, "Regular e&xpression", 252, 207, 90, 10},
          {K::kCheckBox, kHistoryWholeStore, "&Whole history (words)", 346, 207, 100, 10},
          {K::kReportList, kHistoryEvents, "", 7, 222, 546, 130},
          {K::kLabel, kHistoryStatus, "", 7, 362, 300, 8},
          {K::kPushButton, kHistoryExportCsv, "Export &CSV...", 330, 358, 70, 14},
          {K::kPushButton, kHistoryExportPng, "Export &PNG...", 406, 358, 70, 14},
          {K::kPushButton, kHistoryClose, "Close", 483, 358, 70, 14},
      }};
  return layout;
}

}  // namespace hv::history
