// HistoryChartView: the QChartView behind QtHistoryChart, with the chart's mouse and keyboard.
#ifndef HV_CLIENT_UI_QT_HISTORY_HISTORY_CHART_VIEW_H_
#define HV_CLIENT_UI_QT_HISTORY_HISTORY_CHART_VIEW_H_

#include <QChartView>
#include <functional>
#include <vector>

#include "client/views/history/history_chart.h"
#include "client/views/history/lane_marks.h"
#include "client/views/history/lane_plan.h"

class QAreaSeries;
class QCategoryAxis;
class QColor;
class QDateTimeAxis;
class QScrollBar;
class QValueAxis;

namespace hv::history {

class HistoryChartView : public QChartView {
 public:
  explicit HistoryChartView(QWidget* parent);

  void ShowSeries(const TimeRange& range, const std::vector<HistorySeries>& series);
  void SetRangeRequest(std::function<void(const TimeRange&)> request) {
    request_ = std::move(request);
  }
  const TimeRange& Range() const { return range_; }
  int PlotColumns() const;
  double PlotHeight() const;  // pixels
  // What the tool tip says at a position of the view ("" over nothing).
  QString TipAt(const QPointF& position) const;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  // The axes a drawing attaches its series to.
  struct Axes {
    QDateTimeAxis* time = nullptr;
    QAbstractAxis* values = nullptr;  // null without lines
    QCategoryAxis* lanes = nullptr;   // null without lanes
    double lane_share = 1.0;          // of the plot's height, when both
  };

  void Draw();
  void DrawOnce();
  QDateTimeAxis* AddTimeAxis();
  void AddValueAxis(const LanePlan& plan, bool with_lanes, Axes* axes);
  // The value axis with room below the lines for the lanes, labelled where the lines are.
  QCategoryAxis* LabelledValueAxis(const QValueAxis& values, const LanePlan& plan,
                                   double* lane_share) const;
  void AddLine(const HistorySeries& one, const QColor& colour, const Axes& axes);
  void AddLane(const HistorySeries& one, const std::vector<LaneCell>& cells, double base,
               const QColor& colour, const Axes& axes);
  QAreaSeries* AddArea(const QList<QPointF>& outline, double base, const Axes& axes);
  // The lanes' scroll bar, beside the lanes, when not all of them fit (Page Up and Page Down
  // scroll them too).
  void ShowLaneScroll(const LanePlan& plan, double lane_share);
  void PlaceLaneScroll(double lane_share);
  void Ask(const TimeRange& range);
  int64_t TimeAt(double x) const;

  TimeRange range_;
  TimeRange home_;
  std::vector<HistorySeries> series_;
  std::vector<std::vector<LaneCell>> cells_;  // a lane's marks per series; empty for lines
  QScrollBar* lane_scroll_ = nullptr;         // owned by the view
  QMargins margins_;                          // the chart's own, without the scroll bar
  int first_lane_ = 0;
  int32_t planned_height_ = 0;  // the plot's height the lanes were last planned for
  int label_height_ = 0;        // a line of the chart's text, with room between lines
  double lane_share_ = 0;
  std::function<void(const TimeRange&)> request_;
  bool asked_ = false;  // the next range shown is one this chart asked for
  bool dragging_ = false;
  double drag_x_ = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_UI_QT_HISTORY_HISTORY_CHART_VIEW_H_
