#include "sim/house_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/status.h"

namespace hv::sim {
namespace {

TEST(HouseFileTest, TheDemoHouseHasEverythingADemoNeeds) {
  HouseData house;
  const Status parsed = ParseHouseJson(DemoHouseJson(), &house);
  ASSERT_TRUE(parsed.ok()) << parsed.message();
  EXPECT_GE(house.switches.size(), 12u);
  for (uint32_t kind : {kX10Switch, kIoSwitch, kIoPaddleSwitch}) {
    bool found = false;
    for (const SwitchItem& s : house.switches) found = found || s.kind == kind;
    EXPECT_TRUE(found) << "switch kind " << kind;
  }
  EXPECT_GE(house.sensors.size(), 8u);
  for (SensorRole role : {SensorRole::kMotion, SensorRole::kDoor, SensorRole::kTemperature}) {
    bool found = false;
    for (const SensorItem& s : house.sensors) found = found || s.role == role;
    EXPECT_TRUE(found);
  }
  EXPECT_GE(house.macros.size(), 5u);
  EXPECT_GE(house.modes.size(), 3u);
  EXPECT_GE(house.video_sources.size(), 2u);
  EXPECT_EQ(house.users[0].name, "demo");
  EXPECT_EQ(house.users[0].password, "demo");
  EXPECT_EQ(house.switches[2].status, static_cast<uint32_t>(kDim));
  EXPECT_EQ(house.switches[2].value, 40);
  EXPECT_EQ(house.switches[0].address.house, 0);
  EXPECT_EQ(house.switches[0].address.unit, 0);
  EXPECT_EQ(house.macros[0].run_ms, 8000u);
  EXPECT_EQ(house.facts.dawn_minutes, 6 * 60 + 45);
}

TEST(HouseFileTest, MistakesAreReportedWithTheFieldTheyConcern) {
  const struct {
    const char* json;
    const char* error_part;
  } kCases[] = {
      {"", "not valid JSON: the file is empty"},
      {"{",
       "not valid JSON at line 1, column 2: found the end of the file where a name in double "
       "quotes was expected"},
      {"{\n  \"users\": [{\"name\": \"a\"}],\n  \"modes\": [} ]\n}",
       "not valid JSON at line 3, column 13: found '}' where a value was expected"},
      {"{\"users\": [{\"name\": \"a\"}], \"server\": {\"dark\": True}}",
       "not valid JSON at line 1, column 47: \"T\" is not a value"},
      {"{\"users\": [{\"name\": \"a\nb\"}]}",
       "not valid JSON at line 1, column 23: a text in double quotes is not right: control "
       "character U+000A (LF) must be escaped"},
      {"{\"users\": [{\"name\": \"a\"}]} /* unclosed", "a comment is not closed"},
      {"[]", "house: expected an object"},
      {R"({"users": []})", "users: at least one user"},
      {R"({"users": [{"name": "a"}], "colour": 1})", "unknown key \"colour\""},
      {R"({"users": [{"name": "a"}], "switches": [{"name": "x", "kind": "lamp"}]})",
       "switches[0].kind: expected one of x10, io, paddle"},
      {R"({"users": [{"name": "a"}], "switches": [{"name": "x"}, {"name": "x"}]})",
       "switches[1].name: \"x\" is listed twice"},
      {R"({"users": [{"name": "a"}], "modes": [{"name": ""}]})", "modes[0].name: an empty name"},
      {R"({"users": [{"name": "a"}], "sensors": [{"name": "s", "address": "Q1"}]})",
       "sensors[0].address"},
      {R"({"users": [{"name": "a"}], "switches": [{"name": "x", "value": 101}]})",
       "switches[0].value: must be from 0 to 100"},
      {R"({"users": [{"name": "a"}], "macros": [{"name": "m", "run_seconds": "long"}]})",
       "macros[0].run_seconds: expected a number"},
      {R"({"users": [{"name": "a"}], "server": {"dawn": "25:00"}})", "server.dawn"},
      {R"({"users": [{"name": "a"}], "video_sources": [{"name": "a", "number": 1},
          {"name": "b", "number": 1}]})",
       "video_sources[1].number: number is used twice"},
  };
  for (const auto& c : kCases) {
    HouseData house;
    const Status parsed = ParseHouseJson(c.json, &house);
    EXPECT_TRUE(parsed.Is(Where::kSim, kUnexpectedType)) << c.json;
    EXPECT_NE(parsed.message().find(c.error_part), std::string::npos) << parsed.message();
  }
}

TEST(HouseFileTest, LoadsAFileAndNamesItInErrors) {
  std::string dir = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
  std::string path = dir + "/house_file_test.json";
  {
    std::ofstream file(path);
    file << "// a tiny house\n{ \"users\": [{\"name\": \"ann\", \"password\": \"pw\"}],\n"
            "  \"switches\": [{\"name\": \"Lamp\", \"kind\": \"io\", \"status\": \"on\"}] }\n";
  }
  HouseData house;
  const Status loaded = LoadHouseFile(path, &house);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  EXPECT_EQ(house.switches[0].kind, static_cast<uint32_t>(kIoSwitch));
  EXPECT_EQ(house.switches[0].value, 100);  // on means full level
  std::remove(path.c_str());
  const Status missing = LoadHouseFile(path, &house);
  EXPECT_EQ(missing.where(), Where::kFile);
  EXPECT_EQ(missing.message(), "\"" + path + "\" does not exist");
}

}  // namespace
}  // namespace hv::sim
