#include "client/shell/desk/desk_texts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace hv {

namespace {

class DeskTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

TEST_F(DeskTextsTest, TitleUsesTheConnectionTextUpToItsControlFileName) {
  EXPECT_EQ(ComposeDeskTitle("", "10.0.0.5:1025"), "Varnholt (TM) Client - 10.0.0.5:1025");
  EXPECT_EQ(ComposeDeskTitle(">", "10.0.0.5:1025 - House.vhc - old"),
            "Varnholt (TM) Client - >10.0.0.5:1025");
  // A separator at the very start is not a separator: the whole text is kept.
  EXPECT_EQ(ComposeDeskTitle("", " - odd"), "Varnholt (TM) Client -  - odd");
  EXPECT_EQ(ComposeDeskTitle("<", ""), "Varnholt (TM) Client - <");
}

TEST_F(DeskTextsTest, ConnectionTextWithAndWithoutControlFile) {
  EXPECT_EQ(ConnectionText("host", 1025), "host:1025");
  EXPECT_EQ(ConnectionText("host", 80, "Main.vhc"), "host:80 - Main.vhc");
  // Before the first setup there is no address: the text says so instead of ":1025".
  EXPECT_EQ(ConnectionText("", 1025), "Not set up yet");
  EXPECT_EQ(ConnectionText("", 1025, "Main.vhc"), "Not set up yet");
  EXPECT_EQ(ComposeDeskTitle("", ConnectionText("", 1025), false),
            "Varnholt (TM) Client - Not set up yet");
}

TEST_F(DeskTextsTest, ServerTimeTextSaysWhyThereIsNoClock) {
  EXPECT_EQ(ServerTimeText(false, 1700000000), "Not Connected");
  EXPECT_EQ(ServerTimeText(true, 0), "Unable to get the server time");
  // 2023-11-14 22:13:20 UTC.
  EXPECT_EQ(ServerTimeText(true, 1700000000), "11/14/2023 - 10:13:20 PM");
}

TEST_F(DeskTextsTest, DawnAndDuskInTwelveHourClock) {
  // 06:45 and 19:30 UTC on 2024-01-15.
  const uint32_t day = 1705276800;
  EXPECT_EQ(DawnDuskText(day + 6 * 3600 + 45 * 60, day + 19 * 3600 + 30 * 60),
            "Dawn: 06:45 AM, Dusk: 07:30 PM");
}

}  // namespace

}  // namespace hv
