// QtHistoryChart: the History window's chart drawn with Qt Charts, placed over the window's
// chart frame. Numeric items are lines through the lowest and highest value of every pixel
// column (so a peak never vanishes however far one zooms out); on/off items are lanes below
// the lines, one per item, filled where the item was on.
//
// Zoom with the wheel or + and -, pan by dragging or with the arrow keys, Home goes back to
// the range the window chose; every zoom and pan asks the window for the new range, which
// reduces the data again for the new resolution. The tool tip shows the item's value and the
// time under the pointer.
#ifndef HV_CLIENT_UI_QT_HISTORY_QT_HISTORY_CHART_H_
#define HV_CLIENT_UI_QT_HISTORY_QT_HISTORY_CHART_H_

#include <memory>
#include <string>

#include "client/ui/window.h"
#include "client/views/history/history_chart.h"

class QWidget;

namespace hv::history {

class HistoryChartView;

class QtHistoryChart : public HistoryChart {
 public:
  // Over `frame_id` of `window` (a window of the Qt toolkit); a free-standing widget when
  // the window has no such control (for tests).
  QtHistoryChart(cWindow* window, int32_t frame_id);
  ~QtHistoryChart() override;
  QtHistoryChart(const QtHistoryChart&) = delete;
  QtHistoryChart& operator=(const QtHistoryChart&) = delete;

  int32_t ColumnCount() const override;
  void Place(const cRect& rect) override;
  void Show(const TimeRange& range, const std::vector<HistorySeries>& series) override;
  [[nodiscard]] Status SavePng(const std::string& path) override;
  void SetRangeRequest(std::function<void(const TimeRange&)> request) override;

  QWidget* Widget() const;

 private:
  HistoryChartView* view_;  // owned by its parent widget, or by this object when it has none
  bool owns_view_ = false;
};

// The factory the History window's services take.
std::unique_ptr<HistoryChart> MakeQtHistoryChart(cWindow& window, int32_t frame_id);

}  // namespace hv::history

#endif  // HV_CLIENT_UI_QT_HISTORY_QT_HISTORY_CHART_H_
