#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QFontMetrics>
#include <QImage>
#include <QLineSeries>
#include <QLocale>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include "client/ui/qt/history/history_chart_view.h"
#include "client/ui/qt/history/qt_history_chart.h"
#include "core/testing/temp_folder.h"

namespace hv::history {
namespace {

constexpr int64_t kHour = 3'600'000;

// A column whose state was known all through (recorded, not a gap).
PixelColumn Known(PixelColumn column) {
  column.known_ms = 1000;
  column.known_fraction = 1.0;
  return column;
}

std::vector<HistorySeries> TemperatureAndDoor(int columns) {
  HistorySeries temperature{"Living Room", ItemKind::kSensor, false, {}};
  HistorySeries door{"Front Door", ItemKind::kSensor, true, {}};
  for (int c = 0; c < columns; ++c) {
    temperature.columns.push_back(Known({true, 18.0 + c % 3, 19.0 + c % 3, 0}));
    door.columns.push_back(Known({false, 0, 0, c % 2 == 0 ? 1.0 : 0.0, c % 2 == 0}));
  }
  temperature.measure = "Temperature";
  return {temperature, door};
}

TEST(QtHistoryChartTest, DrawsLinesAndLanesSavesPngAndAsksForZoomAndPan) {
  QtHistoryChart chart(nullptr, 0);
  QWidget* widget = chart.Widget();
  widget->resize(800, 400);
  widget->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
  EXPECT_FALSE(widget->accessibleName().isEmpty());
  EXPECT_EQ(widget->focusPolicy(), Qt::StrongFocus);
  std::vector<TimeRange> asked;
  chart.SetRangeRequest([&](const TimeRange& range) { asked.push_back(range); });
  const TimeRange day{0, 24 * kHour};
  chart.Show(day, TemperatureAndDoor(chart.ColumnCount()));
  EXPECT_GE(chart.ColumnCount(), 50);

  hv::test::cTempFolder folder;
  std::string png = folder.File("chart.png");
  ASSERT_TRUE(chart.SavePng(png).ok());
  QImage image(QString::fromStdString(png));
  EXPECT_EQ(image.width(), widget->width());
  const Status refused = chart.SavePng("/proc/no/such/chart.png");
  EXPECT_TRUE(refused.failed());
  EXPECT_NE(refused.message().find("No such file or directory"), std::string::npos)
      << refused.message();

  auto& view = *static_cast<HistoryChartView*>(widget);
  QTest::keyClick(&view, Qt::Key_Plus);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].span(), 12 * kHour);
  chart.Show(asked[0], TemperatureAndDoor(chart.ColumnCount()));  // as the window answers
  QTest::keyClick(&view, Qt::Key_Right);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].from_ms, asked[0].from_ms + 3 * kHour);
  QTest::keyClick(&view, Qt::Key_Home);
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[2].from_ms, day.from_ms);  // back to the window's own range

  QPointF middle = view.chart()->plotArea().center();
  QWheelEvent wheel(middle, view.mapToGlobal(middle.toPoint()), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.viewport(), &wheel);
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_LT(asked[3].span(), asked[0].span() * 2);

  QString tip = view.TipAt(middle);
  EXPECT_TRUE(tip.contains(QStringLiteral("Living Room: "))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QStringLiteral("Front Door: o"))) << tip.toStdString();
  EXPECT_TRUE(view.TipAt(QPointF(-5, -5)).isEmpty());
  // The tip shows as the pointer moves and stays when the toolkit asks for one where it rests.
  const QPoint rest = middle.toPoint();
  QMouseEvent move(QEvent::MouseMove, QPointF(rest), view.viewport()->mapToGlobal(QPointF(rest)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &move);
  QHelpEvent help(QEvent::ToolTip, rest, view.viewport()->mapToGlobal(rest));
  QApplication::sendEvent(view.viewport(), &help);
  QTest::qWait(500);  // a tip being hidden fades for 300 ms
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("Living Room: ")))
      << QToolTip::text().toStdString();

  // The window grows: the chart follows its frame and has more columns to reduce to at once.
  const int32_t narrow = chart.ColumnCount();
  chart.Place(cRect{0, 0, 1400, 500});
  EXPECT_EQ(widget->width(), 1400);
  EXPECT_GE(chart.ColumnCount(), narrow + 400);  // 600 pixels wider, less the axes

  // Six lanes beneath a line: each is named on its axis, and the names do not overlap.
  std::vector<HistorySeries> many = TemperatureAndDoor(chart.ColumnCount());
  for (const char* name : {"Back Door", "Hall Motion", "Mailbox", "Garage Door", "Porch"}) {
    many.push_back(many[1]);
    many.back().name = name;
  }
  chart.Show(day, many);
  QCategoryAxis* lanes = nullptr;
  for (QAbstractAxis* axis : view.chart()->axes(Qt::Vertical)) {
    if (auto* category = qobject_cast<QCategoryAxis*>(axis)) lanes = category;
  }
  ASSERT_NE(lanes, nullptr);
  QStringList names = lanes->categoriesLabels();
  ASSERT_EQ(names.size(), 6);
  EXPECT_EQ(names.front(), QStringLiteral("Porch"));  // the lowest lane first
  const double lane_pixels = view.chart()->plotArea().height() *
                             (lanes->endValue(names[1]) - lanes->endValue(names[0])) /
                             (lanes->max() - lanes->min());
  EXPECT_GE(lane_pixels, QFontMetrics(view.chart()->font()).height() - 1);
}

TEST(QtHistoryChartTest, ManyLanesScrollBesideALineThatKeepsHalfTheChart) {
  QtHistoryChart chart(nullptr, 0);
  QWidget* widget = chart.Widget();
  widget->resize(700, 290);  // the size of the window's chart at first
  widget->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
  auto& view = *static_cast<HistoryChartView*>(widget);
  const TimeRange day{0, 24 * kHour};
  std::vector<HistorySeries> many = TemperatureAndDoor(chart.ColumnCount());
  // Thirty doors, each open for a moment in a column of its own.
  for (size_t lane = 0; lane < 30; ++lane) {
    HistorySeries door{"Door " + std::to_string(lane + 1), ItemKind::kSensor, true, {}};
    door.columns.assign(many[0].columns.size(), Known(PixelColumn()));
    door.columns[100 + lane] = Known({false, 0, 0, 0.01, true, 900, 0, 1});
    many.push_back(door);
  }
  many.erase(many.begin() + 1);  // the striped door of the other test
  chart.Show(day, many);

  // The line keeps the upper half: its lowest value is drawn above the middle of the plot.
  const QRectF plot = view.chart()->plotArea();
  QAbstractSeries* line = view.chart()->series().front();
  EXPECT_LT(view.chart()->mapToPosition(QPointF(day.to_ms / 2.0, 18.0), line).y(),
            plot.center().y());
  // Each lane a line of text high, though planned before the chart had its legend and axes
  for (QAbstractAxis* axis : view.chart()->axes(Qt::Vertical)) {
    auto* lanes = qobject_cast<QCategoryAxis*>(axis);
    if (lanes == nullptr || lanes->alignment() != Qt::AlignRight) continue;
    const QStringList names = lanes->categoriesLabels();
    ASSERT_GE(names.size(), 2);
    const double lane_pixels = view.chart()->plotArea().height() *
                               (lanes->endValue(names[1]) - lanes->endValue(names[0])) /
                               (lanes->max() - lanes->min());
    // (a third of a line more keeps the axis from hiding every other name)
    EXPECT_GE(lane_pixels, QFontMetrics(view.chart()->font()).height() * 4 / 3 - 1);
  }
  QScrollBar* scroll = view.findChild<QScrollBar*>();
  ASSERT_NE(scroll, nullptr);
  EXPECT_TRUE(scroll->isVisible());
  EXPECT_TRUE(scroll->accessibleName().startsWith(QStringLiteral("Lanes 1 to ")))
      << scroll->accessibleName().toStdString();
  EXPECT_TRUE(scroll->accessibleName().endsWith(QStringLiteral(" of 30")));
  // Page Down shows the next lanes; the axis names them.
  QTest::keyClick(&view, Qt::Key_PageDown);
  EXPECT_GT(scroll->value(), 0);
  QCategoryAxis* lanes = nullptr;
  for (QAbstractAxis* axis : view.chart()->axes(Qt::Vertical)) {
    if (auto* category = qobject_cast<QCategoryAxis*>(axis)) lanes = category;
  }
  ASSERT_NE(lanes, nullptr);
  const QString top = QStringLiteral("Door %1").arg(scroll->value() + 1);
  EXPECT_TRUE(lanes->categoriesLabels().contains(top))
      << lanes->categoriesLabels().join(',').toStdString();
  EXPECT_FALSE(lanes->categoriesLabels().contains(QStringLiteral("Door 1")));

  line = view.chart()->series().front();  // drawn anew for the lanes scrolled to
  // Lanes have no outline: the theme's white one would hide a mark two pixels wide.
  for (QAbstractSeries* series : view.chart()->series()) {
    if (auto* area = qobject_cast<QAreaSeries*>(series)) {
      EXPECT_EQ(area->pen().style(), Qt::NoPen) << area->name().toStdString();
    }
  }
  // No value is labelled beside the lanes: the lowest label is the line's part's lowest.
  for (QAbstractAxis* axis : view.chart()->axes(Qt::Vertical, line)) {
    if (auto* values = qobject_cast<QCategoryAxis*>(axis)) {
      EXPECT_GE(values->categoriesLabels().front().toDouble(), 15.0)
          << values->categoriesLabels().join(',').toStdString();
    }
  }

  // A door open under a second in a column of 80 s: the tool tip there says it was on.
  const double x =
      view.chart()
          ->mapToPosition(QPointF(day.span() * (100.5 / many[0].columns.size()), 20.0), line)
          .x();
  QString tip = view.TipAt(QPointF(x, plot.center().y()));
  EXPECT_TRUE(tip.contains(QStringLiteral("Door 1: on for under 1 s from "))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QStringLiteral("Door 2: off"))) << tip.toStdString();
}

TEST(QtHistoryChartTest, WhereNothingWasRecordedTheLineStopsAndTheLaneIsHatched) {
  // Under a German locale the numbers still read as the rest of the program writes them.
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  QtHistoryChart chart(nullptr, 0);
  QWidget* widget = chart.Widget();
  widget->resize(800, 400);
  widget->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
  auto& view = *static_cast<HistoryChartView*>(widget);
  const TimeRange day{0, 24 * kHour};
  std::vector<HistorySeries> series = TemperatureAndDoor(chart.ColumnCount());
  const size_t columns = series[0].columns.size();
  // The client was off through the middle third of the day.
  for (size_t c = columns / 3; c < 2 * columns / 3; ++c) {
    series[0].columns[c] = PixelColumn();
    series[1].columns[c] = PixelColumn();
  }
  series[0].columns[0].min = series[0].columns[0].max = 21.5;
  chart.Show(day, series);

  // Two pieces of line, neither reaching across the gap.
  const double gap_from = day.span() * (1.0 / 3);
  const double gap_to = day.span() * (2.0 / 3) - day.span() / static_cast<double>(columns);
  int pieces = 0;
  QList<QColor> colours;
  for (QAbstractSeries* one : view.chart()->series()) {
    auto* line = qobject_cast<QLineSeries*>(one);
    if (line == nullptr) continue;
    ++pieces;
    colours.append(line->color());
    const QList<QPointF> points = line->points();
    ASSERT_FALSE(points.isEmpty());
    EXPECT_TRUE(points.back().x() < gap_from || points.front().x() > gap_to)
        << points.front().x() << " to " << points.back().x();
  }
  ASSERT_EQ(pieces, 2);
  EXPECT_EQ(colours[0], colours[1]);  // one line, in one colour
  // The door's lane: on and off where it was known, hatched where it was not.
  int hatched = 0;
  for (QAbstractSeries* one : view.chart()->series()) {
    auto* area = qobject_cast<QAreaSeries*>(one);
    if (area != nullptr && area->brush().style() == Qt::BDiagPattern) ++hatched;
    // The lane keeps the colour after the line's, however many pieces the line has.
    if (area != nullptr && area->brush().style() == Qt::SolidPattern) {
      EXPECT_NE(area->brush().color(), colours[0]);
    }
  }
  EXPECT_EQ(hatched, 1);
  const double x =
      view.chart()
          ->mapToPosition(QPointF(day.span() / 2.0, 20.0), view.chart()->series().front())
          .x();
  const QString tip = view.TipAt(QPointF(x, view.chart()->plotArea().center().y()));
  EXPECT_TRUE(tip.contains(QStringLiteral("Living Room: not recorded"))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QStringLiteral("Front Door: not recorded"))) << tip.toStdString();
  const double start =
      view.chart()->mapToPosition(QPointF(1.0, 20.0), view.chart()->series().front()).x();
  EXPECT_TRUE(view.TipAt(QPointF(start + 0.5, view.chart()->plotArea().center().y()))
                  .contains(QStringLiteral("Living Room: 21.5")));
  // The value axis says what the values are; its numbers have a point.
  for (QAbstractAxis* axis : view.chart()->axes(Qt::Vertical)) {
    if (axis->alignment() != Qt::AlignLeft) continue;
    EXPECT_EQ(axis->titleText(), QStringLiteral("Temperature"));
    if (auto* values = qobject_cast<QCategoryAxis*>(axis)) {
      for (const QString& label : values->categoriesLabels()) {
        EXPECT_FALSE(label.contains(',')) << label.toStdString();
      }
    }
  }
  hv::test::cTempFolder folder;
  ASSERT_TRUE(chart.SavePng(folder.File("chart.png")).ok());
  EXPECT_TRUE(view.chart()->title().isEmpty());  // the title is the picture's only
  QLocale::setDefault(before);
}

}  // namespace
}  // namespace hv::history
