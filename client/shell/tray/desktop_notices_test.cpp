#include "client/shell/tray/desktop_notices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"
#include "client/shell/setup/client_settings.h"
#include "client/ui/headless/headless_desktop_notifier.h"

namespace hv {

namespace {

class DesktopNoticesTest : public ::testing::Test {
 protected:
  DesktopNoticesTest() { settings_.desktop_notifications = 1; }

  LogItemRecord Entry(int32_t type, const char* name, const char* message) {
    LogItemRecord entry = MakeClientEntry(type, 0, 0, name, message);
    return entry;
  }
  StatusChangeRecord Change(const char* name, uint32_t status) {
    StatusChangeRecord record;
    record.name = name;
    record.status = status;
    return record;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const auto& sent : notifier_.notices) titles.push_back(sent.title);
    return titles;
  }

  cClientSettings settings_;
  cFakeClock clock_;
  cHeadlessDesktopNotifier notifier_;
  std::vector<std::string> balloons_;
  cDesktopNotices notices_{settings_, clock_, &notifier_, [this](const cDesktopNotice& n) {
                             balloons_.emplace_back(n.title.CStr());
                             return true;
                           }};
};

TEST_F(DesktopNoticesTest, ErrorsAndWarningsGoOutWithTheirIconAndNothingElseDoes) {
  notices_.ClientEntry(Entry(kEntryError, "Connection terminated", "Read error: -1"));
  notices_.ClientEntry(Entry(2, "Disk", "Nearly full"));
  notices_.ClientEntry(Entry(1, "Info", "Just so you know"));
  notices_.ClientEntry(Entry(kEntryX10Sensor, "Get Server Time", "Server Not Responding"));
  ASSERT_EQ(notifier_.notices.size(), 2u);
  EXPECT_EQ(notifier_.notices[0].title, "Error: Connection terminated");
  EXPECT_EQ(notifier_.notices[0].text, "Read error: -1");
  EXPECT_EQ(notifier_.notices[0].icon, eNoticeIcon::kError);
  // The activity log's own picture of the entry, 20 x 16.
  EXPECT_EQ(notifier_.notices[0].picture.Width(), 20u);
  EXPECT_EQ(notifier_.notices[0].picture.Height(), 16u);
  EXPECT_EQ(notifier_.notices[1].title, "Warning: Disk");
  EXPECT_EQ(notifier_.notices[1].icon, eNoticeIcon::kWarning);
}

TEST_F(DesktopNoticesTest, TurnedOffNothingIsSentAtAll) {
  settings_.desktop_notifications = 0;
  settings_.notify_sensors = "Front Door";
  notices_.ClientEntry(Entry(kEntryError, "A", "B"));
  clock_.Advance(60000);
  notices_.ServerLogItem(Entry(kEntryError, "C", "D"), this);
  clock_.Advance(60000);
  notices_.ServerLogItem(Entry(kEntryError, "C", "D"), this);
  ServerMessageRecord message;
  message.caption = "Hello";
  notices_.ServerMessage(message);
  notices_.SensorChanged(Change("Front Door", 1));
  EXPECT_TRUE(notifier_.notices.empty());
  EXPECT_TRUE(balloons_.empty());
}

TEST_F(DesktopNoticesTest, EachConnectionsHistoryIsLeftOutAndLaterItemsAreSent) {
  int first_connection = 0;
  int second_connection = 0;
  notices_.ServerLogItem(Entry(kEntryError, "old", "history"), &first_connection);
  clock_.Advance(cDesktopNotices::kHistoryMs - 1);
  notices_.ServerLogItem(Entry(kEntryError, "older", "history"), &first_connection);
  EXPECT_TRUE(notifier_.notices.empty());
  clock_.Advance(1);
  notices_.ServerLogItem(Entry(kEntryError, "new", "live"), &first_connection);
  EXPECT_EQ(Titles(), std::vector<std::string>{"Error: new"});
  // A new connection sends its history again.
  clock_.Advance(60000);
  notices_.ServerLogItem(Entry(kEntryError, "again", "history"), &second_connection);
  EXPECT_EQ(notifier_.notices.size(), 1u);
}

TEST_F(DesktopNoticesTest, OnlyTheChosenSensorsChangesAreSent) {
  settings_.notify_sensors = " front door ; ;Garage;";
  notices_.SensorChanged(Change("Front Door", 1));
  notices_.SensorChanged(Change("Hall Motion", 1));
  notices_.SensorChanged(Change("Garage", 0));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Front Door", "Garage"}));
  EXPECT_FALSE(notifier_.notices[0].text.empty());
  EXPECT_EQ(notifier_.notices[0].picture.Width(), 20u);
  EXPECT_EQ(cDesktopNotices::SensorNames(" a ;;b; "), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(cDesktopNotices::SensorNames("").empty());
  EXPECT_TRUE(cDesktopNotices::SensorNames(nullptr).empty());
}

TEST_F(DesktopNoticesTest, ServerMessagesGoOutWithTheirCaption) {
  ServerMessageRecord message;
  message.caption = "Doorbell";
  message.text = "Someone is at the door";
  message.plain = 1;
  notices_.ServerMessage(message);
  ASSERT_EQ(notifier_.notices.size(), 1u);
  EXPECT_EQ(notifier_.notices[0].title, "Doorbell");
  EXPECT_EQ(notifier_.notices[0].text, "Someone is at the door");
  EXPECT_EQ(notifier_.notices[0].icon, eNoticeIcon::kInformation);
}

TEST_F(DesktopNoticesTest, ADesktopWithoutTheServiceGetsTheTrayBalloon) {
  notifier_.available = false;
  notices_.ClientEntry(Entry(kEntryError, "Connection terminated", "gone"));
  EXPECT_TRUE(notifier_.notices.empty());
  EXPECT_EQ(balloons_, std::vector<std::string>{"Error: Connection terminated"});
}

TEST_F(DesktopNoticesTest, ABurstOfFailuresIsCutShort) {
  for (int i = 0; i < 3; ++i) notices_.ClientEntry(Entry(kEntryError, "Same", "again"));
  EXPECT_EQ(notifier_.notices.size(), 1u);
  for (int i = 0; i < 20; ++i) {
    notices_.ClientEntry(Entry(kEntryError, "Connection is lost", std::to_string(i).c_str()));
  }
  EXPECT_EQ(notifier_.notices.size(), cDesktopNotices::kBurstLimit);
  clock_.Advance(cDesktopNotices::kBurstMs);
  notices_.ClientEntry(Entry(kEntryError, "Same", "again"));
  EXPECT_EQ(notifier_.notices.size(), cDesktopNotices::kBurstLimit + 1);
}

}  // namespace

}  // namespace hv
