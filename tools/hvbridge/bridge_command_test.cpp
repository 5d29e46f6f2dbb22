#include "tools/hvbridge/bridge_command.h"

#include <gtest/gtest.h>

#include <string>

namespace hv::bridge {
namespace {

const char kPrefix[] = "hearthview/maple";

ParsedCommand Parse(const std::string& topic, const std::string& payload) {
  return ParseCommand(kPrefix, std::string(kPrefix) + "/" + topic, payload);
}

TEST(BridgeCommandTest, SwitchTakesOnOffToggleAndLevels) {
  const struct {
    const char* payload;
    CommandAction action;
    int level;
  } good[] = {{"ON", CommandAction::kOn, 0},          {" off\n", CommandAction::kOff, 0},
              {"Toggle", CommandAction::kToggle, 0},  {"0", CommandAction::kBrightness, 0},
              {"40", CommandAction::kBrightness, 40}, {"100", CommandAction::kBrightness, 100}};
  for (const auto& c : good) {
    const ParsedCommand parsed = Parse("switch/porch_light_0123456789ab/set", c.payload);
    ASSERT_TRUE(parsed.ok) << c.payload << ": " << parsed.problem;
    EXPECT_EQ(parsed.command.action, c.action) << c.payload;
    EXPECT_EQ(parsed.command.level, c.level) << c.payload;
    EXPECT_EQ(parsed.command.kind, ItemKind::kSwitch);
    EXPECT_EQ(parsed.command.segment, "porch_light_0123456789ab");
  }
  for (const char* bad : {"", "101", "-1", "4.5", "1e2", "0x10", "dim", "ON please", "0100"}) {
    const ParsedCommand parsed = Parse("switch/porch/set", bad);
    EXPECT_FALSE(parsed.ok) << bad;
    EXPECT_FALSE(parsed.problem.empty()) << bad;
  }
}

TEST(BridgeCommandTest, EachKindTakesOnlyItsOwnWords) {
  EXPECT_EQ(Parse("macro/m/set", "start").command.action, CommandAction::kStart);
  EXPECT_EQ(Parse("macro/m/set", "STOP").command.action, CommandAction::kStop);
  EXPECT_EQ(Parse("mode/m/set", "ACTIVE").command.action, CommandAction::kActivate);
  EXPECT_EQ(Parse("mode/m/set", "INACTIVE").command.action, CommandAction::kDeactivate);
  EXPECT_EQ(Parse("sensor/s/set", "ON").command.action, CommandAction::kOn);
  EXPECT_EQ(Parse("camera/c/snap", "").command.action, CommandAction::kSnap);
  EXPECT_FALSE(Parse("macro/m/set", "ON").ok);
  EXPECT_FALSE(Parse("mode/m/set", "TOGGLE").ok);
  EXPECT_FALSE(Parse("sensor/s/set", "50").ok);
  EXPECT_FALSE(Parse("camera/c/set", "ON").ok);
}

TEST(BridgeCommandTest, TheHousesOwnControlsTakeOnOrOff) {
  const ParsedCommand pause = Parse("server/pause/set", "on");
  ASSERT_TRUE(pause.ok) << pause.problem;
  EXPECT_EQ(pause.command.action, CommandAction::kPause);
  EXPECT_EQ(pause.command.level, 1);
  EXPECT_EQ(Parse("server/mute/set", "OFF").command.action, CommandAction::kMute);
  EXPECT_EQ(Parse("server/mute/set", "OFF").command.level, 0);
  EXPECT_EQ(Parse("server/night/set", "ON").command.action, CommandAction::kNight);
  for (const auto& [topic, payload] : {std::pair{"server/night/set", "1"},
                                       {"server/pause/set", "TOGGLE"},
                                       {"server/time/set", "ON"},
                                       {"server/pause/state", "ON"}}) {
    EXPECT_FALSE(Parse(topic, payload).ok) << topic << " " << payload;
  }
}

TEST(BridgeCommandTest, RefusesTopicsThatAreNotCommandTopics) {
  EXPECT_FALSE(ParseCommand(kPrefix, "hearthview/maplex/switch/a/set", "ON").ok);
  EXPECT_FALSE(ParseCommand(kPrefix, "other/switch/a/set", "ON").ok);
  for (const char* topic : {"switch/a/state", "switch//set", "switch/a/set/more", "lamp/a/set",
                            "switch/set", "x10/other", ""}) {
    EXPECT_FALSE(Parse(topic, "ON").ok) << topic;
  }
  EXPECT_FALSE(Parse("switch/a/set", std::string(5000, '1')).ok);
}

TEST(BridgeCommandTest, RawX10CodesAreCheckedFieldByField) {
  const ParsedCommand parsed =
      Parse("x10/send", R"({"house":"c","unit":16,"function":"dim","dim":40})");
  ASSERT_TRUE(parsed.ok) << parsed.problem;
  EXPECT_EQ(parsed.command.action, CommandAction::kX10);
  EXPECT_EQ(parsed.command.x10_house, 2u);
  EXPECT_EQ(parsed.command.x10_unit, 15u);
  EXPECT_EQ(parsed.command.x10_function, 4u);
  EXPECT_EQ(parsed.command.x10_dim, 40u);
  const ParsedCommand all = Parse("x10/send", R"({"house":"P","unit":"all","function":3})");
  ASSERT_TRUE(all.ok) << all.problem;
  EXPECT_EQ(all.command.x10_unit, 255u);
  EXPECT_EQ(all.command.x10_function, 3u);
  for (const char* bad :
       {"", "[]", "{", R"({"house":"Q","unit":1,"function":"on"})",
        R"({"house":"AB","unit":1,"function":"on"})", R"({"house":"A","unit":0,"function":"on"})",
        R"({"house":"A","unit":17,"function":"on"})",
        R"({"house":"A","unit":1,"function":"explode"})", R"({"house":"A","unit":1,"function":7})",
        R"({"house":"A","unit":1,"function":"dim","dim":101})",
        R"({"house":"A","unit":1,"function":"dim","dim":"40"})",
        R"({"house":"A","unit":1.5,"function":"on"})", R"({"unit":1,"function":"on"})"}) {
    EXPECT_FALSE(Parse("x10/send", bad).ok) << bad;
  }
}

}  // namespace
}  // namespace hv::bridge
