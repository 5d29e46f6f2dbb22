#include "client/cmdfile/dlg_command_file_monitoring.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "client/cmdfile/monitor_command_file.h"
#include "client/cmdfile/start_time_text.h"
#include "client/cmdfile/testing/monitor_text.h"
#include "client/platform/testing/fake_clock.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"

namespace hv {

namespace {

using hv::test::MonitorText;

// 2024-03-01 12:00:00 UTC.
constexpr uint32_t kMarchFirstNoon = 1709294400;

class CommandFileMonitoringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Start times are shown in local time; a fixed zone keeps the texts predictable.
    const char* tz = std::getenv("TZ");
    old_tz_ = tz != nullptr ? tz : "";
    had_tz_ = tz != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
    monitor_.monitored_directory = "/srv/drop";
    monitor_.response_file_name = "/srv/drop/answer.txt";
    monitor_.start_time = kMarchFirstNoon;
  }
  void TearDown() override {
    if (had_tz_) {
      setenv("TZ", old_tz_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

  int32_t Run(std::function<void(cHeadlessWindow&)> script) {
    toolkit_.QueueModalScript(std::move(script));
    CDlgCommandFileMonitoring dialog(toolkit_, clock_, nullptr, monitor_,
                                     [this](int32_t id) { help_ids_.push_back(id); });
    int32_t result = kResultCancel;
    EXPECT_TRUE(dialog.DoModal(&result).ok());
    return result;
  }

  static std::vector<std::string> Entries(cHeadlessWindow& w, int32_t id) {
    std::vector<std::string> texts;
    cComboBox* box = w.ComboBox(id);
    texts.reserve(box->EntryCount());
    for (int32_t i = 0; i < box->EntryCount(); ++i) texts.emplace_back(box->EntryText(i).CStr());
    return texts;
  }
  static bool Enabled(cHeadlessWindow& w, int32_t id) { return w.Control(id)->IsEnabled(); }
  static std::string Text(cHeadlessWindow& w, int32_t id) { return w.Control(id)->Text().CStr(); }

  std::string old_tz_;
  bool had_tz_ = false;
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  cMonitorCommandFile monitor_;
  std::vector<int32_t> help_ids_;
};

TEST_F(CommandFileMonitoringTest, ListsAndFieldsAreShown) {
  Run([&](cHeadlessWindow& w) {
    EXPECT_STREQ(w.Title().CStr(), "Command File Monitoring");
    EXPECT_EQ(Entries(w, kMonitorType),
              (std::vector<std::string>{"Polling", "Windows Notification (Instant)"}));
    EXPECT_EQ(Entries(w, kMonitorAction),
              (std::vector<std::string>{"Delete", "Move to Processed Directory"}));
    EXPECT_EQ(Entries(w, kMonitorIntervalUnit),
              (std::vector<std::string>{"Thousanths of Seconds", "Hundredths of Seconds",
                                        "Tenths of Seconds", "Seconds", "Minutes", "Hours", "Days",
                                        "Weeks", "Months", "Years"}));
    EXPECT_EQ(w.ComboBox(kMonitorIntervalUnit)->Selection(), 2);
    EXPECT_EQ(w.ComboBox(kMonitorType)->Selection(), 0);
    EXPECT_TRUE(w.Button(kMonitorEnabled)->GetCheck());
    EXPECT_EQ(Text(w, kMonitorDirectory), "/srv/drop");
    EXPECT_EQ(Text(w, kMonitorFileName), "VHCmd.txt");
    EXPECT_EQ(Text(w, kMonitorInterval), "5");
    EXPECT_EQ(Text(w, kMonitorStartTime), "2024-03-01 12:00:00");
    EXPECT_EQ(Text(w, kMonitorResponseFileName), "/srv/drop/answer.txt");
    w.PressHelp();
    w.PressEscape();
  });
  EXPECT_EQ(help_ids_, std::vector<int32_t>{1060});
}

TEST_F(CommandFileMonitoringTest, StartTimeZeroShowsNow) {
  monitor_.start_time = 0;
  clock_.SetLocalTime(2025, 6, 30, 23, 59, 58);
  Run([&](cHeadlessWindow& w) {
    EXPECT_EQ(Text(w, kMonitorStartTime), "2025-06-30 23:59:58");
    w.PressEscape();
  });
}

TEST_F(CommandFileMonitoringTest, EnablingRulesFollowEveryChange) {
  monitor_.create_response_file = 0;
  monitor_.action_when_done = 1;
  monitor_.monitor_type = 1;
  Run([&](cHeadlessWindow& w) {
    // As opened.
    EXPECT_FALSE(Enabled(w, kMonitorAppend));
    EXPECT_FALSE(Enabled(w, kMonitorResponseFileName));
    EXPECT_FALSE(Enabled(w, kMonitorResponseLabel));
    EXPECT_TRUE(Enabled(w, kMonitorProcessedDirectory));
    EXPECT_TRUE(Enabled(w, kMonitorProcessedLabel));
    EXPECT_FALSE(Enabled(w, kMonitorInterval));
    EXPECT_FALSE(Enabled(w, kMonitorIntervalUnit));
    EXPECT_FALSE(Enabled(w, kMonitorStartTime));
    EXPECT_FALSE(Enabled(w, kMonitorStartTimeLabel));

    w.Click(kMonitorCreateResponse);
    EXPECT_TRUE(Enabled(w, kMonitorAppend));
    EXPECT_TRUE(Enabled(w, kMonitorResponseFileName));
    w.Choose(kMonitorAction, 0);
    EXPECT_FALSE(Enabled(w, kMonitorProcessedDirectory));
    w.Choose(kMonitorType, 0);
    EXPECT_TRUE(Enabled(w, kMonitorInterval));
    EXPECT_TRUE(Enabled(w, kMonitorIntervalLabel));
    EXPECT_TRUE(Enabled(w, kMonitorStartTime));
    w.Choose(kMonitorType, 1);
    EXPECT_FALSE(Enabled(w, kMonitorInterval));
    w.Click(kMonitorCreateResponse);
    EXPECT_FALSE(Enabled(w, kMonitorAppend));
    w.PressEscape();
  });
}

TEST_F(CommandFileMonitoringTest, CancelLeavesTheCopyAndOkWritesItBack) {
  const cMonitorCommandFile before = monitor_;
  const auto edit = [](cHeadlessWindow& w) {
    w.Click(kMonitorEnabled);
    w.Choose(kMonitorType, 1);
    w.Type(kMonitorDirectory, "/home/u/in");
    w.Type(kMonitorFileName, "cmd.txt");
    w.Choose(kMonitorType, 0);
    w.Type(kMonitorStartTime, "2024-12-31 08:15:30");
    w.Type(kMonitorInterval, "30");
    w.Choose(kMonitorIntervalUnit, 4);
    w.Choose(kMonitorAction, 1);
    w.Type(kMonitorProcessedDirectory, "/home/u/done");
    w.Click(kMonitorAppend);
    w.Type(kMonitorResponseFileName, "/home/u/out.txt");
  };
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              edit(w);
              w.PressEscape();
            }),
            kResultCancel);
  EXPECT_EQ(MonitorText(monitor_), MonitorText(before));

  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              edit(w);
              w.Click(kResultOk);
            }),
            kResultOk);
  // 1735632930 is 2024-12-31 08:15:30 UTC.
  EXPECT_EQ(MonitorText(monitor_),
            "enabled 0, type 0, folder /home/u/in, file cmd.txt, start 1735632930, every 30 "
            "unit 4, when done 1, processed /home/u/done, response 1, append 1, to "
            "/home/u/out.txt");
}

TEST_F(CommandFileMonitoringTest, RefusedValuesKeepTheDialogOpen) {
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              w.Type(kMonitorStartTime, "2024-02-30 10:00:00");
              w.Click(kResultOk);
              EXPECT_TRUE(w.IsModalRunning());
              EXPECT_TRUE(w.Control(kMonitorStartTime)->HasFocus());
              w.Type(kMonitorStartTime, "2024-02-29 10:00:00");
              w.Type(kMonitorInterval, "-3");
              w.Click(kResultOk);
              EXPECT_TRUE(w.IsModalRunning());
              EXPECT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 2u);
              w.PressEscape();
            }),
            kResultCancel);
  EXPECT_EQ(monitor_.start_time, kMarchFirstNoon);
}

TEST_F(CommandFileMonitoringTest, UnknownStoredChoicesAreKept) {
  // Values no entry stands for (a damaged or newer settings file) survive an OK untouched.
  monitor_.monitor_type = 7;
  monitor_.interval_unit = 42;
  Run([&](cHeadlessWindow& w) {
    EXPECT_EQ(w.ComboBox(kMonitorType)->Selection(), -1);
    EXPECT_TRUE(Enabled(w, kMonitorInterval));
    w.Click(kResultOk);
  });
  EXPECT_EQ(monitor_.monitor_type, 7u);
  EXPECT_EQ(monitor_.interval_unit, 42u);
}

TEST(StartTimeTextTest, ParsesOnlyRealDatesAndTimes) {
  cLocalTime t;
  ASSERT_TRUE(ParseStartTime(" 2024-02-29 23:59:59 ", &t));
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.day, 29);
  EXPECT_EQ(t.second, 59);
  EXPECT_STREQ(FormatStartTime(t).CStr(), "2024-02-29 23:59:59");
  for (const char* bad :
       {"", "2023-02-29 10:00:00", "2024-13-01 00:00:00", "2024-01-01 24:00:00", "2024-01-01 10:00",
        "1969-12-31 23:59:59", "2024-01-01 10:00:00 x", "tomorrow"}) {
    EXPECT_FALSE(ParseStartTime(bad, &t)) << bad;
  }
}

}  // namespace

}  // namespace hv
