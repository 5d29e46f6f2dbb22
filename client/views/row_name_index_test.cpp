#include "client/views/row_name_index.h"

#include <gtest/gtest.h>

namespace {

TEST(RowNameIndexTest, FindsEveryRowOfAnExactNameAndOwnsItsCopies) {
  cRowNameIndex index;
  swString name = "Porch";
  const swString* first = index.Append(name);
  index.Append("porch");
  index.Append("Porch");
  index.Append(swString("Caf\xE9"));
  name = "changed";  // the index keeps its own copy
  EXPECT_STREQ(first->CStr(), "Porch");
  ASSERT_NE(index.Rows("Porch"), nullptr);
  EXPECT_EQ(*index.Rows("Porch"), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(*index.Rows("porch"), (std::vector<int32_t>{1}));
  EXPECT_EQ(index.Rows("Porc"), nullptr);
  EXPECT_EQ(index.Rows("Caf\xC3\xA9"), nullptr);  // bytes, not characters, are compared
  EXPECT_EQ(*index.Rows("Caf\xE9"), (std::vector<int32_t>{3}));
  EXPECT_EQ(index.RowOf(first), 0);
  EXPECT_EQ(index.RowOf(&name), -1);
  EXPECT_EQ(index.Name(2)->CStr(), std::string("Porch"));
  EXPECT_EQ(index.Name(4), nullptr);

  index.Clear();
  EXPECT_EQ(index.Count(), 0);
  EXPECT_EQ(index.Rows("Porch"), nullptr);
  index.Append("Next");
  EXPECT_EQ(*index.Rows("Next"), (std::vector<int32_t>{0}));
}

}  // namespace
