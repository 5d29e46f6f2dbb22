// The real program's windows (Qt, offscreen) against housesim under the locales of users
// whose numbers take a comma and whose clocks have no AM/PM: the lists, the log, the server
// clock, Dawn/Dusk and the thumbnails' labels read exactly as under the "C" locale. housesim
// runs in-process, so its own texts are made under the same locale.
#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <regex>
#include <string>

#include "client/shell/app/house_desk_app.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/ui/window.h"
#include "client/views/devices/dlg_child_sensors.h"
#include "client/views/log/dlg_child_log.h"
#include "client/views/log/log_entry_texts.h"
#include "client/views/video/dlg_child_video.h"
#include "core/testing/scoped_user_locale.h"
#include "tests/desk_session_support.h"
#include "tests/in_process_sim.h"
#include "tests/qt_program_parts.h"

namespace hv {

namespace {

const std::regex kClock12("(0[1-9]|1[0-2]):[0-5][0-9]:[0-5][0-9] [AP]M");
const std::regex kDate("(0[1-9]|1[0-2])/[0-3][0-9]/20[0-9][0-9]");

class UserLocaleQtTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    // What the application object does with the user's LANG, for the whole process.
    locale_ = std::make_unique<hv::test::cScopedUserLocale>(GetParam());
    ASSERT_TRUE(locale_->ok()) << GetParam() << " is missing: run scripts/install-deps";
    ASSERT_EQ(sim_.start_error, "");
    server_timer_ = qt_.loop.StartTimer(1, [this] { sim_.server.RunOnce(0); });
    hv::test::WriteAutoLogin(sim_.server.port());
    app_ = std::make_unique<CHouseDeskApp>(qt_.Environment());
    ASSERT_TRUE(app_->InitInstance());
    ASSERT_NE(hv::test::MainDlg(*app_), nullptr);
  }
  void TearDown() override {
    if (app_ != nullptr) app_->ExitInstance();
    app_.reset();
    qt_.loop.StopTimer(server_timer_);
    locale_.reset();
  }

  template <class Done>
  bool PumpUntil(const Done& done) {
    for (int i = 0; i < 3000; ++i) {
      qt_.loop.Pump(2);
      if (done()) return true;
    }
    return false;
  }
  std::string Text(int32_t id) {
    return hv::test::MainDlg(*app_)->Window()->Control(id)->Text().CStr();
  }

  hv::test::cTemporaryUserFolders folders_;
  std::unique_ptr<hv::test::cScopedUserLocale> locale_;
  hv::test::cSimServer sim_;
  hv::test::cQtParts qt_;
  cEventLoop::TimerId server_timer_ = 0;
  std::unique_ptr<CHouseDeskApp> app_;
};

TEST_P(UserLocaleQtTest, TheSystemsTextsReadAsUnderTheCLocale) {
  // The comma is really there for the C library, so a "%f" would show it.
  ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));
  auto* sensors = hv::test::TabbedView<CDlgChildSensors>(*app_, "Sensors");
  auto* log = hv::test::TabbedView<CDlgChildLog>(*app_, "Activity Log");
  ASSERT_TRUE(sensors != nullptr && log != nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    return sensors->RowCount() == static_cast<int32_t>(sim_.house.data().sensors.size()) &&
           !sensors->Accepting() && Text(desk::kDawnDusk).rfind("Dawn: ", 0) == 0 &&
           Text(desk::kServerTimeText).find('/') != std::string::npos;
  }));
  int32_t temp = -1;
  for (int32_t i = 0; i < sensors->RowCount(); ++i) {
    if (sensors->List()->CellText(i, 2) == swString("Living Room Temp")) temp = i;
  }
  ASSERT_GE(temp, 0);
  EXPECT_STREQ(sensors->List()->CellText(temp, 1).CStr(), "21.5");

  EXPECT_TRUE(std::regex_match(
      Text(desk::kDawnDusk),
      std::regex("Dawn: (0[1-9]|1[0-2]):[0-5][0-9] [AP]M, Dusk: (0[1-9]|1[0-2]):[0-5][0-9] [AP]M")))
      << Text(desk::kDawnDusk);
  const std::string clock = Text(desk::kServerTimeText);
  const size_t dash = clock.find(" - ");
  ASSERT_NE(dash, std::string::npos) << clock;
  EXPECT_TRUE(std::regex_match(clock.substr(0, dash), kDate)) << clock;
  EXPECT_TRUE(std::regex_match(clock.substr(dash + 3), kClock12)) << clock;

  // A new reading: housesim logs it with its own time, the client shows its value.
  ASSERT_TRUE(sim_.house.SetSensorStatus("Living Room Temp", 0, 19.5, "test").ok());
  cReportList* entries = log->List();
  ASSERT_NE(entries, nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    return entries->RowCount() > 0 && std::string(entries->CellText(0, kLogColumnNameId).CStr())
                                              .rfind("Living Room Temp", 0) == 0;
  }));
  EXPECT_STREQ(entries->CellText(0, kLogColumnData).CStr(), " 19.5");
  EXPECT_TRUE(std::regex_match(std::string(entries->CellText(0, kLogColumnDate).CStr()), kDate));
  EXPECT_TRUE(std::regex_match(std::string(entries->CellText(0, kLogColumnTime).CStr()), kClock12))
      << entries->CellText(0, kLogColumnTime).CStr();

  const std::string label = CDlgChildVideo::ThumbnailLabel(1700000000).CStr();
  const size_t line_end = label.find("\r\n");
  ASSERT_NE(line_end, std::string::npos) << label;
  EXPECT_TRUE(std::regex_match(label.substr(0, line_end), kDate)) << label;
  EXPECT_TRUE(std::regex_match(label.substr(line_end + 2), kClock12)) << label;
}

INSTANTIATE_TEST_SUITE_P(CommaLocales, UserLocaleQtTest,
                         ::testing::ValuesIn(hv::test::kCommaLocales));

}  // namespace

}  // namespace hv
