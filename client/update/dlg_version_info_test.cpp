#include "client/update/dlg_version_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/update/testing/pump_hook_event_loop.h"
#include "client/update/testing/update_site_builder.h"
#include "client/update/update_codes.h"
#include "core/profile/profile.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCompany = "Orvane LLC";
constexpr const char* kApplication = "Varnholt";

class VersionInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(site_.Start());
    WriteFileText(site_.ProgramFolder() + "/hearthview", "old program");

    services_.toolkit = &toolkit_;
    services_.clock = &clock_;
    services_.company = kCompany;
    services_.application = kApplication;
    services_.program_path = (site_.ProgramFolder() + "/hearthview").c_str();
    services_.site = site_.Site();
    services_.start_process = [this](const std::string& program, const std::vector<std::string>&,
                                     const std::string&) {
      started_.push_back(program);
      return hv::Status::Ok();
    };
  }

  void Publish(int32_t build) {
    site_.SetVersion("2.1", build, "12/08/2026", "Faster.\n");
    site_.AddItem({"hearthview.exe", "new program"});
    site_.Publish(kChannelRelease, 2);
  }

  int32_t Run(std::function<void(cHeadlessWindow&)> script) {
    toolkit_.QueueModalScript(std::move(script));
    CDlgVersionInfo dialog(services_, nullptr);
    int32_t result = kResultCancel;
    EXPECT_TRUE(dialog.DoModal(&result).ok());
    restart_started_ = dialog.RestartStarted();
    return result;
  }

  std::string Setting(const char* name) {
    char buffer[256];
    if (!ReadProfileString(kCompany, kApplication, "Version Info", name, "<none>", buffer,
                           sizeof buffer)
             .ok()) {
      return "<none>";
    }
    return buffer;
  }
  static std::string Text(cHeadlessWindow& w, int32_t id) { return w.Control(id)->Text().CStr(); }
  const std::vector<cHeadlessMessageBox::cShown>& Boxes() {
    return toolkit_.HeadlessMessageBox().Shown();
  }

  TempConfigHome config_home_;  // the dialog's settings go to a registry store of the test's own
  cUpdateSiteBuilder site_;
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  cVersionInfoServices services_;
  std::vector<std::string> started_;
  bool restart_started_ = false;
};

TEST_F(VersionInfoTest, OpensOnReleaseAndChannelsExplainThemselves) {
  uint32_t build = 180;
  ASSERT_TRUE(
      WriteProfile(kCompany, kApplication, "Version Info", "Latest Build", &build, kProfileNumber)
          .ok());
  ASSERT_TRUE(
      WriteProfile(kCompany, kApplication, "Version Info", "Latest Version", "1.9", kProfileText)
          .ok());
  EXPECT_EQ(Run([](cHeadlessWindow& w) {
              EXPECT_STREQ(w.Title().CStr(), "Version Info");
              EXPECT_EQ(Text(w, kVersionThisVersion), "2.0");
              EXPECT_EQ(Text(w, kVersionThisBuild), "186");
              EXPECT_EQ(Text(w, kVersionLatestVersion), "1.9");
              EXPECT_EQ(Text(w, kVersionLatestBuild), "180");
              EXPECT_EQ(w.Button(kVersionRelease)->GetCheck(), 1);
              EXPECT_EQ(Text(w, kVersionStatus),
                        "Click \"Get Info\" to get information on the latest available version.");
              ASSERT_TRUE(w.Click(kVersionBeta));
              EXPECT_EQ(w.Button(kVersionRelease)->GetCheck(), 0);
              EXPECT_EQ(w.Button(kVersionBeta)->GetCheck(), 1);
              EXPECT_EQ(Text(w, kVersionStatus).rfind("The beta version has more recent", 0), 0u);
              ASSERT_TRUE(w.Click(kVersionAlpha));
              EXPECT_EQ(Text(w, kVersionStatus).rfind("The alpha version has the latest", 0), 0u);
              ASSERT_TRUE(w.Click(kVersionRelease));
              EXPECT_EQ(Text(w, kVersionStatus).rfind("The release version may not", 0), 0u);
              w.PressEscape();
            }),
            kResultCancel);
}

TEST_F(VersionInfoTest, GetInfoShowsAndRemembersTheLatestBuild) {
  Publish(187);
  EXPECT_EQ(Run([](cHeadlessWindow& w) {
              ASSERT_TRUE(w.Click(kVersionGetInfo));
              EXPECT_EQ(Text(w, kVersionStatus),
                        "An updated version is available.  Click \"Update Now\" to download and "
                        "install the latest version.");
              EXPECT_EQ(Text(w, kVersionLatestVersion), "2.1");
              EXPECT_EQ(Text(w, kVersionLatestBuild), "187");
              EXPECT_EQ(Text(w, kVersionDateAvailable), "12/08/2026");
              EXPECT_EQ(Text(w, kVersionReleaseNotes), "Faster.\r\n");
              ASSERT_TRUE(w.Click(kResultOk));
            }),
            kResultOk);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Setting("Latest Version"), "2.1");
  EXPECT_EQ(Setting("Latest Date"), "12/08/2026");
  uint32_t build = 0;
  ASSERT_TRUE(
      ReadProfileNumber(kCompany, kApplication, "Version Info", "Latest Build", &build, 0).ok());
  EXPECT_EQ(build, 187u);
  EXPECT_EQ(Setting("Last Update Date"), "<none>");
}

TEST_F(VersionInfoTest, UnreachableSiteIsNamedFirst) {
  services_.site.web_address = "http://127.0.0.1:1/updates";
  Run([](cHeadlessWindow& w) { ASSERT_TRUE(w.Click(kVersionGetInfo)); });
  ASSERT_EQ(Boxes().size(), 1u);
  const std::string text = Boxes()[0].text.CStr();
  EXPECT_EQ(text.rfind("The update site http://127.0.0.1:1/updates/releasefiles.php could not "
                       "be reached: check that this computer is connected to the network.\n\n"
                       "Unable to get the version information.",
                       0),
            0u)
      << text;
}

TEST_F(VersionInfoTest, MissingControlFileShowsTheCode) {
  Run([](cHeadlessWindow& w) { ASSERT_TRUE(w.Click(kVersionGetInfo)); });
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_STREQ(Boxes()[0].caption.CStr(), "Get Version Error");
  const std::string text = Boxes()[0].text.CStr();
  EXPECT_EQ(text.rfind("Unable to get the version information.", 0), 0u);
  // Advice for this platform: the network, a proxy, the site's address; nothing of Windows.
  EXPECT_NE(text.find("https_proxy"), std::string::npos) << text;
  EXPECT_NE(text.find("the update site's address, " + std::string(site_.Site().web_address.CStr()) +
                      ", is right."),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Windows"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 11), " (8004105e)");

  toolkit_.HeadlessMessageBox().ClearShown();
  Run([](cHeadlessWindow& w) { ASSERT_TRUE(w.Click(kVersionUpdateNow)); });
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_STREQ(Boxes()[0].caption.CStr(), "Update Error");
  EXPECT_NE(std::string(Boxes()[0].text.CStr())
                .find("You can also install Varnholt by downloading it from https://"),
            std::string::npos);
  EXPECT_EQ(Setting("Last Update Date"), "<none>");
}

TEST_F(VersionInfoTest, UpToDateAsksBeforeUpdatingAndUpdateStartsRestart) {
  Publish(186);
  Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(w.Click(kVersionGetInfo));
    EXPECT_EQ(Text(w, kVersionStatus), "This version is up to date.");
    ASSERT_TRUE(w.Click(kVersionUpdateNow));  // the question is answered No
  });
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_STREQ(Boxes()[0].caption.CStr(), "Update Version");
  EXPECT_EQ(Boxes()[0].buttons, cMessageBoxButtons::kYesNo);
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(Setting("Last Update Date"), "<none>");

  toolkit_.HeadlessMessageBox().QueueAnswer(cMessageBoxAnswer::kYes);
  EXPECT_EQ(Run([](cHeadlessWindow& w) {
              ASSERT_TRUE(w.Click(kVersionUpdateNow));
              // The run ends the dialog: the program must quit for the helper.
              EXPECT_FALSE(w.IsModalRunning());
            }),
            kResultOk);
  EXPECT_TRUE(restart_started_);
  ASSERT_EQ(started_.size(), 1u);
  EXPECT_EQ(started_[0], site_.ProgramFolder() + "/restart");
  // The new program waits in the staging folder the helper takes over.
  std::string staged;
  for (const auto& entry : fs::directory_iterator(site_.ProgramFolder())) {
    if (entry.path().filename().string().rfind(".update-", 0) == 0) {
      staged = entry.path().string() + "/hearthview.ex_";
    }
  }
  EXPECT_EQ(ReadFileText(staged), "new program");
  EXPECT_EQ(Setting("Last Update Date"), "01/15/2024 - 09:30:00 AM");
}

TEST_F(VersionInfoTest, FailedRunSaysWhichStepAndKeepsTheDate) {
  Publish(187);
  site_.PutFtpFile("lock.dat", "x");
  ASSERT_TRUE(WriteProfile(kCompany, kApplication, "Version Info", "Last Update Date",
                           "01/01/2020 - 01:00:00 PM", kProfileText)
                  .ok());
  Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(w.Click(kVersionUpdateNow));
    EXPECT_EQ(Text(w, kVersionStatus), "Unable to get the latest version (2).  Try again later.");
  });
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(Setting("Last Update Date"), "01/01/2020 - 01:00:00 PM");
}

TEST_F(VersionInfoTest, CancelStopsARequestAndTheDialogSaysSo) {
  Publish(187);
  hv::cPumpHookEventLoop loop;
  services_.event_loop = &loop;
  CDlgVersionInfo dialog(services_, nullptr);
  toolkit_.QueueModalScript([&](cHeadlessWindow& w) {
    // Cancel while "Get Info" waits on the site: the request stops, the dialog stays.
    loop.on_pump = [&w] { w.Click(kResultCancel); };
    ASSERT_TRUE(w.Click(kVersionGetInfo));
    EXPECT_EQ(Text(w, kVersionStatus), "Getting the version information was cancelled.");
    EXPECT_TRUE(w.IsModalRunning());
    // Cancel in the download run, once its progress window is up.
    loop.on_pump = [&] {
      if (dialog.Updater().Progress() != nullptr) w.Click(kResultCancel);
    };
    ASSERT_TRUE(w.Click(kVersionUpdateNow));
    EXPECT_EQ(Text(w, kVersionStatus), "The update was cancelled.  Nothing was installed.");
    EXPECT_TRUE(w.IsModalRunning());
    loop.on_pump = nullptr;
    ASSERT_TRUE(w.Click(kResultCancel));
  });
  int32_t result = -1;
  ASSERT_TRUE(dialog.DoModal(&result).ok());
  EXPECT_EQ(result, kResultCancel);
  EXPECT_TRUE(started_.empty());
  EXPECT_FALSE(fs::exists(site_.ProgramFolder() + "/hearthview.ex_"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(VersionInfoTest, APackageManagedCopyShowsWhatIsAvailableAndInstallsNothing) {
  Publish(187);
  services_.is_system_install = [](const std::string&) { return true; };
  Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(w.Click(kVersionGetInfo));
    EXPECT_EQ(Text(w, kVersionLatestBuild), "187");
    EXPECT_NE(Text(w, kVersionStatus).find("the update comes through the package manager"),
              std::string::npos);
    ASSERT_TRUE(w.Click(kVersionUpdateNow));
    EXPECT_NE(Text(w, kVersionStatus).find("package manager"), std::string::npos);
    ASSERT_TRUE(w.Click(kResultOk));
  });
  EXPECT_TRUE(started_.empty());
  EXPECT_TRUE(Boxes().empty());
}

TEST(UpdateDateTest, TwelveHourClock) {
  cLocalTime time{.year = 2026, .month = 12, .day = 8, .hour = 0, .minute = 5, .second = 9};
  EXPECT_STREQ(FormatUpdateDate(time).CStr(), "12/08/2026 - 12:05:09 AM");
  time.hour = 13;
  EXPECT_STREQ(FormatUpdateDate(time).CStr(), "12/08/2026 - 01:05:09 PM");
}

TEST_F(VersionInfoTest, AnOutOfDateSiteSaysSoInsteadOfNetworkAdvice) {
  site_.SetExpires(1796000000 + 30 * 86400);
  Publish(187);
  services_.utc_now = [] { return int64_t{1796000000} + 40 * 86400; };
  Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(w.Click(kVersionGetInfo));
    w.PressEscape();
  });
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_STREQ(Boxes()[0].caption.CStr(), "Get Version Error");
  EXPECT_EQ(std::string(Boxes()[0].text.CStr()),
            "Unable to get the version information.  The update site is out of date: its release "
            "list expired on 12/30/2026 12:53 AM UTC.  The release it offers is no longer "
            "current, so it is not installed: try again later, and if this stays so, tell the "
            "publisher of Varnholt. (80042008)");
  EXPECT_EQ(Setting("Latest Build"), "<none>");
}

}  // namespace

}  // namespace hv
