#include "client/shell/desk/desk_layout_metrics.h"

#include <algorithm>
#include <string>

#include "client/shell/desk/house_desk_layout.h"
#include "client/ui/window.h"
#include "core/status.h"

namespace hv {

namespace {

using namespace desk;

const std::vector<int32_t> kOptionRow = {kSplitView, kShowAdditionalInfo, kAllowUserLogMessages};
const std::vector<int32_t> kInformationRows = {
    kConnectionLabel, kTrafficIndicator, kConnectionText, kClientCountLabel,
    kClientCount,     kServerTimeButton, kServerTimeText, kDawnDusk};
const std::vector<int32_t> kUserRow = {kAddLogMessage, kLogMessageText};
const std::vector<int32_t> kButtonColumn = {kHide,  kExit,        kLogOut,   kEmailSupport,
                                            kSetup, kVersionInfo, kDayNight, kSendX10Code,
                                            kHelp,  kPauseMacros, kMute,     kHistory};

}  // namespace

Status cDeskLayoutMetrics::MeasureRow(cWindow& window, const std::vector<int32_t>& ids,
                                      int32_t above_bottom, cRow* row, int32_t* bottom) {
  const cRect client = window.ClientRect();
  int32_t top = INT32_MAX;
  int32_t low = INT32_MIN;
  for (int32_t id : ids) {
    cControl* control = window.Control(id);
    if (control == nullptr) {
      return Status(Where::kUi, kNotFound,
                    "the main window lacks control " + std::to_string(id) + " of a row");
    }
    top = std::min(top, control->Rect().top);
    low = std::max(low, control->Rect().bottom);
  }
  row->gap_above = top - above_bottom;
  row->height = low - top;
  row->controls.clear();
  for (int32_t id : ids) {
    const cRect r = window.Control(id)->Rect();
    cRowControl c{id,
                  r.left,
                  r.top - top,
                  r.Width(),
                  r.Height(),
                  client.right - r.right,
                  cRowControl::kFixed};
    // The connection text and the message edit grow with the window; the dawn and dusk
    // text is right-aligned and moves with the right edge.
    if (id == kConnectionText || id == kLogMessageText) c.anchor = cRowControl::kStretch;
    if (id == kDawnDusk) c.anchor = cRowControl::kFromRight;
    row->controls.push_back(c);
  }
  *bottom = low;
  return Status::Ok();
}

Status cDeskLayoutMetrics::Measure(cWindow& window) {
  measured_ = false;
  cControl* pane = window.Control(kTopPaneFrame);
  cControl* tabs = window.Control(kTabControl);
  cControl* picture = window.Control(kWebsite);
  cControl* mute = window.Control(kMute);
  const Status missing(Where::kUi, hv::kNotFound,
                       "the main window lacks a control its layout needs");
  if (pane == nullptr || tabs == nullptr || picture == nullptr || mute == nullptr) return missing;
  const cRect client = window.ClientRect();
  min_width_ = client.Width();
  min_height_ = client.Height();
  content_left_ = tabs->Rect().left;
  content_right_margin_ = client.right - tabs->Rect().right;
  pane_top_ = pane->Rect().top;
  pane_gap_ = tabs->Rect().top - pane->Rect().bottom;

  int32_t bottom = 0;
  Status rows = MeasureRow(window, kOptionRow, tabs->Rect().bottom, &options_, &bottom);
  if (rows.ok()) rows = MeasureRow(window, kInformationRows, bottom, &information_, &bottom);
  if (rows.ok()) rows = MeasureRow(window, kUserRow, bottom, &user_, &bottom);
  if (!rows.ok()) return rows;
  bottom_margin_ = client.bottom - bottom;

  column_.clear();
  for (int32_t id : kButtonColumn) {
    cControl* control = window.Control(id);
    if (control == nullptr) return missing;
    const cRect r = control->Rect();
    column_.push_back(cColumnControl{id, client.right - r.left, r.top, r.Width(), r.Height()});
  }
  const cRect p = picture->Rect();
  picture_right_margin_ = client.right - p.right;
  picture_bottom_margin_ = client.bottom - p.bottom;
  picture_width_ = p.Width();
  picture_height_ = p.Height();
  mute_bottom_ = mute->Rect().bottom;
  measured_ = true;
  return Status::Ok();
}

void cDeskLayoutMetrics::PlaceRow(cWindow& window, const cRow& row, int32_t top,
                                  int32_t width) const {
  for (const cRowControl& c : row.controls) {
    cControl* control = window.Control(c.id);
    if (control == nullptr) continue;
    cRect r{c.left, top + c.top_in_row, c.left + c.width, top + c.top_in_row + c.height};
    if (c.anchor == cRowControl::kStretch) r.right = std::max(r.left, width - c.right_margin);
    if (c.anchor == cRowControl::kFromRight) {
      r.right = width - c.right_margin;
      r.left = r.right - c.width;
    }
    control->Move(r, true);
  }
}

cRect cDeskLayoutMetrics::PictureRect(int32_t width, int32_t height) const {
  int32_t w = picture_width_;
  int32_t h = picture_height_;
  const int32_t bottom = height - picture_bottom_margin_;
  const int32_t room = bottom - mute_bottom_;
  if (room < h && picture_height_ > 0) {
    h = std::max(room, 0);
    // In proportion, to the nearest whole pixel.
    w = (2 * picture_width_ * h + picture_height_) / (2 * picture_height_);
  }
  const int32_t right = width - picture_right_margin_;
  return cRect{right - w, bottom - h, right, bottom};
}

cRect cDeskLayoutMetrics::Arrange(cWindow& window, int32_t width, int32_t height,
                                  const cDeskRows& rows) const {
  if (!measured_) return cRect{};
  width = std::max(width, min_width_);
  height = std::max(height, min_height_);

  int32_t below = options_.gap_above + options_.height;
  if (rows.additional_information) below += information_.gap_above + information_.height;
  if (rows.user_log_messages) below += user_.gap_above + user_.height;
  const int32_t tabs_bottom = height - bottom_margin_ - below;
  const int32_t content_right = width - content_right_margin_;

  cRect pane{};
  int32_t tabs_top = pane_top_;
  if (rows.split_view) {
    const int32_t pane_height = (tabs_bottom - pane_top_ - pane_gap_) / 2;
    pane = cRect{content_left_, pane_top_, content_right, pane_top_ + pane_height};
    tabs_top = pane.bottom + pane_gap_;
  }
  if (cControl* frame = window.Control(kTopPaneFrame)) frame->Move(pane, false);
  if (cControl* tabs = window.Control(kTabControl)) {
    tabs->Move(cRect{content_left_, tabs_top, content_right, tabs_bottom}, true);
  }

  int32_t top = tabs_bottom + options_.gap_above;
  PlaceRow(window, options_, top, width);
  top += options_.height;
  if (rows.additional_information) {
    top += information_.gap_above;
    PlaceRow(window, information_, top, width);
    top += information_.height;
  }
  if (rows.user_log_messages) {
    top += user_.gap_above;
    PlaceRow(window, user_, top, width);
  }

  for (const cColumnControl& c : column_) {
    if (cControl* control = window.Control(c.id)) {
      const int32_t left = width - c.right_margin;
      control->Move(cRect{left, c.top, left + c.width, c.top + c.height}, true);
    }
  }
  if (cControl* picture = window.Control(kWebsite)) {
    picture->Move(PictureRect(width, height), true);
  }
  return pane;
}

}  // namespace hv
