#include "client/ui/layout_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace hv {

namespace {

using E = eControlKind;

// kind, id, caption, x, y, width, height, styles of every control, for one comparison.
auto Placed(const cDialogLayout& layout) {
  std::vector<std::tuple<E, int32_t, std::string, int32_t, int32_t, int32_t, int32_t, uint32_t>>
      placed;
  for (const cControlLayout& c : layout.controls) {
    placed.emplace_back(c.kind, c.id, c.caption, c.x, c.y, c.width, c.height, c.styles);
  }
  return placed;
}

TEST(LayoutRowsTest, FormRowsStackLabelsBeforeTheirFieldsAndBesideStaysOnTheRow) {
  cDialogLayout layout;
  cFormRows rows(layout, {.label_x = 7, .label_width = 58, .field_x = 68, .top = 7});
  rows.Field("Name:", ComboField(10, 122, kComboSorted));
  rows.Field(11, "Port:", EditField(12, 44, kEditNumber)).BesideLabel(13, "note", 120, 40);
  rows.At(100).Field("Next:", EditField(14, 30));
  rows.Row(200).BesideField(150, EditField(15, 20));
  const decltype(Placed(layout)) expected = {
      {E::kLabel, kUnaddressed, "Name:", 7, 10, 58, 8, 0},
      {E::kComboBox, 10, "", 68, 7, 122, 14, kComboSorted},
      {E::kLabel, 11, "Port:", 7, 28, 58, 8, 0},
      {E::kEdit, 12, "", 68, 25, 44, 14, kEditNumber},
      {E::kLabel, 13, "note", 120, 28, 40, 8, 0},
      {E::kLabel, kUnaddressed, "Next:", 7, 103, 58, 8, 0},
      {E::kEdit, 14, "", 68, 100, 30, 14, 0},
      {E::kEdit, 15, "", 150, 200, 20, 14, 0},
  };
  EXPECT_EQ(Placed(layout), expected);
}

TEST(LayoutRowsTest, ButtonColumnsAndRowsKeepOneSizeAndTheirKinds) {
  cDialogLayout layout;
  AddButtonColumn(layout, 200, 7, {{1, "OK", eControlKind::kDefaultButton}, {2, "Cancel"}});
  AddButtonRow(layout, 10, 50, 40, 45, {{3, "A"}, {4, "B"}}, 20);
  layout.controls.push_back(Check(5, "Box", 1, 2, 30, kControlHidden));
  const decltype(Placed(layout)) expected = {
      {E::kDefaultButton, 1, "OK", 200, 7, 55, 14, 0},
      {E::kPushButton, 2, "Cancel", 200, 25, 55, 14, 0},
      {E::kPushButton, 3, "A", 10, 50, 40, 20, 0},
      {E::kPushButton, 4, "B", 55, 50, 40, 20, 0},
      {E::kCheckBox, 5, "Box", 1, 2, 30, 10, kControlHidden},
  };
  EXPECT_EQ(Placed(layout), expected);
}

}  // namespace

}  // namespace hv
