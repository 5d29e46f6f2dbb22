#include "client/ui/qt/history/history_chart_view.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolTip>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "client/ui/qt/text_codec.h"
#include "client/views/history/chart_plot.h"
#include "client/views/history/history_event_texts.h"
#include "client/views/history/lane_marks.h"
#include "client/views/history/lane_plan.h"

namespace hv::history {

namespace {

// The light theme's colours, given to each line and lane in turn: a line drawn in pieces (it
// stops where nothing was recorded) would otherwise use up a colour per piece, and the lanes
// after it would change colour with the gaps.
QColor SeriesColour(size_t index) {
  static const QColor kColours[] = {QColor(0x20, 0x9f, 0xdf), QColor(0x99, 0xca, 0x53),
                                    QColor(0xf6, 0xa6, 0x25), QColor(0x6d, 0x5f, 0xd5),
                                    QColor(0xbf, 0x59, 0x3e)};
  return kColours[index % std::size(kColours)];
}

QList<QPointF> ToPoints(const std::vector<ChartPoint>& outline) {
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(outline.size()));
  for (const ChartPoint& point : outline) points.append(QPointF(point.x, point.y));
  return points;
}

}  // namespace

HistoryChartView::HistoryChartView(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing, false);  // thousands of columns draw faster without
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAccessibleName(QStringLiteral("History chart"));
  setAccessibleDescription(
      QStringLiteral("Values of the picked items over time. The events table beneath lists "
                     "them as text. Plus and minus zoom, the arrow keys move in time, Home "
                     "returns to the chosen range."));
  chart()->legend()->setAlignment(Qt::AlignBottom);
  // Numbers on the axes as the rest of the program writes them, whatever the locale.
  chart()->setLocalizeNumbers(false);
  margins_ = chart()->margins();
  lane_scroll_ = new QScrollBar(Qt::Vertical, this);
  lane_scroll_->hide();
  connect(lane_scroll_, &QScrollBar::valueChanged, this, [this](int value) {
    if (value == first_lane_) return;
    first_lane_ = value;
    Draw();
  });
}

double HistoryChartView::PlotHeight() const {
  const double height = chart()->plotArea().height();
  return height >= 50 ? height : std::max(50, this->height() - 80);
}

int HistoryChartView::PlotColumns() const {
  int width = static_cast<int>(chart()->plotArea().width());
  if (width < 50) width = std::max(50, this->width() - 80);
  return std::clamp(width, 50, 4000);
}

void HistoryChartView::ShowSeries(const TimeRange& range,
                                  const std::vector<HistorySeries>& series) {
  range_ = range;
  // A range the chart did not ask for is the window's choice: Home goes back to it.
  if (!asked_) home_ = range;
  asked_ = false;
  series_ = series;
  cells_.clear();
  for (const HistorySeries& one : series_) {
    cells_.push_back(one.timeline ? LaneCells(one.columns) : std::vector<LaneCell>());
  }
  Draw();
}

void HistoryChartView::Draw() {
  DrawOnce();
  // How high the plot is shows only once the chart is laid out with its new axes and legend:
  // planned with the height it had before (an empty chart's, at first), the lanes may get
  // less than a line of text and the axis hides every other name.
  if (QGraphicsLayout* layout = chart()->layout()) layout->activate();
  if (static_cast<int32_t>(PlotHeight()) != planned_height_) DrawOnce();
}

void HistoryChartView::DrawOnce() {
  QChart* chart = this->chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  QDateTimeAxis* time_axis = AddTimeAxis();
  const auto lanes = static_cast<int32_t>(std::count_if(
      series_.begin(), series_.end(), [](const HistorySeries& one) { return one.timeline; }));
  const bool lines = static_cast<size_t>(lanes) < series_.size();
  // Each lane is a line of text high, so its name fits beside it; the axis hides a label that
  // comes within a few pixels of the next, so a third of a line more keeps them all.
  label_height_ = QFontMetrics(chart->font()).height() * 4 / 3;
  planned_height_ = static_cast<int32_t>(PlotHeight());
  const LanePlan plan = PlanLanes(lanes, lines, planned_height_, label_height_, first_lane_);
  first_lane_ = plan.first;
  Axes axes;
  axes.time = time_axis;
  if (lines) AddValueAxis(plan, lanes > 0, &axes);
  if (lanes > 0) {
    axes.lanes = new QCategoryAxis;
    axes.lanes->setRange(0, kLaneHeight * static_cast<double>(plan.shown) / axes.lane_share);
    axes.lanes->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // A grid line through the middle of every lane would cut its marks in two.
    axes.lanes->setGridLineVisible(false);
    chart->addAxis(axes.lanes, lines ? Qt::AlignRight : Qt::AlignLeft);
  }
  // Lines first, lanes after: the theme colours series in the order they come, so a line keeps
  // its colour when a lane is picked or dropped.
  size_t colour = 0;
  for (const HistorySeries& one : series_) {
    if (!one.timeline) AddLine(one, SeriesColour(colour++), axes);
  }
  int32_t lane = 0;
  std::vector<std::pair<double, QString>> lane_labels;
  for (size_t index = 0; index < series_.size(); ++index) {
    if (!series_[index].timeline) continue;
    const int32_t at = lane++;
    // Lanes scrolled out of sight are not drawn; the tool tip still tells them.
    if (at < plan.first || at >= plan.first + plan.shown) continue;
    const double base = LaneBase(plan, at);
    AddLane(series_[index], cells_[index], base, SeriesColour(colour + static_cast<size_t>(at)),
            axes);
    lane_labels.emplace_back(base + kLaneFill / 2, DecodeText(series_[index].name.c_str()));
  }
  // The axis takes its labels lowest first: one below the last is dropped, so the lanes,
  // drawn from the top down, are named bottom up.
  std::sort(lane_labels.begin(), lane_labels.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [value, name] : lane_labels) axes.lanes->append(name, value);
  ShowLaneScroll(plan, axes.lane_share);
}

QDateTimeAxis* HistoryChartView::AddTimeAxis() {
  auto* time_axis = new QDateTimeAxis;
  const TimeTicks time_ticks = PlanTimeTicks(range_);
  // Dates and times as the rest of the program writes them (12/31, 06:05 PM), in English
  // whatever the locale, as the table beneath.
  time_axis->setFormat(range_.span() > 2LL * 86'400'000 ? QStringLiteral("MM/dd")
                       : time_ticks.seconds             ? QStringLiteral("hh:mm:ss AP")
                                                        : QStringLiteral("hh:mm AP"));
  time_axis->setTickCount(time_ticks.count);
  time_axis->setRange(QDateTime::fromMSecsSinceEpoch(range_.from_ms),
                      QDateTime::fromMSecsSinceEpoch(range_.to_ms));
  chart()->addAxis(time_axis, Qt::AlignBottom);
  return time_axis;
}

void HistoryChartView::AddValueAxis(const LanePlan& plan, bool with_lanes, Axes* axes) {
  const LinesSpan span = SpanOfLines(series_);
  QStringList measures;
  for (const std::string& measure : span.measures) measures.append(DecodeText(measure.c_str()));
  auto* values = new QValueAxis;
  values->setRange(span.low, span.high);
  // Round steps (18, 20, 22 rather than 17.3, 19.6, 21.9): people read values off them.
  values->applyNiceNumbers();
  values->setLabelFormat(QStringLiteral("%g"));
  QAbstractAxis* axis = values;
  if (with_lanes) {
    axis = LabelledValueAxis(*values, plan, &axes->lane_share);
    delete values;
  }
  // What the values are, so a picture of the chart still says it.
  axis->setTitleText(measures.isEmpty() ? QStringLiteral("Value") : measures.join(", "));
  chart()->addAxis(axis, Qt::AlignLeft);
  axes->values = axis;
}

QCategoryAxis* HistoryChartView::LabelledValueAxis(const QValueAxis& values, const LanePlan& plan,
                                                   double* lane_share) const {
  const ValueAxisPlan axis = PlanValueAxis(values.min(), values.max(), values.tickCount(),
                                           plan.share, PlotHeight(), label_height_);
  *lane_share = axis.lane_share;
  auto* labelled = new QCategoryAxis;
  labelled->setRange(axis.start, axis.end);
  // Categories start at the axis' own start (0) otherwise, with a grid line through the lanes
  // there.
  labelled->setStartValue(axis.start);
  labelled->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  // Written as the table writes values: a point whatever the locale.
  for (double value : axis.labels)
    labelled->append(QString::fromStdString(ValueText(value)), value);
  return labelled;
}

void HistoryChartView::AddLine(const HistorySeries& one, const QColor& colour, const Axes& axes) {
  // One piece per run of columns with a value: where nothing was recorded (the client was
  // off) the line stops, rather than running straight across as if it had been measured.
  const size_t columns = one.columns.size();
  QLineSeries* first = nullptr;
  for (size_t c = 0; c < columns;) {
    if (!one.columns[c].has_value) {
      ++c;
      continue;
    }
    QList<QPointF> points;
    for (; c < columns && one.columns[c].has_value; ++c) {
      const PixelColumn& column = one.columns[c];
      const double x = ColumnMiddle(range_, c, columns);
      points.append(QPointF(x, column.min));
      if (column.max != column.min) points.append(QPointF(x, column.max));
    }
    auto* piece = new QLineSeries;
    piece->replace(points);
    // A lone column between gaps is a point, not a line of no length.
    piece->setPointsVisible(points.size() == 1);
    chart()->addSeries(piece);
    piece->attachAxis(axes.time);
    piece->attachAxis(axes.values);
    piece->setColor(colour);
    if (first == nullptr) {
      first = piece;
      piece->setName(DecodeText(one.name.c_str()));
    } else {
      // The legend names the line once.
      for (QLegendMarker* marker : chart()->legend()->markers(piece)) marker->setVisible(false);
    }
  }
  if (first == nullptr) {
    // Nothing recorded in the range: the legend still names the line, so a pick is not lost.
    auto* empty = new QLineSeries;
    empty->setColor(colour);
    empty->setName(DecodeText(one.name.c_str()));
    chart()->addSeries(empty);
    empty->attachAxis(axes.time);
    empty->attachAxis(axes.values);
  }
}

QAreaSeries* HistoryChartView::AddArea(const QList<QPointF>& outline, double base,
                                       const Axes& axes) {
  auto* upper = new QLineSeries;
  auto* lower = new QLineSeries;
  upper->replace(outline);
  lower->append(static_cast<double>(range_.from_ms), base);
  lower->append(static_cast<double>(range_.to_ms), base);
  auto* area = new QAreaSeries(upper, lower);
  // The area draws between the two lines but does not own them: it takes them along.
  upper->setParent(area);
  lower->setParent(area);
  chart()->addSeries(area);
  // The theme outlines areas in white, two pixels wide: that would wipe out a mark two
  // columns wide. Unoutlined, off stretches stay empty and do not pass for a line of values.
  area->setPen(Qt::NoPen);
  // A lane is named by its axis label; the legend names the lines.
  for (QLegendMarker* marker : chart()->legend()->markers(area)) marker->setVisible(false);
  area->attachAxis(axes.time);
  area->attachAxis(axes.lanes);
  return area;
}

void HistoryChartView::AddLane(const HistorySeries& one, const std::vector<LaneCell>& cells,
                               double base, const QColor& colour, const Axes& axes) {
  const size_t columns = one.columns.size();
  QAreaSeries* lane =
      AddArea(ToPoints(LaneOutline(LaneSteps(cells), range_, columns, base)), base, axes);
  lane->setName(DecodeText(one.name.c_str()));
  lane->setBrush(colour);
  // Where nothing was recorded the lane is hatched, so "off" and "not known" never look alike.
  std::vector<LaneCell> gaps(columns);
  bool any_gap = false;
  for (size_t c = 0; c < columns; ++c) {
    if (!IsGap(one.columns[c])) continue;
    gaps[c].fill = 1.0;
    any_gap = true;
  }
  if (!any_gap) return;
  QAreaSeries* unknown =
      AddArea(ToPoints(LaneOutline(LaneSteps(gaps), range_, columns, base)), base, axes);
  unknown->setBrush(QBrush(palette().color(QPalette::Mid), Qt::BDiagPattern));
}

void HistoryChartView::ShowLaneScroll(const LanePlan& plan, double lane_share) {
  const QSignalBlocker quiet(lane_scroll_);
  // Room at the right for the scroll bar, beyond the lanes' names.
  QMargins margins = margins_;
  if (plan.scrolls()) margins.setRight(margins.right() + lane_scroll_->sizeHint().width());
  if (chart()->margins() != margins) {
    chart()->setMargins(margins);
    if (QGraphicsLayout* layout = chart()->layout()) layout->activate();
  }
  lane_scroll_->setVisible(plan.scrolls());
  if (!plan.scrolls()) return;
  lane_scroll_->setRange(0, plan.lanes - plan.shown);
  lane_scroll_->setPageStep(plan.shown);
  lane_scroll_->setValue(plan.first);
  const QString text = QString::fromStdString(LaneScrollText(plan));
  lane_scroll_->setToolTip(text);
  lane_scroll_->setAccessibleName(text);
  PlaceLaneScroll(lane_share);
}

void HistoryChartView::PlaceLaneScroll(double lane_share) {
  lane_share_ = lane_share;
  const QRectF plot = chart()->plotArea();
  const int width = lane_scroll_->sizeHint().width();
  const int height = std::max(width * 2, static_cast<int>(plot.height() * lane_share));
  lane_scroll_->setGeometry(this->width() - width - 2, static_cast<int>(plot.bottom()) - height,
                            width, height);
}

void HistoryChartView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  if (lane_scroll_->isVisible()) PlaceLaneScroll(lane_share_);
}

int64_t HistoryChartView::TimeAt(double x) const {
  QPointF value = chart()->mapToValue(QPointF(x, chart()->plotArea().center().y()));
  return static_cast<int64_t>(std::llround(value.x()));
}

QString HistoryChartView::TipAt(const QPointF& position) const {
  if (series_.empty() || !chart()->plotArea().contains(position) || range_.span() <= 0) {
    return QString();
  }
  int64_t at = TimeAt(position.x());
  QString tip = QString::fromStdString(FormatLocalTime(at));
  for (const HistorySeries& one : series_) {
    if (one.columns.empty()) continue;
    const size_t index = static_cast<size_t>(&one - series_.data());
    const QString value = QString::fromStdString(
        SeriesTipValue(one, cells_[index], ColumnAt(range_, at, one.columns.size()), range_));
    tip += QStringLiteral("\n%1: %2").arg(DecodeText(one.name.c_str()), value);
  }
  return tip;
}

void HistoryChartView::Ask(const TimeRange& range) {
  if (!request_ || range.span() <= 0) return;
  asked_ = true;
  request_(range);
}

void HistoryChartView::wheelEvent(QWheelEvent* event) {
  double steps = event->angleDelta().y() / 120.0;
  if (steps == 0) return;
  Ask(ZoomRange(range_, std::pow(0.8, steps), TimeAt(event->position().x())));
  event->accept();
}

void HistoryChartView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragging_ = true;
    drag_x_ = event->position().x();
  }
  setFocus(Qt::MouseFocusReason);
  event->accept();
}

void HistoryChartView::mouseMoveEvent(QMouseEvent* event) {
  QString tip = TipAt(event->position());
  if (!tip.isEmpty()) {
    QToolTip::showText(event->globalPosition().toPoint(), tip, this);
  } else {
    QToolTip::hideText();
  }
  event->accept();
}

bool HistoryChartView::viewportEvent(QEvent* event) {
  // The scene answers the toolkit's own tool tip event, a moment after the pointer stops, with
  // the tip of the item under it: none, which hid the chart's tip before it could be read.
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = TipAt(QPointF(help->pos()));
    if (tip.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
  }
  return QChartView::viewportEvent(event);
}

void HistoryChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_ && event->button() == Qt::LeftButton) {
    dragging_ = false;
    double width = chart()->plotArea().width();
    double moved = event->position().x() - drag_x_;
    if (width > 0 && std::abs(moved) >= 3) Ask(PanRange(range_, -moved / width));
  }
  event->accept();
}

void HistoryChartView::keyPressEvent(QKeyEvent* event) {
  int64_t middle = range_.from_ms + range_.span() / 2;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: Ask(ZoomRange(range_, 0.5, middle)); break;
    case Qt::Key_Minus: Ask(ZoomRange(range_, 2.0, middle)); break;
    case Qt::Key_Left: Ask(PanRange(range_, -0.25)); break;
    case Qt::Key_Right: Ask(PanRange(range_, 0.25)); break;
    case Qt::Key_Home: Ask(home_); break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (!lane_scroll_->isVisible()) {
        QChartView::keyPressEvent(event);
        return;
      }
      lane_scroll_->triggerAction(event->key() == Qt::Key_PageUp
                                      ? QAbstractSlider::SliderPageStepSub
                                      : QAbstractSlider::SliderPageStepAdd);
      break;
    default: QChartView::keyPressEvent(event); return;
  }
  event->accept();
}

}  // namespace hv::history
