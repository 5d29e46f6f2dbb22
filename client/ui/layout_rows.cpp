#include "client/ui/layout_rows.h"

namespace hv {

namespace {

constexpr int32_t kLabelHeight = 8;
constexpr int32_t kCheckHeight = 10;
constexpr int32_t kBoxHeight = 14;

}  // namespace

cControlLayout Label(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width,
                     uint32_t styles) {
  return {eControlKind::kLabel, id, caption, x, y, width, kLabelHeight, styles};
}

cControlLayout Check(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width,
                     uint32_t styles) {
  return {eControlKind::kCheckBox, id, caption, x, y, width, kCheckHeight, styles};
}

cControlLayout Edit(int32_t id, int32_t x, int32_t y, int32_t width, uint32_t styles) {
  return {eControlKind::kEdit, id, "", x, y, width, kBoxHeight, styles};
}

cControlLayout Button(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width,
                      int32_t height) {
  return {eControlKind::kPushButton, id, caption, x, y, width, height, 0};
}

cFormRows::cFormRows(cDialogLayout& layout, const cFormGeometry& geometry)
    : layout_(layout), geometry_(geometry), row_top_(geometry.top), next_top_(geometry.top) {}

cFormRows& cFormRows::At(int32_t top) {
  next_top_ = top;
  return *this;
}

cFormRows& cFormRows::Row(int32_t top) {
  row_top_ = top;
  next_top_ = top + geometry_.pitch;
  return *this;
}

cFormRows& cFormRows::Field(const char* label, const cRowField& field) {
  return Field(kUnaddressed, label, field);
}

cFormRows& cFormRows::Field(int32_t label_id, const char* label, const cRowField& field) {
  Row(next_top_);
  layout_.controls.push_back(Label(label_id, label, geometry_.label_x,
                                   row_top_ + geometry_.label_drop, geometry_.label_width));
  return BesideField(geometry_.field_x, field);
}

cFormRows& cFormRows::BesideLabel(int32_t id, const char* caption, int32_t x, int32_t width,
                                  uint32_t styles) {
  layout_.controls.push_back(Label(id, caption, x, RowTop() + geometry_.label_drop, width, styles));
  return *this;
}

cFormRows& cFormRows::BesideField(int32_t x, const cRowField& field) {
  layout_.controls.push_back(
      {field.kind, field.id, "", x, RowTop(), field.width, geometry_.field_height, field.styles});
  return *this;
}

void AddButtonColumn(cDialogLayout& layout, int32_t x, int32_t top,
                     std::initializer_list<cButtonSpec> buttons, int32_t width, int32_t pitch) {
  int32_t y = top;
  for (const cButtonSpec& b : buttons) {
    layout.controls.push_back({b.kind, b.id, b.caption, x, y, width, kBoxHeight, 0});
    y += pitch;
  }
}

void AddButtonRow(cDialogLayout& layout, int32_t left, int32_t y, int32_t width, int32_t pitch,
                  std::initializer_list<cButtonSpec> buttons, int32_t height) {
  int32_t x = left;
  for (const cButtonSpec& b : buttons) {
    layout.controls.push_back({b.kind, b.id, b.caption, x, y, width, height, 0});
    x += pitch;
  }
}

}  // namespace hv
