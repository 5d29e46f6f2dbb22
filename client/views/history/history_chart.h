// cHistoryChart: where the History window draws its chart. The desktop realises it with Qt
// Charts inside the window's chart frame; tests use a recording one. The window hands it the
// reduced columns of every picked item; the chart hands back the range the user zoomed or
// panned to.
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_CHART_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_CHART_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "client/history/history_records.h"
#include "client/history/pixel_columns.h"
#include "client/ui/rect.h"
#include "client/views/history/history_range.h"
#include "core/status.h"

namespace hv::history {

struct HistorySeries {
  std::string name;
  ItemKind kind = ItemKind::kSwitch;
  // A lane of on and off (switches without a level, doors, macros, modes) rather than a line
  // of values (temperatures, dim levels).
  bool timeline = false;
  std::vector<PixelColumn> columns;
  // What a line's values measure, for the value axis ("Temperature", "Level (%)"); empty when
  // the server does not say.
  std::string measure = std::string();
};

class HistoryChart {
 public:
  virtual ~HistoryChart() = default;

  // How many pixel columns the chart draws across: what the window reduces the range to.
  virtual int32_t ColumnCount() const = 0;
  // Moves the chart to where the window's chart frame now is (the window was resized).
  virtual void Place(const cRect& rect) = 0;
  virtual void Show(const TimeRange& range, const std::vector<HistorySeries>& series) = 0;
  // Writes what the chart shows as a PNG file, replacing the file as a whole or not at all,
  // with a title that names the range (the picture leaves the window that told it).
  // Fails with kCannotOpenFile, the message naming the path and the system's reason.
  [[nodiscard]] virtual Status SavePng(const std::string& path) = 0;
  // Called with the range the user zoomed or panned to, by mouse or keyboard.
  virtual void SetRangeRequest(std::function<void(const TimeRange&)> request) = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_CHART_H_
