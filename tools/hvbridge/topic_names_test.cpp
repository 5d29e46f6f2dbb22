#include "tools/hvbridge/topic_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/hvbridge/bridge_item.h"

namespace hv::bridge {
namespace {

TEST(TopicSafeTest, KeepsOnlyLowerCaseLettersDigitsAndSingleUnderscores) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"Porch Light", "porch_light"},
      {std::string("a/b+c#d\0e", 9), "a_b_c_d_e"},
      {"  //Hall--Light 2  ", "hall_light_2"},
      {"Caf\xe9 K\xc3\xbc"
       "che",
       "caf_k_che"},
      {"", "item"},
      {"/+#", "item"},
  };
  for (const auto& c : cases) EXPECT_EQ(TopicSafe(c.in, 32), c.out) << c.in;
  const std::string slug = TopicSafe(std::string(4000, 'x'), 32);
  EXPECT_EQ(slug.size(), 32u);
}

TEST(ItemKeyTest, SameItemSameKeyAndEveryPartCounts) {
  const std::string key = ItemKey("127.0.0.1:1234", "Maple", ItemKind::kSwitch, "Porch");
  EXPECT_EQ(key.size(), 16u);
  EXPECT_EQ(key, ItemKey("127.0.0.1:1234", "Maple", ItemKind::kSwitch, "Porch"));
  EXPECT_NE(key, ItemKey("127.0.0.1:1235", "Maple", ItemKind::kSwitch, "Porch"));
  EXPECT_NE(key, ItemKey("127.0.0.1:1234", "Maple2", ItemKind::kSwitch, "Porch"));
  EXPECT_NE(key, ItemKey("127.0.0.1:1234", "Maple", ItemKind::kSensor, "Porch"));
  EXPECT_NE(key, ItemKey("127.0.0.1:1234", "Maple", ItemKind::kSwitch, "porch"));
  // Parts are kept apart: moving a byte from one part to the next makes another key.
  EXPECT_NE(ItemKey("ab", "c", ItemKind::kSwitch, "x"), ItemKey("a", "bc", ItemKind::kSwitch, "x"));
  EXPECT_NE(HouseKey("s", "Maple"), HouseKey("s", "Maple2"));
  // Home Assistant knows every entity by these: they never change between versions (the
  // values are BLAKE2b-128 over the length-prefixed parts, worked out apart from this code).
  EXPECT_EQ(key, "7a488781d3f9be6c");
  EXPECT_EQ(KeyText(ItemKeyValue("127.0.0.1:1234", "Maple", ItemKind::kSwitch, "Porch")), key);
  EXPECT_EQ(HouseKey("s", "Maple"), "5225bfa5b6fd2c94");
  std::string segment = "x/";
  AppendItemSegment("Porch", 0x7a488781d3f9be6cu, &segment);
  EXPECT_EQ(segment, "x/" + ItemSegment("Porch", key));
}

TEST(ItemSegmentTest, NamesThatSlugAlikeGetTheirOwnSegments) {
  const std::string a =
      ItemSegment("Porch Light", ItemKey("s", "h", ItemKind::kSwitch, "Porch Light"));
  const std::string b =
      ItemSegment("porch/light", ItemKey("s", "h", ItemKind::kSwitch, "porch/light"));
  EXPECT_EQ(a.rfind("porch_light_", 0), 0u);
  EXPECT_NE(a, b);
  const std::string hostile(4000, '#');
  const std::string segment = ItemSegment(hostile, ItemKey("s", "h", ItemKind::kSwitch, hostile));
  EXPECT_LE(segment.size(), 45u);
  EXPECT_EQ(segment.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_"), std::string::npos);
}

TEST(PrefixProblemTest, RefusesWildcardsEmptyLevelsAndControlBytes) {
  EXPECT_EQ(PrefixProblem("hearthview/maple"), "");
  EXPECT_EQ(PrefixProblem("homeassistant"), "");
  const std::vector<std::string> bad_prefixes = {"",
                                                 "/a",
                                                 "a/",
                                                 "a//b",
                                                 "a/+",
                                                 "a/#",
                                                 std::string("a\0b", 3),
                                                 std::string("a\tb"),
                                                 std::string(201, 'a')};
  for (const std::string& bad : bad_prefixes) {
    EXPECT_NE(PrefixProblem(bad), "") << bad;
  }
}

TEST(DisplayTextTest, DecodesCodePageTextDropsControlsAndCutsAtCharacters) {
  EXPECT_EQ(DisplayText("Caf\xe9", 200), "Caf\xc3\xa9");            // Windows-1252
  EXPECT_EQ(DisplayText("Caf\xc3\xa9", 200), "Caf\xc3\xa9");        // already UTF-8
  EXPECT_EQ(DisplayText(std::string("a\0b\nc", 5), 200), "a b c");  // no control characters
  EXPECT_EQ(DisplayText("\xe9\xe9\xe9", 5), "\xc3\xa9\xc3\xa9");    // never half a character
}

}  // namespace
}  // namespace hv::bridge
