// CListCtrlWChkBox: a report list whose check-box clicks are told to a CListCtrlUpdate before
// the toolkit toggles the box. It watches the list's mouse events; the list itself stays a
// cReportList of the toolkit, owned by its window.
#ifndef HV_CLIENT_VIEWS_DEVICES_LIST_CTRL_W_CHK_BOX_H_
#define HV_CLIENT_VIEWS_DEVICES_LIST_CTRL_W_CHK_BOX_H_

#include <cstdint>

#include "client/ui/report_list.h"
#include "core/status.h"

namespace hv {

class CListCtrlUpdate;

// Column 0 displayed last loses this many pixels at its right end: there the click lands on
// the list's own edge and scroll area rather than on a check box.
constexpr int32_t kLastColumnDeadZone = 55;

class CListCtrlWChkBox : public cReportListEvents {
 public:
  CListCtrlWChkBox() = default;
  ~CListCtrlWChkBox() override;
  CListCtrlWChkBox(const CListCtrlWChkBox&) = delete;
  CListCtrlWChkBox& operator=(const CListCtrlWChkBox&) = delete;

  // Starts watching `list` (not owned; it must outlive this object or be detached by
  // Attach(nullptr)). Stops watching the previous one.
  void Attach(cReportList* list);
  cReportList* List() const { return list_; }

  // The handler (not owned; null for none) and the value handed back to it.
  void SetUpdateHandler(int32_t context, CListCtrlUpdate* handler);

  // Called when no handler is set. Does nothing and declines; a list may replace it.
  [[nodiscard]] virtual Status OnListCheck(int32_t row, int32_t context);

  int32_t LastX() const { return last_x_; }
  int32_t LastY() const { return last_y_; }

  // cReportListEvents
  void OnMouseMove(cPoint point) override;
  void OnClickReleased() override;
  // A toggle by keyboard or accessibility names its row; it reaches the handler as a click
  // on that row's box would.
  void OnCheckToggling(int32_t row) override;

  // The x of column 0's left and right edges in display order, with the last-column dead
  // zone already taken off. False when the list has no column 0.
  static bool CheckBoxColumnEdges(const cReportList& list, int32_t* left_edge, int32_t* right_edge);

 private:
  void CallHandler(int32_t row);

  cReportList* list_ = nullptr;
  CListCtrlUpdate* handler_ = nullptr;
  int32_t context_ = 0;
  int32_t last_x_ = 0;
  int32_t last_y_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_LIST_CTRL_W_CHK_BOX_H_
