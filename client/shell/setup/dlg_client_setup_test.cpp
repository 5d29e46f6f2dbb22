#include "client/shell/setup/dlg_client_setup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/cmdfile/dlg_command_file_monitoring.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/platform/testing/fake_clock.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/ui/number_field.h"
#include "core/profile/profile.h"
#include "core/profile/profile_key.h"
#include "core/profile/registry_store.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

constexpr const char* kCompany = "Orvane LLC";
constexpr const char* kApplication = "Varnholt";

// Every test gets its own registry store: XDG_CONFIG_HOME points at a fresh folder.
class ClientSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(config_home_.path().empty());

    services_.toolkit = &toolkit_;
    services_.clock = &clock_;
    services_.registry = cSiteRegistry{kCompany, kApplication};
    services_.show_help = [this](int32_t id) { help_ids_.push_back(id); };
    presets_.address = "10.0.0.9";
    presets_.port = 1025;
    presets_.user_name = "ann";
    presets_.password = "pw";
  }

  void PutSite(const char* name, const char* data) {
    ASSERT_TRUE(WriteProfile(kCompany, kApplication, "Client Data", name, data, kProfileText).ok());
  }
  void PutDefaultName(const char* name) {
    ASSERT_TRUE(WriteProfile(kCompany, kApplication, "Client Data Defaults", "Default Name", name,
                             kProfileText)
                    .ok());
  }
  std::string SiteData(const char* name) { return hv::test::ReadSetting("Client Data", name); }
  std::string DefaultName() {
    return hv::test::ReadSetting("Client Data Defaults", "Default Name");
  }

  // Runs the dialog with the script playing the user.
  int32_t Run(std::function<void(cHeadlessWindow&)> script) {
    toolkit_.QueueModalScript(std::move(script));
    CDlgClientSetup dialog(services_, nullptr, settings_, presets_);
    int32_t result = kResultCancel;
    EXPECT_TRUE(dialog.DoModal(&result).ok());
    values_ = dialog.Values();
    return result;
  }

  static std::string Text(cHeadlessWindow& w, int32_t id) { return w.Control(id)->Text().CStr(); }
  static bool Checked(cHeadlessWindow& w, int32_t id) { return w.Button(id)->GetCheck() != 0; }
  static int32_t EntryNamed(cHeadlessWindow& w, int32_t id, const char* text) {
    cComboBox* box = w.ComboBox(id);
    for (int32_t i = 0; i < box->EntryCount(); ++i) {
      if (box->EntryText(i) == text) return i;
    }
    return -1;
  }

  TempConfigHome config_home_;
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  cClientSetupServices services_;
  cClientSetupSettings settings_;
  cClientSetupValues presets_;
  cClientSetupValues values_;
  std::vector<int32_t> help_ids_;
};

TEST(SavedSiteTest, StoredFormsParseAndFormat) {
  cSavedSite kept = ParseSavedSite("home.example;8080;bob;secret;0");
  EXPECT_STREQ(kept.address.CStr(), "home.example");
  EXPECT_EQ(kept.port, 8080);
  EXPECT_STREQ(kept.user_name.CStr(), "bob");
  EXPECT_STREQ(kept.password.CStr(), "secret");
  EXPECT_EQ(kept.dont_save, 0);
  EXPECT_STREQ(FormatSavedSite(kept).CStr(), "home.example;8080;bob;secret;0");

  // The user's settings are left out whatever the site holds.
  kept.dont_save = 1;
  EXPECT_STREQ(FormatSavedSite(kept).CStr(), "home.example;8080;;;1");
  cSavedSite bare = ParseSavedSite("home.example;8080;;;1");
  EXPECT_EQ(bare.dont_save, 1);
  EXPECT_STREQ(bare.user_name.CStr(), "");
  EXPECT_STREQ(bare.password.CStr(), "");

  // Missing trailing fields are empty, numbers that are not numbers are 0.
  cSavedSite short_form = ParseSavedSite("only.address");
  EXPECT_STREQ(short_form.address.CStr(), "only.address");
  EXPECT_EQ(short_form.port, 0);
  EXPECT_EQ(ParseSavedSite("a;port;u;p;x").port, 0);
  EXPECT_EQ(ParseSavedSite("a;99999999999;u;p;0").port, INT32_MAX);
  EXPECT_EQ(ParseSavedSite("a;1;u;p;99999").dont_save, 0);

  // A semicolon in the password ends it; the rest lands in the flag and reads as 0.
  cSavedSite cut = ParseSavedSite("a;1;u;se;cret;0");
  EXPECT_STREQ(cut.password.CStr(), "se");
  EXPECT_EQ(cut.dont_save, 0);
}

TEST_F(ClientSetupTest, OpeningShowsDefaultSiteChosenByPrefixAndOptions) {
  PutSite("Office", "office.example;2000;olga;o-pw;0");
  PutSite("home", "home.example;1025;hank;h-pw;0");
  PutSite("Empty", "");
  PutDefaultName("OFF");
  settings_.tray_icon_type = 1;
  settings_.max_log_entries = 321;
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              EXPECT_EQ(w.ResourceId(), 175);
              EXPECT_STREQ(w.Title().CStr(), "Setup");
              cComboBox* names = w.ComboBox(kSetupNameBox);
              ASSERT_EQ(names->EntryCount(), 2);  // the empty value is skipped
              EXPECT_STREQ(names->EntryText(0).CStr(), "home");
              EXPECT_STREQ(names->EntryText(1).CStr(), "Office");
              EXPECT_EQ(Text(w, kSetupNameBox), "Office");
              EXPECT_EQ(Text(w, kSetupAddress), "office.example");
              EXPECT_EQ(Text(w, kSetupPort), "2000");
              EXPECT_EQ(Text(w, kSetupUserName), "olga");
              EXPECT_EQ(Text(w, kSetupPassword), "o-pw");
              EXPECT_EQ(Text(w, kSetupMaxLogEntries), "321");
              cComboBox* tray = w.ComboBox(kSetupTrayIconType);
              ASSERT_EQ(tray->EntryCount(), 3);
              EXPECT_STREQ(tray->EntryText(tray->Selection()).CStr(), "Static");
              w.PressHelp();
              w.PressEscape();
            }),
            kResultCancel);
  EXPECT_EQ(help_ids_, std::vector<int32_t>{1039});
}

TEST_F(ClientSetupTest, NewSiteIsSavedAndPasswordIsCutAtSemicolon) {
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              w.Type(kSetupNameBox, "Cabin");
              w.Type(kSetupAddress, "cabin.example");
              w.Type(kSetupPort, "4000");
              w.Type(kSetupUserName, "carl");
              w.Type(kSetupPassword, "se;cret");
              w.Choose(kSetupTrayIconType, EntryNamed(w, kSetupTrayIconType, "None"));
              w.Click(kResultOk);
            }),
            kResultOk);
  EXPECT_STREQ(values_.site_name.CStr(), "Cabin");
  EXPECT_STREQ(values_.password.CStr(), "se;cret");  // this run connects with it whole
  EXPECT_EQ(values_.port, 4000);
  EXPECT_EQ(settings_.tray_icon_type, 0);
  EXPECT_EQ(SiteData("Cabin"), "cabin.example;4000;carl;se;cret;0");
  EXPECT_EQ(DefaultName(), "Cabin");

  Run([&](cHeadlessWindow& w) {
    EXPECT_EQ(Text(w, kSetupNameBox), "Cabin");
    EXPECT_EQ(Text(w, kSetupPassword), "se");
    EXPECT_FALSE(Checked(w, kSetupDontSave));
    w.PressEscape();
  });
}

TEST_F(ClientSetupTest, DontSaveFormRoundTripsAndTurnsAutoLoginOffAtOnce) {
  settings_.auto_login = 1;
  settings_.login_sel_name = "Lake";
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              EXPECT_TRUE(Checked(w, kSetupAutoLogin));
              w.Type(kSetupNameBox, "Lake");
              w.Click(kSetupDontSave);
              // Before OK: the program-wide setting is already off.
              EXPECT_EQ(settings_.auto_login, 0);
              EXPECT_FALSE(Checked(w, kSetupAutoLogin));
              EXPECT_FALSE(w.Control(kSetupAutoLogin)->IsEnabled());
              w.Click(kSetupDontSave);
              EXPECT_TRUE(w.Control(kSetupAutoLogin)->IsEnabled());
              EXPECT_EQ(settings_.auto_login, 0);
              w.Click(kSetupDontSave);
              w.Click(kResultOk);
            }),
            kResultOk);
  EXPECT_TRUE(values_.dont_save);
  EXPECT_FALSE(values_.auto_login);
  EXPECT_EQ(SiteData("Lake"), "10.0.0.9;1025;;;1");

  presets_ = cClientSetupValues();
  Run([&](cHeadlessWindow& w) {
    w.Choose(kSetupNameBox, EntryNamed(w, kSetupNameBox, "Lake"));
    EXPECT_EQ(Text(w, kSetupAddress), "10.0.0.9");
    EXPECT_EQ(Text(w, kSetupUserName), "");
    EXPECT_EQ(Text(w, kSetupPassword), "");
    EXPECT_TRUE(Checked(w, kSetupDontSave));
    EXPECT_FALSE(w.Control(kSetupAutoLogin)->IsEnabled());
    w.PressEscape();
  });
}

TEST_F(ClientSetupTest, ChoosingTheAutoLoginSiteChecksTheBox) {
  PutSite("Home", "home.example;1025;hank;h-pw;0");
  PutSite("Work", "work.example;1026;wes;w-pw;0");
  settings_.auto_login = 1;
  settings_.login_sel_name = "Work";
  Run([&](cHeadlessWindow& w) {
    w.Choose(kSetupNameBox, EntryNamed(w, kSetupNameBox, "Home"));
    EXPECT_FALSE(Checked(w, kSetupAutoLogin));
    w.Choose(kSetupNameBox, EntryNamed(w, kSetupNameBox, "Work"));
    EXPECT_TRUE(Checked(w, kSetupAutoLogin));
    EXPECT_EQ(Text(w, kSetupUserName), "wes");
    w.PressEscape();
  });
}

TEST_F(ClientSetupTest, SaveSettingsZeroWritesNothing) {
  ASSERT_TRUE(WriteProfile(
                  kCompany, kApplication, "Client Settings", "Save Settings",
                  [] {
                    static const uint32_t zero = 0;
                    return &zero;
                  }(),
                  kProfileNumber)
                  .ok());
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              w.Type(kSetupNameBox, "Temp");
              w.Click(kResultOk);
            }),
            kResultOk);
  EXPECT_STREQ(values_.site_name.CStr(), "Temp");
  EXPECT_EQ(SiteData("Temp"), "<none>");
  EXPECT_EQ(DefaultName(), "<none>");
}

TEST_F(ClientSetupTest, EmptySiteNameIsNotSaved) {
  EXPECT_EQ(Run([&](cHeadlessWindow& w) { w.Click(kResultOk); }), kResultOk);
  EXPECT_EQ(DefaultName(), "<none>");
}

TEST_F(ClientSetupTest, OptionsChangeWhenTakenOverEvenIfCancelled) {
  settings_.max_log_entries = 250;
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              w.Type(kSetupMaxLogEntries, "500");
              w.Type(kSetupMaxSnapshots, "12");
              w.Click(kSetupDontSave);  // reads the controls
              w.Type(kSetupMaxLogEntries, "600");
              w.PressEscape();
            }),
            kResultCancel);
  EXPECT_EQ(settings_.max_log_entries, 500);
  EXPECT_EQ(settings_.max_snapshots, 12);
}

TEST_F(ClientSetupTest, OutOfRangeNumbersShowTheRangeMessageAndKeepTheDialogOpen) {
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              w.Type(kSetupNameBox, "Far");
              w.Type(kSetupPort, "70000");
              w.Click(kResultOk);
              EXPECT_TRUE(w.IsModalRunning());
              ASSERT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 1u);
              EXPECT_STREQ(toolkit_.HeadlessMessageBox().Shown()[0].text.CStr(),
                           NumberRangeMessage(0, 65535).CStr());
              EXPECT_TRUE(w.Control(kSetupPort)->HasFocus());

              w.Type(kSetupPort, "65535");
              w.Type(kSetupMaxSnapshots, "lots");
              w.Click(kResultOk);
              EXPECT_TRUE(w.IsModalRunning());
              EXPECT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 2u);

              w.Type(kSetupMaxSnapshots, "7");
              w.Click(kResultOk);
            }),
            kResultOk);
  EXPECT_EQ(values_.port, 65535);
  EXPECT_EQ(settings_.max_snapshots, 7);
  EXPECT_EQ(SiteData("Far"), "10.0.0.9;65535;ann;pw;0");
}

TEST_F(ClientSetupTest, DeleteSettingsRemovesTheSiteAndDefaultName) {
  PutSite("Home", "home.example;1025;hank;h-pw;0");
  PutSite("Work", "work.example;1026;wes;w-pw;0");
  PutDefaultName("Home");
  Run([&](cHeadlessWindow& w) {
    EXPECT_EQ(Text(w, kSetupNameBox), "Home");
    w.Click(kSetupDeleteSettings);
    cComboBox* names = w.ComboBox(kSetupNameBox);
    ASSERT_EQ(names->EntryCount(), 1);
    EXPECT_STREQ(names->EntryText(0).CStr(), "Work");
    EXPECT_EQ(Text(w, kSetupNameBox), "");
    EXPECT_EQ(Text(w, kSetupAddress), "");
    EXPECT_EQ(Text(w, kSetupPort), "0");
    EXPECT_EQ(Text(w, kSetupPassword), "");
    w.PressEscape();
  });
  EXPECT_EQ(SiteData("Home"), "<none>");
  EXPECT_EQ(SiteData("Work"), "work.example;1026;wes;w-pw;0");
  EXPECT_EQ(DefaultName(), "<none>");
}

TEST_F(ClientSetupTest, CmdFileSetupEditsACopyWrittenBackOnlyOnOk) {
  cMonitorCommandFile monitor;
  monitor.file_name = "keep.txt";
  services_.monitor = &monitor;
  // Each setup run opens the monitoring dialog once; the scripts run in queue order.
  const auto run_with_monitor_answer = [&](int32_t monitor_button) {
    toolkit_.QueueModalScript([&](cHeadlessWindow& w) {
      w.Type(kSetupMaxLogEntries, "77");
      w.Click(kSetupCmdFileSetup);
      w.PressEscape();
    });
    toolkit_.QueueModalScript([monitor_button](cHeadlessWindow& w) {
      EXPECT_STREQ(w.Title().CStr(), "Command File Monitoring");
      EXPECT_STREQ(w.Control(kMonitorFileName)->Text().CStr(), "keep.txt");
      w.Type(kMonitorFileName, "changed.txt");
      w.PressHelp();
      w.Click(monitor_button);
    });
    CDlgClientSetup dialog(services_, nullptr, settings_, presets_);
    int32_t result = -1;
    ASSERT_TRUE(dialog.DoModal(&result).ok());
    EXPECT_EQ(result, kResultCancel);
  };
  run_with_monitor_answer(kResultCancel);
  EXPECT_STREQ(monitor.file_name.CStr(), "keep.txt");
  EXPECT_EQ(settings_.max_log_entries, 77);  // taken over before the monitoring dialog
  EXPECT_EQ(help_ids_, std::vector<int32_t>{1060});

  run_with_monitor_answer(kResultOk);
  EXPECT_STREQ(monitor.file_name.CStr(), "changed.txt");
}

TEST_F(ClientSetupTest, ManySitesAreAllListed) {
  // More names than the first name buffer holds: none may be lost. One transaction writes
  // them all, so the test stays quick.
  std::unique_ptr<swRegistryStore> store;
  const hv::Status opened = swRegistryStore::Open(swRegistryStore::DefaultPath(), &store);
  ASSERT_TRUE(opened.ok()) << opened.ToString();
  const std::string key = ComposeProfileKey(kCompany, kApplication, "Client Data");
  ASSERT_EQ(store->Begin().code(), kStoreOk);
  for (int i = 0; i < 300; ++i) {
    swRegistryValue value;
    value.name = "Site number " + std::to_string(i) + std::string(90, 'x');
    value.data = "a;1;u;p;0";
    ASSERT_EQ(store->SetValue(key, value).code(), kStoreOk);
  }
  ASSERT_EQ(store->Commit().code(), kStoreOk);
  store.reset();
  std::vector<cNamedSavedSite> sites;
  ASSERT_TRUE(LoadSavedSites(cSiteRegistry{kCompany, kApplication}, &sites).ok());
  EXPECT_EQ(sites.size(), 300u);
}

TEST_F(ClientSetupTest, DesktopIntegrationChoicesShowThePresetsAndComeBackOnOkOnly) {
  presets_.reconnect_quickly = false;
  presets_.notify_sensors = "Front Door;Garage";
  auto change_all = [](cHeadlessWindow& w) {
    w.Click(kSetupCheckOnResume);
    w.Click(kSetupReconnectQuickly);
    w.Click(kSetupDesktopNotifications);
    w.Type(kSetupNotifySensors, "Cellar");
    w.Click(kSetupKeyring);
  };
  services_.keyring_available = false;
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              EXPECT_TRUE(w.Control(kSetupNoKeyringNote)->IsVisible());
              EXPECT_TRUE(Checked(w, kSetupCheckOnResume));
              EXPECT_FALSE(Checked(w, kSetupReconnectQuickly));
              EXPECT_FALSE(Checked(w, kSetupDesktopNotifications));
              EXPECT_EQ(Text(w, kSetupNotifySensors), "Front Door;Garage");
              EXPECT_FALSE(Checked(w, kSetupKeyring));
              change_all(w);
              w.Click(kResultOk);
            }),
            kResultOk);
  EXPECT_FALSE(values_.check_connection_on_resume);
  EXPECT_TRUE(values_.reconnect_quickly);
  EXPECT_TRUE(values_.desktop_notifications);
  EXPECT_STREQ(values_.notify_sensors.CStr(), "Cellar");
  EXPECT_TRUE(values_.store_passwords_in_keyring);

  // Cancelled, the presets stand.
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              change_all(w);
              w.PressEscape();
            }),
            kResultCancel);
  EXPECT_STREQ(presets_.notify_sensors.CStr(), "Front Door;Garage");
}

TEST_F(ClientSetupTest, HistoryChoicesShowThePresetsAndAreCheckedAsNumbers) {
  presets_.keep_history_days = 30;
  EXPECT_EQ(Run([&](cHeadlessWindow& w) {
              w.Type(kSetupNameBox, "Far");
              EXPECT_TRUE(Checked(w, kSetupRecordHistory));
              EXPECT_EQ(Text(w, kSetupKeepHistory), "30");
              EXPECT_EQ(Text(w, kSetupHistorySize), "200");
              w.Click(kSetupRecordHistory);
              w.Type(kSetupKeepHistory, "0");  // a history that keeps nothing is "off"
              w.Click(kResultOk);
              EXPECT_TRUE(w.IsModalRunning());
              ASSERT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 1u);
              w.Type(kSetupKeepHistory, "90");
              w.Type(kSetupHistorySize, "50");
              w.Click(kResultOk);
            }),
            kResultOk);
  EXPECT_FALSE(values_.record_history);
  EXPECT_EQ(values_.keep_history_days, 90);
  EXPECT_EQ(values_.history_size_mb, 50);
}

}  // namespace

}  // namespace hv
