#include "client/views/devices/row_name_index.h"

#include <gtest/gtest.h>

#include <vector>

namespace hv {

namespace {

std::vector<int32_t> Rows(const cRowNameIndex& index, const char* name) {
  const std::span<const int32_t> rows = index.Rows(name);
  return std::vector<int32_t>(rows.begin(), rows.end());
}

TEST(RowNameIndexTest, FindsEveryRowOfAnExactNameAndOwnsItsCopies) {
  cRowNameIndex index;
  swString name = "Porch";
  const swString* first = index.Append(name);
  index.Append("porch");
  index.Append("Porch");
  index.Append(swString("Caf\xE9"));
  name = "changed";  // the index keeps its own copy
  EXPECT_STREQ(first->CStr(), "Porch");
  EXPECT_EQ(Rows(index, "Porch"), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(Rows(index, "porch"), (std::vector<int32_t>{1}));
  EXPECT_TRUE(index.Rows("Porc").empty());
  EXPECT_TRUE(index.Rows("Caf\xC3\xA9").empty());  // bytes, not characters, are compared
  EXPECT_EQ(Rows(index, "Caf\xE9"), (std::vector<int32_t>{3}));
  EXPECT_EQ(index.RowOf(first), 0);
  EXPECT_EQ(index.RowOf(&name), -1);
  EXPECT_EQ(index.Name(2)->CStr(), std::string("Porch"));
  EXPECT_EQ(index.Name(4), nullptr);

  index.Clear();
  EXPECT_EQ(index.Count(), 0);
  EXPECT_TRUE(index.Rows("Porch").empty());
  index.Append("Next");
  EXPECT_EQ(Rows(index, "Next"), (std::vector<int32_t>{0}));
}

TEST(RowNameIndexTest, ANameOnManyRowsKeepsThemInOrderAndCopiesStayPut) {
  cRowNameIndex index;
  std::vector<const swString*> copies;
  copies.reserve(3000);
  for (int32_t row = 0; row < 3000; ++row) {
    copies.push_back(
        index.Append(row % 1000 == 7 ? swString("Shared") : swString('x', 1 + row % 40)));
  }
  EXPECT_EQ(Rows(index, "Shared"), (std::vector<int32_t>{7, 1007, 2007}));
  // Every copy is still where it was handed out, and still knows its row.
  for (int32_t row = 0; row < 3000; ++row) {
    ASSERT_EQ(index.RowOf(copies[static_cast<size_t>(row)]), row);
    ASSERT_EQ(index.Name(row), copies[static_cast<size_t>(row)]);
  }
}

}  // namespace

}  // namespace hv
