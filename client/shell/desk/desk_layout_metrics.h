// cDeskLayoutMetrics: how the main window's controls follow its size. The distances are
// measured once from the window as its layout made it; every later size places the controls
// the same way: the button column and the website picture stay at the right (the picture at
// the bottom right, shrinking when the column leaves it too little height), the option,
// information and user-message rows stay at the bottom, stacked without gaps for the rows
// that are hidden, and the tab control (and in split view the top pane above it) takes the
// rest of the height.
#ifndef HV_CLIENT_SHELL_DESK_DESK_LAYOUT_METRICS_H_
#define HV_CLIENT_SHELL_DESK_DESK_LAYOUT_METRICS_H_

#include <cstdint>
#include <vector>

#include "client/ui/rect.h"
#include "core/status.h"

namespace hv {

class cWindow;

struct cDeskRows {
  bool split_view = false;
  bool additional_information = false;
  bool user_log_messages = false;
};

class cDeskLayoutMetrics {
 public:
  // Measures from the window's controls in their initial places. Ok, or kNotFound when a
  // control the layout needs is missing.
  [[nodiscard]] Status Measure(cWindow& window);
  bool IsMeasured() const { return measured_; }

  // The window's size at measurement: it never becomes smaller.
  int32_t MinimumWidth() const { return min_width_; }
  int32_t MinimumHeight() const { return min_height_; }

  // Places every control for a client area of width x height and the rows shown. Returns
  // the top pane's rectangle (empty when split view is off).
  cRect Arrange(cWindow& window, int32_t width, int32_t height, const cDeskRows& rows) const;

  // The website picture's rectangle for a client area of that size.
  cRect PictureRect(int32_t width, int32_t height) const;

 private:
  // A control that keeps its place inside its row; `stretch` ones keep their distance from
  // the right edge of the content instead of their width; `from_right` ones move with it.
  struct cRowControl {
    int32_t id;
    int32_t left;
    int32_t top_in_row;
    int32_t width;
    int32_t height;
    int32_t right_margin;  // distance of the right edge from the client's right edge
    enum { kFixed, kStretch, kFromRight } anchor;
  };
  struct cRow {
    int32_t gap_above = 0;
    int32_t height = 0;
    std::vector<cRowControl> controls;
  };
  struct cColumnControl {
    int32_t id;
    int32_t right_margin;  // distance of the left edge from the right edge
    int32_t top;
    int32_t width;
    int32_t height;
  };

  // Fails (kNotFound) when the window lacks one of the row's controls.
  Status MeasureRow(cWindow& window, const std::vector<int32_t>& ids, int32_t above_bottom,
                    cRow* row, int32_t* bottom);
  void PlaceRow(cWindow& window, const cRow& row, int32_t top, int32_t width) const;

  bool measured_ = false;
  int32_t min_width_ = 0;
  int32_t min_height_ = 0;
  int32_t content_left_ = 0;
  int32_t content_right_margin_ = 0;
  int32_t pane_top_ = 0;
  int32_t pane_gap_ = 0;
  int32_t bottom_margin_ = 0;
  cRow options_;
  cRow information_;
  cRow user_;
  std::vector<cColumnControl> column_;
  int32_t picture_right_margin_ = 0;
  int32_t picture_bottom_margin_ = 0;
  int32_t picture_width_ = 0;
  int32_t picture_height_ = 0;
  int32_t mute_bottom_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_DESK_LAYOUT_METRICS_H_
