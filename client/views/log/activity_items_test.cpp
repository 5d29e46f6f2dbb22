#include "client/views/log/activity_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hv {

namespace {

LogItemRecord FullEntry() {
  LogItemRecord entry;
  entry.entry_type = 6;
  entry.name = "Porch light";
  entry.message = std::string(300, 'm').c_str();
  entry.path = "Outside/Porch";
  entry.function_code = 2;
  entry.value = 21.5;
  entry.extra = -7;
  entry.date_text = "01/02/2010";
  entry.time_text = "10:00:00 AM";
  entry.detail1 = 11;
  entry.detail2 = 12;
  return entry;
}

TEST(ActivityItemTest, KeepsEveryFieldOfTheEntry) {
  CActivityItemList list;
  const LogItemRecord entry = FullEntry();
  const CActivityItem* item = list.Append(entry, 1);
  ASSERT_NE(item, nullptr);
  EXPECT_STREQ(item->Name(), "Porch light");
  EXPECT_EQ(std::string(item->Message()), std::string(300, 'm'));
  EXPECT_STREQ(item->Path(), "Outside/Porch");
  EXPECT_STREQ(item->DateText(), "01/02/2010");
  EXPECT_STREQ(item->TimeText(), "10:00:00 AM");
  EXPECT_EQ(item->ShowFlag(), 1);

  const LogItemRecord back = item->Entry();
  EXPECT_EQ(back.entry_type, 6);
  EXPECT_STREQ(back.name.CStr(), "Porch light");
  EXPECT_EQ(back.message.GetLength(), 300u);
  EXPECT_STREQ(back.path.CStr(), "Outside/Porch");
  EXPECT_EQ(back.function_code, 2);
  EXPECT_EQ(back.value, 21.5);
  EXPECT_EQ(back.extra, -7);
  EXPECT_STREQ(back.date_text.CStr(), "01/02/2010");
  EXPECT_STREQ(back.time_text.CStr(), "10:00:00 AM");
  EXPECT_EQ(back.detail1, 11);
  EXPECT_EQ(back.detail2, 12);

  // Empty texts in any place keep the others where they were.
  LogItemRecord sparse;
  sparse.message = "only the message";
  sparse.time_text = "09:00:00 PM";
  const CActivityItem* other = list.Append(sparse, 0);
  ASSERT_NE(other, nullptr);
  EXPECT_STREQ(other->Name(), "");
  EXPECT_STREQ(other->Message(), "only the message");
  EXPECT_STREQ(other->Path(), "");
  EXPECT_STREQ(other->DateText(), "");
  EXPECT_STREQ(other->TimeText(), "09:00:00 PM");
  EXPECT_EQ(other->Entry().name.GetCapacity(), 0u);  // as a record that never had a name
}

TEST(ActivityItemTest, TheListLetsGoOldestFirstAndAHeldItemOutlivesIt) {
  std::vector<std::string> forgotten;
  CActivityItemList list;
  list.SetForgetHook([&](const CActivityItem* item) {
    forgotten.emplace_back(item->Name());
    EXPECT_EQ(list.Count(), 2u - forgotten.size());  // already out of the list
  });
  LogItemRecord entry;
  entry.name = "first";
  const CActivityItem* first = list.Append(entry, 1);
  entry.name = "second";
  list.Append(entry, 1);
  first->Hold();  // as a log row does
  EXPECT_STREQ(list.At(0)->Name(), "first");
  EXPECT_EQ(list.At(2), nullptr);

  list.Clear();
  EXPECT_EQ(forgotten, (std::vector<std::string>{"first", "second"}));
  EXPECT_TRUE(list.Empty());
  EXPECT_FALSE(list.RemoveOldest());
  EXPECT_STREQ(first->Name(), "first");  // still readable: the hold keeps it
  first->Release();
}

}  // namespace

}  // namespace hv
