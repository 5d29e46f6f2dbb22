// The version dialog on the real Qt widgets and event loop, against local update sites:
// "&Get Info" fills the fields, and "&Update Now" runs with the progress window up while the
// transfers pump Qt's loop, then hands over to the restart helper.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/ui/qt/qt_control.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/update/dlg_version_info.h"
#include "client/update/testing/update_site_builder.h"
#include "tests/qt_windows.h"

namespace hv {

namespace {

using hv::test::VisibleTopLevelWindows;

void ClickWidget(cWindow& window, int32_t id) {
  QWidget* widget = dynamic_cast<cQtWidgetHolder*>(window.Control(id))->Widget();
  QTest::mouseClick(widget, Qt::LeftButton);
}

TEST(UpdateQtTest, GetInfoAndUpdateNowOnTheRealWindow) {
  cUpdateSiteBuilder site;
  ASSERT_TRUE(site.Start());
  const std::string config = site.Root() + "/config";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  WriteFileText(site.ProgramFolder() + "/hearthview", "old program");
  site.SetVersion("2.1", 187, "12/08/2026", "Faster.\n");
  site.AddItem({"hearthview.exe", std::string(300000, 'x')});
  site.Publish(kChannelRelease, 2);

  cQtToolkit toolkit;
  cQtEventLoop loop;
  cFakeClock clock;
  std::vector<std::string> started;
  cVersionInfoServices services;
  services.toolkit = &toolkit;
  services.event_loop = &loop;
  services.clock = &clock;
  services.program_path = (site.ProgramFolder() + "/hearthview").c_str();
  services.site = site.Site();
  services.start_process = [&](const std::string& program, const std::vector<std::string>&,
                               const std::string&) {
    started.push_back(program);
    return hv::Status::Ok();
  };

  int most_windows = 0;
  CDlgVersionInfo dialog(services, nullptr);
  // The progress window shows beside the dialog while the files come down.
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout,
                   [&] { most_windows = std::max(most_windows, VisibleTopLevelWindows()); });
  watcher.start(0);
  toolkit.QueueModalScript([&](cWindow& window) {
    ClickWidget(window, kVersionGetInfo);
    EXPECT_STREQ(window.Control(kVersionLatestBuild)->Text().CStr(), "187");
    EXPECT_STREQ(window.Control(kVersionReleaseNotes)->Text().CStr(), "Faster.\r\n");
    ClickWidget(window, kVersionUpdateNow);
  });
  int32_t result = -1;
  ASSERT_TRUE(dialog.DoModal(&result).ok());
  EXPECT_EQ(result, kResultOk);
  watcher.stop();
  EXPECT_TRUE(dialog.RestartStarted());
  EXPECT_EQ(started.size(), 1u);
  EXPECT_GE(most_windows, 2);
  // The new program waits in the staging folder the helper takes over.
  std::string staged;
  for (const auto& entry : std::filesystem::directory_iterator(site.ProgramFolder())) {
    if (entry.path().filename().string().rfind(".update-", 0) == 0) {
      staged = entry.path().string() + "/hearthview.ex_";
    }
  }
  EXPECT_EQ(ReadFileText(staged), std::string(300000, 'x'));
  EXPECT_EQ(VisibleTopLevelWindows(), 0);
}

}  // namespace

}  // namespace hv
