// cReportRows: the rows of a report list, kept once for every toolkit. Each row holds a text
// per column, an image index, a check state, a selected flag and its owner's value.
//
// A log of a hundred thousand rows is the largest thing the client keeps, so a row's texts
// live in one exactly sized block ("text\0text\0...") instead of one growable string per
// cell: a row of seven short texts costs one small allocation. Rows sit in a deque, so
// inserting at the top and trimming at the bottom cost the same at any length.
//
// A list whose owner keeps the texts (the activity log: its entries hold them already) keeps
// none at all: Text asks the owner, by the row's value. The blocks then are not made, and
// their pointers are not kept either (they sit in a deque of their own beside the rows).
#ifndef HV_CLIENT_UI_REPORT_ROWS_H_
#define HV_CLIENT_UI_REPORT_ROWS_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "client/ui/control.h"
#include "client/ui/report_list.h"

namespace hv {

class cReportRows {
 public:
  // Columns: every row has a cell for each (and at least one, so a row inserted before
  // any column keeps its text). A column inserted before `at` gives every row an empty cell.
  int32_t ColumnCount() const { return columns_; }
  void InsertColumn(int32_t at);

  // The owner of every row's texts (borrowed), or null: the rows keep their own. Changing
  // it drops the texts the rows kept; set it while there are no rows.
  void SetOwner(const cReportRowTexts* owner);
  const cReportRowTexts* Owner() const { return owner_; }

  int32_t Count() const { return static_cast<int32_t>(rows_.size()); }
  bool Valid(int32_t row) const { return row >= 0 && row < Count(); }

  // Inserts before `index` (clamped to the count) and returns the new row's index. The
  // first form gives column 0's text; the second the texts of the first `count` columns
  // (null texts and the columns beyond are empty).
  int32_t Insert(int32_t index, const char* text, int32_t image, cItemValue value) {
    return Insert(index, &text, 1, image, value);
  }
  int32_t Insert(int32_t index, const char* const* texts, int32_t count, int32_t image,
                 cItemValue value);
  bool Delete(int32_t row);
  void Clear() {
    rows_.clear();
    texts_.clear();
  }

  // Texts. Out of range, or with an owner of the texts: SetText does nothing and returns
  // false. Out of range, Text gives empty. The view's data() is always zero-ended, so it can
  // be handed on as a C string; an owner's text lasts until the next call.
  bool SetText(int32_t row, int32_t column, const char* text);
  std::string_view Text(int32_t row, int32_t column) const;

  // The other fields; the getters take a valid row.
  int32_t Image(int32_t row) const { return rows_[Index(row)].image; }
  void SetImage(int32_t row, int32_t image) { rows_[Index(row)].image = image; }
  bool Checked(int32_t row) const { return rows_[Index(row)].checked; }
  void SetChecked(int32_t row, bool checked) { rows_[Index(row)].checked = checked; }
  bool Selected(int32_t row) const { return rows_[Index(row)].selected; }
  void SetSelected(int32_t row, bool selected) { rows_[Index(row)].selected = selected; }
  void SelectOnly(int32_t row);  // every other row is deselected
  cItemValue Value(int32_t row) const { return rows_[Index(row)].value; }
  void SetValue(int32_t row, cItemValue value) { rows_[Index(row)].value = value; }

  // Stable reorder. `before(a, b)` compares two rows by their indices before the sort (so a
  // caller can look keys up in a table it built once). Returns, for every old index, the
  // row's new index, so a toolkit can move what it keeps per row (selection, focus).
  std::vector<int32_t> Sort(const std::function<bool(int32_t a, int32_t b)>& before);
  // The same by the rows' values (negative: a before b), as owners that keep their data in
  // the values sort.
  std::vector<int32_t> SortByValue(const std::function<int(cItemValue a, cItemValue b)>& compare);

 private:
  struct cRow {
    cItemValue value = 0;
    int32_t image = 0;
    bool checked = false;
    bool selected = false;
  };
  // Sixteen bytes: a hundred thousand rows pack 32 to a block of the deque.
  static_assert(sizeof(cRow) == 16);
  // A row's own texts: `cells` texts, each ended by a zero byte.
  using cTexts = std::unique_ptr<char[]>;
  static size_t Index(int32_t row) { return static_cast<size_t>(row); }
  // A row's block of the first `count` texts (null texts and the columns beyond: empty).
  cTexts MakeBlock(const char* const* texts, int32_t count) const;
  int32_t Cells() const { return columns_ > 0 ? columns_ : 1; }
  // A row's texts with `text` in place of cell `column` (or, when `insert`, added before it).
  static std::unique_ptr<char[]> Rebuild(const char* texts, int32_t cells, int32_t column,
                                         std::string_view text, bool insert);

  int32_t columns_ = 0;
  std::deque<cRow> rows_;
  // The texts of rows_[i] are texts_[i]; empty while an owner keeps them.
  std::deque<cTexts> texts_;
  const cReportRowTexts* owner_ = nullptr;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_REPORT_ROWS_H_
