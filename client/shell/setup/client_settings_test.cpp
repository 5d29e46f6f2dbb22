#include "client/shell/setup/client_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "client/shell/setup/registry_words.h"
#include "core/profile/profile.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

class ClientSettingsTest : public ::testing::Test {
 protected:
  TempConfigHome home_;
};

TEST_F(ClientSettingsTest, EmptyRegistryGivesTheDefaults) {
  cRegistryWords words = cRegistryWords::Choose();
  EXPECT_STREQ(words.company, "Orvane LLC");
  EXPECT_STREQ(words.application, "Varnholt");
  cClientSettings settings = ReadClientSettings(words);
  EXPECT_EQ(settings.port, 1025u);
  EXPECT_EQ(settings.login_port, 1025u);
  EXPECT_EQ(settings.auto_login, 0u);
  EXPECT_EQ(settings.dont_save_user_settings, 0u);
  EXPECT_EQ(settings.max_log_entries, 250u);
  EXPECT_EQ(settings.tray_icon_type, 2u);
  EXPECT_EQ(settings.max_snapshots, 100u);
  EXPECT_STREQ(settings.address.CStr(), "");
  EXPECT_STREQ(settings.login_password.CStr(), "");
  EXPECT_TRUE(ClientSettingsMayBeSaved(words));
}

TEST_F(ClientSettingsTest, StoredValuesAreRead) {
  cRegistryWords words;
  const char* section = cClientSettings::kSection;
  uint32_t one = 1, fifty = 50, zero = 0;
  EXPECT_TRUE(WriteProfile(words.company, words.application, section, "Address", "house.local",
                           kProfileText)
                  .ok());
  EXPECT_TRUE(
      WriteProfile(words.company, words.application, section, "Port", "8080", kProfileText).ok());
  EXPECT_TRUE(
      WriteProfile(words.company, words.application, section, "Auto Login", &one, kProfileNumber)
          .ok());
  EXPECT_TRUE(WriteProfile(words.company, words.application, section, "LoginPassword", "secret",
                           kProfileText)
                  .ok());
  EXPECT_TRUE(WriteProfile(words.company, words.application, section, "Max Snapshots", &fifty,
                           kProfileNumber)
                  .ok());
  EXPECT_TRUE(WriteProfile(words.company, words.application, section, "Save Settings", &zero,
                           kProfileNumber)
                  .ok());
  std::string long_name(400, 'u');
  EXPECT_TRUE(WriteProfile(words.company, words.application, section, "UserName", long_name.c_str(),
                           kProfileText)
                  .ok());

  cClientSettings settings = ReadClientSettings(words);
  EXPECT_STREQ(settings.address.CStr(), "house.local");
  EXPECT_EQ(settings.port, 8080u);  // a number stored as text
  EXPECT_EQ(settings.auto_login, 1u);
  EXPECT_STREQ(settings.login_password.CStr(), "secret");
  EXPECT_EQ(settings.max_snapshots, 50u);
  EXPECT_EQ(settings.user_name.GetLength(), 254u);  // read into a 255-byte buffer
  EXPECT_FALSE(ClientSettingsMayBeSaved(words));
}

TEST_F(ClientSettingsTest, SetupWritesWhatItReadsBackAndForgetsTheLoginWhenAsked) {
  cRegistryWords words;
  cClientSettings written;
  written.address = "house.local";
  written.port = 2025;
  written.login_user_name = "ann";
  written.login_password = "pw";
  written.max_snapshots = 7;
  EXPECT_TRUE(WriteClientSettingsAfterSetup(words, written).ok());
  cClientSettings read = ReadClientSettings(words);
  EXPECT_STREQ(read.address.CStr(), "house.local");
  EXPECT_EQ(read.port, 2025u);
  EXPECT_STREQ(read.login_user_name.CStr(), "ann");
  EXPECT_STREQ(read.login_password.CStr(), "pw");
  EXPECT_EQ(read.max_snapshots, 7u);

  written.dont_save_user_settings = 1;
  EXPECT_TRUE(WriteClientSettingsAfterSetup(words, written).ok());
  read = ReadClientSettings(words);
  EXPECT_EQ(read.dont_save_user_settings, 1u);
  EXPECT_STREQ(read.login_user_name.CStr(), "");
  EXPECT_STREQ(read.login_password.CStr(), "");
  EXPECT_STREQ(read.address.CStr(), "house.local");

  // "Save Settings" other than 1: nothing is written at all.
  uint32_t zero = 0;
  EXPECT_TRUE(WriteProfile(words.company, words.application, cClientSettings::kSection,
                           "Save Settings", &zero, kProfileNumber)
                  .ok());
  written.address = "elsewhere";
  EXPECT_TRUE(WriteClientSettingsAfterSetup(words, written).ok());
  EXPECT_STREQ(ReadClientSettings(words).address.CStr(), "house.local");
}

TEST_F(ClientSettingsTest, QuillmereKeySwitchesTheWords) {
  EXPECT_TRUE(WriteProfile("Orvane LLC", "Varnholt", cClientSettings::kSection, "Address", "orvane",
                           kProfileText)
                  .ok());
  EXPECT_TRUE(WriteProfile("Quillmere", "HouseDesk", cClientSettings::kSection, "Address",
                           "quillmere", kProfileText)
                  .ok());
  // Only the Quillmere key makes the switch; the values below it are then the ones read.
  cRegistryWords words = cRegistryWords::Choose();
  EXPECT_STREQ(words.company, "Quillmere");
  EXPECT_STREQ(words.application, "HouseDesk");
  EXPECT_STREQ(ReadClientSettings(words).address.CStr(), "quillmere");

  // "Software\Quillmere" goes.
  EXPECT_TRUE(WriteProfile("Quillmere", nullptr, nullptr, nullptr, nullptr, 0).ok());
  words = cRegistryWords::Choose();
  EXPECT_STREQ(words.company, "Orvane LLC");
  EXPECT_STREQ(ReadClientSettings(words).address.CStr(), "orvane");
}

}  // namespace

namespace {

TEST_F(ClientSettingsTest, DesktopIntegrationHasItsDefaultsAndIsWrittenOnItsOwn) {
  cRegistryWords words;
  cClientSettings settings = ReadClientSettings(words);
  EXPECT_EQ(settings.check_connection_on_resume, 1u);
  EXPECT_EQ(settings.reconnect_quickly, 1u);
  EXPECT_EQ(settings.desktop_notifications, 0u);
  EXPECT_STREQ(settings.notify_sensors.CStr(), "");
  EXPECT_EQ(settings.store_passwords_in_keyring, 0u);

  settings.check_connection_on_resume = 0;
  settings.reconnect_quickly = 0;
  settings.desktop_notifications = 1;
  // A list longer than a connection value is kept whole.
  const std::string names = "Front Door;" + std::string(600, 's');
  settings.notify_sensors = names.c_str();
  settings.store_passwords_in_keyring = 1;
  settings.address = "not written";
  EXPECT_TRUE(WriteDesktopIntegrationSettings(words, settings).ok());
  cClientSettings read = ReadClientSettings(words);
  EXPECT_EQ(read.check_connection_on_resume, 0u);
  EXPECT_EQ(read.reconnect_quickly, 0u);
  EXPECT_EQ(read.desktop_notifications, 1u);
  EXPECT_EQ(std::string(read.notify_sensors.CStr()), names);
  EXPECT_EQ(read.store_passwords_in_keyring, 1u);
  EXPECT_STREQ(read.address.CStr(), "");

  // "Save Settings" other than 1 keeps them for this run only.
  uint32_t zero = 0;
  ASSERT_TRUE(WriteProfile(words.company, words.application, cClientSettings::kSection,
                           "Save Settings", &zero, kProfileNumber)
                  .ok());
  settings.reconnect_quickly = 1;
  EXPECT_TRUE(WriteDesktopIntegrationSettings(words, settings).ok());
  EXPECT_EQ(ReadClientSettings(words).reconnect_quickly, 0u);
}

}  // namespace

}  // namespace hv
