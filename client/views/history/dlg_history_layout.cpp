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
      583,
      380,
      kWindowResizable | kWindowMinimizeBox | kWindowMaximizeBox,
      {
          {K::kLabel, kHistoryKindLabel, "&Kind:", 7, 9, 36, 8},
          {K::kComboBox, kHistoryKind, "", 44, 7, 123, 14},
          {K::kLabel, kHistoryFindLabel, "&Find item:", 7, 26, 36, 8},
          {K::kEdit, kHistoryFind, "", 44, 24, 123, 12},
          {K::kReportList, kHistoryItems, "", 7, 40, 160, 140},
          {K::kLabel, kHistoryItemDaysLabel, "Keep &days:", 7, 186, 40, 8},
          {K::kEdit, kHistoryItemDays, "", 48, 184, 40, 12, kEditNumber},
          {K::kPushButton, kHistoryItemDaysSet, "S&et", 117, 183, 50, 14},
          {K::kLabel, kHistoryRangeLabel, "&Range:", 175, 9, 28, 8},
          {K::kComboBox, kHistoryRange, "", 204, 7, 66, 14},
          // Wide enough for "12/31/2026 12:00:00 PM" whole, as the program writes times.
          {K::kLabel, kHistoryFromLabel, "Fr&om:", 275, 9, 22, 8},
          {K::kEdit, kHistoryFrom, "", 298, 7, 106, 12},
          {K::kLabel, kHistoryToLabel, "&To:", 409, 9, 14, 8},
          {K::kEdit, kHistoryTo, "", 424, 7, 106, 12},
          {K::kPushButton, kHistoryShow, "S&how", 535, 6, 41, 14},
          {K::kFrame, kHistoryChartFrame, "Chart", 175, 24, 401, 176},
          {K::kLabel, kHistorySearchLabel, "&Search events:", 7, 208, 56, 8},
          {K::kEdit, kHistorySearch, "", 64, 206, 203, 12},
          {K::kCheckBox, kHistoryRegex, "Regular e&xpression", 275, 207, 90, 10},
          {K::kCheckBox, kHistoryWholeStore, "&Whole history (words)", 369, 207, 100, 10},
          {K::kReportList, kHistoryEvents, "", 7, 222, 569, 130},
          {K::kLabel, kHistoryStatus, "", 7, 362, 300, 8},
          {K::kPushButton, kHistoryExportCsv, "Export &CSV...", 353, 358, 70, 14},
          {K::kPushButton, kHistoryExportPng, "Export &PNG...", 429, 358, 70, 14},
          {K::kPushButton, kHistoryClose, "Close", 506, 358, 70, 14},
      }};
  return layout;
}

}  // namespace hv::history
