// Compact ways to state a dialog's controls. Most controls have their kind's usual height,
// forms stack "Label: field" rows at one pitch, and buttons stand in columns or rows of one
// size, so a layout states only what differs from control to control.
#ifndef HV_CLIENT_UI_LAYOUT_ROWS_H_
#define HV_CLIENT_UI_LAYOUT_ROWS_H_

#include <cstdint>
#include <initializer_list>

#include "client/ui/dialog_layout.h"

namespace hv {

// The id of a label that no code addresses; such ids may repeat within a window.
inline constexpr int32_t kUnaddressed = -1;

// Controls at (x, y) in their kind's usual height: a label 8, a check box 10, an edit box,
// a combo box and a button 14 unless told.
cControlLayout Label(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width,
                     uint32_t styles = 0);
cControlLayout Check(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width,
                     uint32_t styles = 0);
cControlLayout Edit(int32_t id, int32_t x, int32_t y, int32_t width, uint32_t styles = 0);
cControlLayout Button(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width = 55,
                      int32_t height = 14);

// What stands right of a row's label: an edit or combo box of the form's field height.
struct cRowField {
  eControlKind kind = eControlKind::kEdit;
  int32_t id = 0;
  int32_t width = 0;
  uint32_t styles = 0;
};
inline cRowField EditField(int32_t id, int32_t width, uint32_t styles = 0) {
  return {eControlKind::kEdit, id, width, styles};
}
inline cRowField ComboField(int32_t id, int32_t width, uint32_t styles = 0) {
  return {eControlKind::kComboBox, id, width, styles};
}

struct cFormGeometry {
  int32_t label_x = 7;
  int32_t label_width = 58;
  int32_t field_x = 68;
  int32_t top = 7;  // the first row's field
  int32_t pitch = 18;
  int32_t field_height = 14;
  int32_t label_drop = 3;  // a label sits this much lower than its field, level with its text
};

// Appends rows of a form to a layout's controls, each label right before its field so the
// toolkit can tie the two together for keyboard and screen-reader users. Other controls may
// be appended to the layout between rows; the order of the list is the order of the window.
class cFormRows {
 public:
  cFormRows(cDialogLayout& layout, const cFormGeometry& geometry);

  // The next row goes to `top`; later rows follow it a pitch apart.
  cFormRows& At(int32_t top);
  // A row at `top` with no label of the form's own, for controls placed beside.
  cFormRows& Row(int32_t top);
  // A row: its label (unaddressed, or `label_id`), then the field.
  cFormRows& Field(const char* label, const cRowField& field);
  cFormRows& Field(int32_t label_id, const char* label, const cRowField& field);
  // On the row just added: a further label, or a further field, at `x`.
  cFormRows& BesideLabel(int32_t id, const char* caption, int32_t x, int32_t width,
                         uint32_t styles = 0);
  cFormRows& BesideField(int32_t x, const cRowField& field);

  // The top of the row just added.
  int32_t RowTop() const { return row_top_; }

 private:
  cDialogLayout& layout_;
  cFormGeometry geometry_;
  int32_t row_top_;
  int32_t next_top_;
};

struct cButtonSpec {
  int32_t id = 0;
  const char* caption = "";
  eControlKind kind = eControlKind::kPushButton;
};

// Buttons of one size one under the other `pitch` apart, or side by side from `left`.
void AddButtonColumn(cDialogLayout& layout, int32_t x, int32_t top,
                     std::initializer_list<cButtonSpec> buttons, int32_t width = 55,
                     int32_t pitch = 18);
void AddButtonRow(cDialogLayout& layout, int32_t left, int32_t y, int32_t width, int32_t pitch,
                  std::initializer_list<cButtonSpec> buttons, int32_t height = 14);

}  // namespace hv

#endif  // HV_CLIENT_UI_LAYOUT_ROWS_H_
