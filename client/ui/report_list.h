// cReportList: a list of rows under a header of columns. Rows hold a text per column, an
// image index, a check state and a value for their owner. Columns keep their creation index
// as their identity; the header can show them in another order (display position).
//
// A list can instead leave its rows' texts to their owner (SetRowTexts): a row then keeps
// only its image, check state and value, and the list asks the owner for a cell's text each
// time someone reads it (drawing, CellText, the accessibility interface, a copy).
//
// Geometry: the point the list reports for the mouse and the point HitTest takes are in the
// list's own client coordinates, in which column edges add up from x = 0 in display order.
#ifndef HV_CLIENT_UI_REPORT_LIST_H_
#define HV_CLIENT_UI_REPORT_LIST_H_

#include <cstdint>
#include <functional>
#include <string_view>

#include "client/ui/control.h"

namespace hv {

class cImageList;

// Extended styles of a report list, combined with |.
enum : uint32_t {
  kListCheckBoxes = 1u << 0,      // a check box in column 0 of every row
  kListFullRowSelect = 1u << 1,   // a click anywhere on a row selects it
  kListHeaderDragDrop = 1u << 2,  // the user can drag columns to other display positions
  kListShowSelectionAlways = 1u << 3,
};

struct cListColumn {
  swString text;
  int32_t width = 0;
  int32_t order = 0;  // display position, 0 = leftmost
};

// What the list tells its watcher about the mouse. All of it arrives before the toolkit's own
// handling of the same event, so a watcher that reads a row's check state in
// OnClickReleased reads the state before the click.
class cReportListEvents {
 public:
  virtual ~cReportListEvents() = default;
  // Every move over the list; also the position of a press and of a release, so that the
  // last position is the click's even when no move came before it.
  virtual void OnMouseMove(cPoint point) = 0;
  // The end of a left click (the list lets go of the mouse).
  virtual void OnClickReleased() = 0;
  // The user toggles a row's check box without the mouse: the space bar on the focused row,
  // or the toggle of the desktop's accessibility interface. Called before the list toggles
  // the box, like a click, so the row's check state is still the one from before.
  virtual void OnCheckToggling(int32_t /*row*/) {}
  // The user clicked the header item of a column (its index, whatever its display position).
  virtual void OnHeaderClicked(int32_t /*column*/) {}
  // The selected rows changed by the user's doing (mouse or keyboard), after the change.
  virtual void OnSelectionChanged() {}
};

// The owner of the texts of a list's rows, for a list whose rows keep none: a row's cell
// text comes from the row's value. The owner keeps what the values refer to for as long as
// the rows show it.
class cReportRowTexts {
 public:
  virtual ~cReportRowTexts() = default;
  // The text of a cell of the row whose value is `value`, by the column's index. Zero-ended
  // (text.data()[text.size()] is 0), and left as it is until the next call, so the owner may
  // build a text in one buffer of its own; empty for a column it has no text for.
  virtual std::string_view Text(cItemValue value, int32_t column) const = 0;
};

class cReportList : public cControl {
 public:
  virtual void SetListStyles(uint32_t styles) = 0;
  virtual uint32_t ListStyles() const = 0;

  // The pictures drawn in column 0, by each row's image index. Borrowed; null for none.
  virtual void SetImageList(cImageList* images) = 0;

  // Columns. InsertColumn inserts before index (clamped to the count), at the same display
  // position, and returns the new column's index.
  virtual int32_t InsertColumn(int32_t index, const char* text, int32_t width) = 0;
  virtual int32_t ColumnCount() const = 0;  // the header's items
  virtual bool GetColumn(int32_t index, cListColumn* column) const = 0;
  virtual bool SetColumnWidth(int32_t index, int32_t width) = 0;
  // The width in pixels a column needs to show the text whole, as a header item (with room
  // for the sort arrow) or as a cell, in the list's own font.
  virtual int32_t TextWidth(const char* text, bool header) const = 0;
  // Moves the column to a display position (clamped); the columns between shift by one.
  virtual bool SetColumnOrder(int32_t index, int32_t order) = 0;

  // Hands the texts of every row to their owner (borrowed; it outlives the rows) or, with
  // null, back to the rows. Set it while the list has no rows. With an owner, the texts given
  // to InsertRow and InsertRowTexts are not kept and SetCellText changes nothing (false).
  virtual void SetRowTexts(const cReportRowTexts* owner) = 0;

  // Rows. InsertRow inserts before index (clamped to the count) with column 0's text, the
  // image index and the value; it returns the new row's index, or -1.
  virtual int32_t InsertRow(int32_t index, const char* text, int32_t image, cItemValue value) = 0;
  // The same with the texts of the first `count` columns at once (null texts and the
  // columns beyond are empty): one change for the toolkit to show instead of one per text.
  virtual int32_t InsertRowTexts(int32_t index, const char* const* texts, int32_t count,
                                 int32_t image, cItemValue value) = 0;
  virtual int32_t RowCount() const = 0;
  virtual bool SetCellText(int32_t row, int32_t column, const char* text) = 0;
  virtual swString CellText(int32_t row, int32_t column) const = 0;  // empty when out of range
  virtual bool SetRowImage(int32_t row, int32_t image) = 0;
  virtual int32_t RowImage(int32_t row) const = 0;     // -1 when out of range
  virtual cItemValue RowValue(int32_t row) const = 0;  // 0 when out of range
  virtual bool SetRowValue(int32_t row, cItemValue value) = 0;
  virtual bool SetCheck(int32_t row, bool checked) = 0;
  virtual bool GetCheck(int32_t row) const = 0;
  virtual bool DeleteRow(int32_t row) = 0;
  virtual void DeleteAllRows() = 0;

  // Selection: the first selected row after `after` (-1 to start), or -1.
  virtual int32_t NextSelected(int32_t after) const = 0;
  virtual void SetSelected(int32_t row, bool selected) = 0;

  // The row under a point in the list's client coordinates, or -1.
  virtual int32_t HitTest(cPoint point) const = 0;

  // Reorders the rows by the comparison of their values (negative: a before b). Rows that
  // compare equal keep their order; selection and check states move with their rows.
  virtual void Sort(const std::function<int(cItemValue a, cItemValue b)>& compare) = 0;
  // The same by a comparison of the rows' indices before the sort (true: a goes before b),
  // for an owner that builds each row's sort key once instead of at every comparison.
  virtual void SortRows(const std::function<bool(int32_t a, int32_t b)>& before) = 0;

  // Marks the header of the column the rows are sorted by, with the direction (+1 ascending,
  // -1 descending); -1 as the column marks none. Only what the user sees: rows do not move.
  virtual void SetSortIndicator(int32_t column, int32_t direction) = 0;
  virtual int32_t SortIndicatorColumn() const = 0;
  virtual int32_t SortIndicatorDirection() const = 0;

  // The watcher of mouse events, not owned; null for none.
  virtual void SetEvents(cReportListEvents* events) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_REPORT_LIST_H_
