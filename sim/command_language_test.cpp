#include "sim/command_language.h"

#include <gtest/gtest.h>

#include "sim/house_file.h"

namespace hv::sim {
namespace {

class CommandLanguageTest : public ::testing::Test {
 protected:
  FakeSimClock clock;
  House house{DemoHouse(), clock};

  std::string Run(const std::string& line) {
    CommandResult result;
    if (!RunCommandLine(house, line, "tester", &result)) return "(skipped)";
    return result.line;
  }
};

TEST_F(CommandLanguageTest, CommandsChangeTheHouse) {
  EXPECT_EQ(Run("switch \"Porch Light\" on"), "OK switch \"Porch Light\" on");
  EXPECT_EQ(house.FindSwitch("Porch Light")->status, static_cast<uint32_t>(kOn));
  EXPECT_EQ(Run("switch living room lamp dim 25"), "OK switch living room lamp dim 25");
  EXPECT_EQ(house.FindSwitch("Living Room Lamp")->value, 25);
  EXPECT_EQ(Run("switch Hall Light toggle"), "OK switch Hall Light toggle");
  EXPECT_EQ(house.FindSwitch("Hall Light")->status, static_cast<uint32_t>(kOff));
  EXPECT_EQ(Run("sensor Hall Motion motion"), "OK sensor Hall Motion motion");
  EXPECT_EQ(house.FindSensor("Hall Motion")->status, static_cast<uint32_t>(kMotion));
  EXPECT_EQ(Run("sensor \"Outside Temp\" 17 -3.5"), "OK sensor \"Outside Temp\" 17 -3.5");
  EXPECT_EQ(house.FindSensor("Outside Temp")->value, -3.5);
  EXPECT_EQ(Run("macro \"Water Lawn\" run"), "OK macro \"Water Lawn\" run");
  EXPECT_EQ(house.FindMacro("Water Lawn")->status, static_cast<uint32_t>(kMacroRunning));
  EXPECT_EQ(Run("macro Water Lawn stop"), "OK macro Water Lawn stop");
  EXPECT_EQ(house.FindMacro("Water Lawn")->status, static_cast<uint32_t>(kMacroMonitoring));
  EXPECT_EQ(Run("mode Vacation on"), "OK mode Vacation on");
  EXPECT_TRUE(house.FindMode("Vacation")->active);
  EXPECT_EQ(Run("x10 B dance"), "ERROR x10 B dance: unknown X10 function \"dance\"");
  EXPECT_EQ(Run("x10 A alloff"), "OK x10 A alloff");
  EXPECT_EQ(house.FindSwitch("Porch Light")->status, static_cast<uint32_t>(kOff));
  EXPECT_EQ(Run("lightdark night"), "OK lightdark night");
  EXPECT_TRUE(house.data().facts.dark);
  size_t before = house.log_size();
  EXPECT_EQ(Run("log \"Hello, house\""), "OK log \"Hello, house\"");
  EXPECT_EQ(house.RecentLog(1)[0].message, "Hello, house");
  EXPECT_EQ(house.log_size(), before + 1);
}

TEST_F(CommandLanguageTest, MistakesAreReportedAndChangeNothing) {
  EXPECT_EQ(Run("switch Nowhere on"), "ERROR switch Nowhere on: no switch named \"Nowhere\"");
  EXPECT_EQ(Run("switch Porch Light dim 150"),
            "ERROR switch Porch Light dim 150: dim level must be from 0 to 100");
  EXPECT_EQ(Run("switch Porch Light dim"),
            "ERROR switch Porch Light dim: dim needs a level from 0 to 100");
  EXPECT_EQ(Run("macro Vacation Lights run"),
            "ERROR macro Vacation Lights run: declined by the house");  // it is disabled
  EXPECT_EQ(Run("mode Home maybe"), "ERROR mode Home maybe: usage: mode <name> on|off");
  EXPECT_EQ(Run("x10 Z9 on"), "ERROR x10 Z9 on: bad X10 address \"Z9\"");
  EXPECT_EQ(Run("dance"), "ERROR dance: unknown command \"dance\"");
  EXPECT_EQ(Run("   # just a comment"), "(skipped)");
  EXPECT_EQ(house.FindSwitch("Porch Light")->status, static_cast<uint32_t>(kOff));
}

TEST_F(CommandLanguageTest, AQuotedNameEndsAtItsClosingQuote) {
  EXPECT_EQ(Run("sensor \"Living Room Temp\" temperature 23.5"),
            "OK sensor \"Living Room Temp\" temperature 23.5");
  EXPECT_EQ(house.FindSensor("Living Room Temp")->status, static_cast<uint32_t>(kTemperature));
  EXPECT_EQ(house.FindSensor("Living Room Temp")->value, 23.5);
  // The same without quotes: the status word and the reading are taken from the end.
  EXPECT_EQ(Run("sensor Outside Temp temperature -2"), "OK sensor Outside Temp temperature -2");
  EXPECT_EQ(house.FindSensor("Outside Temp")->value, -2);
  // A number right after a quoted name is the status code, not part of the name.
  EXPECT_EQ(Run("sensor \"Mailbox\" 17"), "OK sensor \"Mailbox\" 17");
  EXPECT_EQ(house.FindSensor("Mailbox")->status, 17u);
  EXPECT_EQ(Run("switch \"Porch Light\" dim 30"), "OK switch \"Porch Light\" dim 30");
  EXPECT_EQ(house.FindSwitch("Porch Light")->value, 30);
  EXPECT_EQ(Run("macro \"Water Lawn\" run"), "OK macro \"Water Lawn\" run");
  EXPECT_EQ(Run("snap \"Front Porch\""), "OK snap \"Front Porch\"");

  // Words after a quoted name that its command does not take are refused, not glued on.
  EXPECT_EQ(Run("switch \"Porch Light\" extra on"),
            "ERROR switch \"Porch Light\" extra on: unknown switch action \"extra\"");
  EXPECT_EQ(Run("switch \"Porch Light\" dim 30 more"),
            "ERROR switch \"Porch Light\" dim 30 more: unexpected \"more\" after the name");
  EXPECT_EQ(Run("sensor \"Mailbox\" on x"),
            "ERROR sensor \"Mailbox\" on x: unexpected \"x\" after the name");
  EXPECT_EQ(Run("mode \"Vacation\" now on"),
            "ERROR mode \"Vacation\" now on: unexpected \"now\" after the name");
  EXPECT_EQ(Run("snap \"Front Porch\" twice"),
            "ERROR snap \"Front Porch\" twice: unexpected \"twice\" after the name");
  EXPECT_EQ(Run("sensor \"\" on"), "ERROR sensor \"\" on: missing sensor name");
  EXPECT_EQ(Run("mode \"Vacation on"), "ERROR mode \"Vacation on: missing closing quote");
  EXPECT_FALSE(house.FindMode("Vacation")->active);
  EXPECT_EQ(Run("log He said \"hi"), "OK log He said \"hi");  // a log text is taken as written
}

TEST_F(CommandLanguageTest, AFileGivesOneResultLinePerCommandAndStaysWithinItsLimit) {
  std::string response = RunCommandFile(house, "\r\nswitch Attic Fan off\r\n; note\nbogus\n", "");
  EXPECT_EQ(response, "OK switch Attic Fan off\r\nERROR bogus: unknown command \"bogus\"\r\n");

  std::string many;
  for (int i = 0; i < 500; ++i) many += "switch \"Porch Light\" on\n";
  response = RunCommandFile(house, many, "", 1000);
  EXPECT_LE(response.size(), 1000u);
  EXPECT_NE(response.find("ERROR response cut"), std::string::npos);
}

}  // namespace
}  // namespace hv::sim
