#include "tools/hvbridge/house_mirror.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace hv::bridge {
namespace {

BridgeItem Listed(const std::string& name, uint32_t status) {
  BridgeItem item;
  item.kind = ItemKind::kSwitch;
  item.name = name;
  item.status = status;
  return item;
}

class HouseMirrorTest : public ::testing::Test {
 protected:
  HouseMirrorTest() { house_.SetIdentity("server:1", "Maple"); }

  void List(std::initializer_list<BridgeItem> items) {
    house_.BeginRefresh(ItemKind::kSwitch);
    for (const BridgeItem& item : items) {
      const Status staged = house_.Stage(item);
      ASSERT_TRUE(staged.ok()) << staged.ToString();
    }
    house_.EndList(ItemKind::kSwitch);
  }

  cHouseMirror house_;
};

// Commands find items by their topic level through an index that points into the lists;
// it must follow the items from the list that arrives to the current one, and forget the
// ones a refresh dropped.
TEST_F(HouseMirrorTest, ItemsAreFoundByTopicAcrossRefreshes) {
  List({Listed("Porch", 2), Listed("Hall", 3), Listed("Porch", 4)});
  ASSERT_EQ(house_.Count(), 2u);
  const BridgeItem* porch = house_.Find(ItemKind::kSwitch, "Porch");
  ASSERT_NE(porch, nullptr);
  EXPECT_EQ(porch->status, 4u);  // listed twice: the last one holds
  const std::string porch_segment = SegmentOf(*porch);
  const std::string hall_segment = SegmentOf(*house_.Find(ItemKind::kSwitch, "Hall"));
  EXPECT_EQ(house_.FindBySegment(ItemKind::kSwitch, porch_segment), porch);
  EXPECT_EQ(house_.FindBySegment(ItemKind::kSensor, porch_segment), nullptr);

  // The next login lists the porch again and a new lamp, not the hall; until the list ends
  // the old items answer.
  house_.BeginRefresh(ItemKind::kSwitch);
  ASSERT_TRUE(house_.Stage(Listed("Lamp", 2)).ok());
  ASSERT_TRUE(house_.Stage(Listed("Porch", 3)).ok());
  EXPECT_NE(house_.FindBySegment(ItemKind::kSwitch, hall_segment), nullptr);
  EXPECT_EQ(house_.FindBySegment(ItemKind::kSwitch, "lamp"), nullptr);
  house_.EndList(ItemKind::kSwitch);

  EXPECT_EQ(house_.FindBySegment(ItemKind::kSwitch, hall_segment), nullptr);
  BridgeItem* again = house_.FindBySegment(ItemKind::kSwitch, porch_segment);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->name, "Porch");
  EXPECT_EQ(again->status, 3u);
  const BridgeItem* lamp = house_.Find(ItemKind::kSwitch, "Lamp");
  ASSERT_NE(lamp, nullptr);
  EXPECT_EQ(house_.FindBySegment(ItemKind::kSwitch, SegmentOf(*lamp)), lamp);
}

// A command's topic level comes from anyone on the broker: only an item's own level finds it,
// however the level's key digits are bent.
TEST_F(HouseMirrorTest, OnlyAnItemsOwnTopicLevelFindsIt) {
  List({Listed("Porch", 2), Listed("porch", 2)});
  const BridgeItem* porch = house_.Find(ItemKind::kSwitch, "Porch");
  const BridgeItem* lower = house_.Find(ItemKind::kSwitch, "porch");
  ASSERT_NE(porch, nullptr);
  ASSERT_NE(lower, nullptr);
  const std::string level = SegmentOf(*porch);
  ASSERT_NE(level, SegmentOf(*lower));  // one slug, two keys
  EXPECT_EQ(house_.FindBySegment(ItemKind::kSwitch, level), porch);
  EXPECT_EQ(house_.FindBySegment(ItemKind::kSwitch, SegmentOf(*lower)), lower);
  std::string upper = level;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string digits = level.substr(level.size() - 12);
  for (const std::string& bent :
       {std::string(), std::string("_"), digits, "_" + digits, "other_" + digits, upper,
        level + "0", level.substr(0, level.size() - 1) + "g", level + "/", std::string(1, '\0')}) {
    EXPECT_EQ(house_.FindBySegment(ItemKind::kSwitch, bent), nullptr) << bent;
  }
  EXPECT_EQ(house_.FindBySegment(ItemKind::kSensor, level), nullptr);
}

// The whole house is published an item at a time from where the last window stopped, even
// when that item has gone meanwhile.
TEST_F(HouseMirrorTest, ItemsAreWalkedInOrderFromAnyName) {
  List({Listed("B", 2), Listed("D", 2), Listed("A", 2)});
  std::string walked;
  for (const BridgeItem* item = house_.FirstItem(); item != nullptr;
       item = house_.ItemAfter({item->kind, item->name})) {
    walked += item->name;
  }
  EXPECT_EQ(walked, "ABD");
  EXPECT_EQ(house_.ItemAfter({ItemKind::kSwitch, "C"})->name, "D");
  EXPECT_EQ(house_.ItemAfter({ItemKind::kSwitch, "D"}), nullptr);
}

// A hostile server that lists without end meets the limit: the items past it are declined
// with the reason the bridge logs, the house stays whole, and an item already listed is
// still updated.
TEST_F(HouseMirrorTest, ItemsPastTheLimitAreDeclinedAndTheHouseStays) {
  house_.BeginRefresh(ItemKind::kSwitch);
  for (size_t i = 0; i < cHouseMirror::kMaxItems; ++i) {
    ASSERT_TRUE(house_.Stage(Listed("S" + std::to_string(i), 2)).ok()) << i;
  }
  const Status refused = house_.Stage(Listed("One too many", 2));
  EXPECT_TRUE(refused.declined()) << refused.ToString();
  EXPECT_NE(refused.message().find("left out"), std::string::npos) << refused.ToString();
  EXPECT_TRUE(house_.Stage(Listed("S7", 3)).ok()) << "a listed item again is no new item";
  house_.EndList(ItemKind::kSwitch);
  EXPECT_EQ(house_.Count(), cHouseMirror::kMaxItems);
  EXPECT_EQ(house_.Find(ItemKind::kSwitch, "S7")->status, 3u);
  EXPECT_EQ(house_.Find(ItemKind::kSwitch, "One too many"), nullptr);
}

}  // namespace
}  // namespace hv::bridge
