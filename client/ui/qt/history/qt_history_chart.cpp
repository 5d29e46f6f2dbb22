#include "client/ui/qt/history/qt_history_chart.h"

#include <QBuffer>
#include <QByteArray>
#include <QGraphicsLayout>
#include <QPixmap>
#include <algorithm>

#include "client/ui/qt/history/history_chart_view.h"
#include "client/ui/qt/qt_control.h"
#include "client/views/history/chart_plot.h"
#include "core/file/file_replace.h"

namespace hv::history {

QtHistoryChart::QtHistoryChart(cWindow* window, int32_t frame_id) {
  QWidget* frame = nullptr;
  if (window != nullptr) {
    if (auto* holder = dynamic_cast<cQtWidgetHolder*>(window->Control(frame_id))) {
      frame = holder->Widget();
    }
  }
  // The frame itself stays hidden: the chart takes its place beside it, in the same parent.
  view_ = new HistoryChartView(frame != nullptr ? frame->parentWidget() : nullptr);
  owns_view_ = frame == nullptr;
  if (frame != nullptr) {
    view_->setGeometry(frame->geometry());
    view_->show();
  }
}

QtHistoryChart::~QtHistoryChart() {
  if (owns_view_) delete view_;
}

QWidget* QtHistoryChart::Widget() const { return view_; }

int32_t QtHistoryChart::ColumnCount() const { return view_->PlotColumns(); }

void QtHistoryChart::Place(const cRect& rect) {
  view_->setGeometry(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height()));
  // The plot area follows the new size at once, so the window reduces its data to the
  // columns the chart really has now rather than to those it had.
  if (QGraphicsLayout* layout = view_->chart()->layout()) layout->activate();
}

void QtHistoryChart::Show(const TimeRange& range, const std::vector<HistorySeries>& series) {
  view_->ShowSeries(range, series);
}

Status QtHistoryChart::SavePng(const std::string& path) {
  // Encoded in memory first: a file written straight from the picture would be left half
  // written over the user's old one when the disk fills.
  QByteArray png;
  QBuffer buffer(&png);
  // The picture leaves the window whose fields told the range: it says it itself, for the
  // moment it is taken.
  const QString title = view_->chart()->title();
  view_->chart()->setTitle(QString::fromStdString(PictureTitle(view_->Range())));
  if (QGraphicsLayout* layout = view_->chart()->layout()) layout->activate();
  const QPixmap picture = view_->grab();
  view_->chart()->setTitle(title);
  if (QGraphicsLayout* layout = view_->chart()->layout()) layout->activate();
  if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) {
    return Status(Where::kUi, hv::kCannotOpenFile, "the chart could not be encoded for " + path);
  }
  return ReplaceFileWithBytes(path.c_str(), png.constData(), static_cast<size_t>(png.size()));
}

void QtHistoryChart::SetRangeRequest(std::function<void(const TimeRange&)> request) {
  view_->SetRangeRequest(std::move(request));
}

std::unique_ptr<HistoryChart> MakeQtHistoryChart(cWindow& window, int32_t frame_id) {
  return std::make_unique<QtHistoryChart>(&window, frame_id);
}

}  // namespace hv::history
