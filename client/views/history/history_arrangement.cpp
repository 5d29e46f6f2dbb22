#include "client/views/history/history_arrangement.h"

#include <algorithm>

#include "client/ui/window.h"
#include "client/views/history/dlg_history.h"

namespace hv::history {

namespace {

// How one control follows: across (stays, grows, or keeps its distance from the right edge)
// and down (stays, grows with the upper part, moves below the upper part, takes the lower
// part's growth below the upper part, or keeps its distance from the bottom).
enum class Across { kStay, kGrow, kRight };
enum class Down { kStay, kGrowUpper, kBelowUpper, kGrowLower, kBottom };

struct Follow {
  int32_t id;
  Across across;
  Down down;
};

constexpr Follow kFollows[] = {
    {kHistoryItems, Across::kStay, Down::kGrowUpper},
    {kHistoryItemDaysLabel, Across::kStay, Down::kBelowUpper},
    {kHistoryItemDays, Across::kStay, Down::kBelowUpper},
    {kHistoryItemDaysSet, Across::kStay, Down::kBelowUpper},
    {kHistoryChartFrame, Across::kGrow, Down::kGrowUpper},
    {kHistorySearchLabel, Across::kStay, Down::kBelowUpper},
    {kHistorySearch, Across::kStay, Down::kBelowUpper},
    {kHistoryRegex, Across::kStay, Down::kBelowUpper},
    {kHistoryWholeStore, Across::kStay, Down::kBelowUpper},
    {kHistoryEvents, Across::kGrow, Down::kGrowLower},
    {kHistoryStatus, Across::kGrow, Down::kBottom},
    {kHistoryExportCsv, Across::kRight, Down::kBottom},
    {kHistoryExportPng, Across::kRight, Down::kBottom},
    {kHistoryClose, Across::kRight, Down::kBottom},
};

const Follow* FollowOf(int32_t id) {
  for (const Follow& follow : kFollows) {
    if (follow.id == id) return &follow;
  }
  return nullptr;
}

// How far a control's first and second edge (left and right, or top and bottom) move.
struct EdgeMoves {
  int32_t first;
  int32_t second;
};

EdgeMoves AcrossMoves(Across across, int32_t dx) {
  switch (across) {
    case Across::kStay: return {0, 0};
    case Across::kGrow: return {0, dx};
    case Across::kRight: return {dx, dx};
  }
  return {0, 0};
}

// `upper` is the upper part's share of the height gained, dy all of it.
EdgeMoves DownMoves(Down down, int32_t upper, int32_t dy) {
  switch (down) {
    case Down::kStay: return {0, 0};
    case Down::kGrowUpper: return {0, upper};
    case Down::kBelowUpper: return {upper, upper};
    case Down::kGrowLower: return {upper, dy};
    case Down::kBottom: return {dy, dy};
  }
  return {0, 0};
}

// The chart takes this share of the height gained (the table the rest): a chart reads better
// tall, a table shows more rows anyway.
constexpr int32_t kUpperShare = 60;
// Shrinking stops where the table keeps this share of its first height.
constexpr int32_t kKeepPercent = 60;

}  // namespace

void HistoryArrangement::Measure(cWindow& window) {
  first_.clear();
  const cRect client = window.ClientRect();
  width_ = client.Width();
  height_ = client.Height();
  int32_t lower_height = height_;
  for (const Follow& follow : kFollows) {
    cControl* control = window.Control(follow.id);
    if (control == nullptr) continue;
    first_.push_back({follow.id, control->Rect()});
    if (follow.down == Down::kGrowLower) lower_height = control->Rect().Height();
  }
  // The row across the top spans the whole width: the window never gets narrower. The table
  // is the lower of the two growing parts, so it sets how far the height may shrink.
  min_width_ = width_;
  const int32_t lower_loss = lower_height * (100 - kKeepPercent) / 100;
  min_height_ = height_ - lower_loss * 100 / (100 - kUpperShare);
}

cRect HistoryArrangement::Place(const Placed& placed, int32_t width, int32_t height) const {
  const Follow* follow = FollowOf(placed.id);
  cRect rect = placed.rect;
  if (follow == nullptr) return rect;
  const int32_t dx = std::max(width, min_width_) - width_;
  const int32_t dy = std::max(height, min_height_) - height_;
  const EdgeMoves across = AcrossMoves(follow->across, dx);
  const EdgeMoves down = DownMoves(follow->down, dy * kUpperShare / 100, dy);
  rect.left += across.first;
  rect.right += across.second;
  rect.top += down.first;
  rect.bottom += down.second;
  return rect;
}

void HistoryArrangement::Arrange(cWindow& window, int32_t width, int32_t height) const {
  for (const Placed& placed : first_) {
    if (cControl* control = window.Control(placed.id)) {
      control->Move(Place(placed, width, height), true);
    }
  }
}

cRect HistoryArrangement::ChartRect(int32_t width, int32_t height) const {
  for (const Placed& placed : first_) {
    if (placed.id == kHistoryChartFrame) return Place(placed, width, height);
  }
  return cRect{};
}

}  // namespace hv::history
