// Passwords in the desktop keyring: the saved sites' and the connection's passwords are
// filed there and kept out of the registry store, come back from it, move in and out when
// the setting changes, and stay where they were whenever the keyring refuses them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/platform/testing/memory_password_store.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/registry_words.h"
#include "client/shell/setup/saved_sites.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/views/log/activity_items.h"
#include "core/profile/profile.h"

namespace hv {

namespace {

using hv::test::ReadSetting;

constexpr const char* kCompany = "Orvane LLC";
constexpr const char* kApplication = "Varnholt";

std::string Filed(const cMemoryPasswordStore& keyring, const char* key) {
  auto found = keyring.entries.find(cMemoryPasswordStore::Key(kCompany, kApplication, key));
  return found != keyring.entries.end() ? found->second : "<none>";
}
cSavedSite Site(const char* password, int16_t dont_save = 0) {
  cSavedSite site;
  site.address = "home.example";
  site.port = 1025;
  site.user_name = "ann";
  site.password = password;
  site.dont_save = dont_save;
  return site;
}
cSavedSite Loaded(const cSiteRegistry& registry, const char* name) {
  std::vector<cNamedSavedSite> sites;
  EXPECT_TRUE(LoadSavedSites(registry, &sites).ok());
  for (const cNamedSavedSite& named : sites) {
    if (named.name == name) return named.site;
  }
  ADD_FAILURE() << "no site " << name;
  return {};
}

class KeyringPasswordsTest : public ::testing::Test {
 protected:
  hv::test::cTemporaryUserFolders folders_;
  cMemoryPasswordStore keyring_;
  cSiteRegistry plain_{kCompany, kApplication, nullptr};
  cSiteRegistry with_keyring_{kCompany, kApplication, &keyring_};
};

TEST_F(KeyringPasswordsTest, ASitesPasswordLivesInTheKeyringAndComesBackWhole) {
  // A semicolon no longer cuts it: it is not in the data any more.
  EXPECT_TRUE(WriteSavedSite(with_keyring_, "Home", Site("se;cret")).ok());
  EXPECT_EQ(ReadSetting("Client Data", "Home"), "home.example;1025;ann;;0");
  EXPECT_EQ(Filed(keyring_, "Client Data\\Home"), "se;cret");
  EXPECT_STREQ(Loaded(with_keyring_, "Home").password.CStr(), "se;cret");

  // A site whose user settings are not kept leaves nothing behind in the keyring.
  EXPECT_TRUE(WriteSavedSite(with_keyring_, "Home", Site("pw", 1)).ok());
  EXPECT_EQ(Filed(keyring_, "Client Data\\Home"), "<none>");
  EXPECT_TRUE(WriteSavedSite(with_keyring_, "Cabin", Site("cabin-pw")).ok());
  EXPECT_TRUE(DeleteSavedSite(with_keyring_, "Cabin").ok());
  EXPECT_EQ(Filed(keyring_, "Client Data\\Cabin"), "<none>");
  EXPECT_EQ(ReadSetting("Client Data", "Cabin"), "<none>");
}

TEST_F(KeyringPasswordsTest, AKeyringThatKeepsADeletedSitesPasswordFailsTheSave) {
  EXPECT_TRUE(WriteSavedSite(with_keyring_, "Cabin", Site("cabin-pw")).ok());
  keyring_.refuse_removals = true;
  const Status deleted = DeleteSavedSite(with_keyring_, "Cabin");
  EXPECT_TRUE(deleted.Is(Where::kKeyring, kCannotOpenFile)) << deleted.ToString();
  EXPECT_NE(deleted.message().find("Client Data\\Cabin"), std::string::npos);
  // What the keyring said travels along.
  EXPECT_NE(deleted.message().find("the test keyring refuses"), std::string::npos);
  // The site itself is gone all the same.
  EXPECT_EQ(ReadSetting("Client Data", "Cabin"), "<none>");
}

TEST_F(KeyringPasswordsTest, AKeyringThatRefusesLeavesThePasswordInTheData) {
  keyring_.refuse_stores = true;
  EXPECT_TRUE(WriteSavedSite(with_keyring_, "Home", Site("pw")).ok());
  EXPECT_EQ(ReadSetting("Client Data", "Home"), "home.example;1025;ann;pw;0");
  EXPECT_STREQ(Loaded(with_keyring_, "Home").password.CStr(), "pw");

  cClientSettings settings;
  settings.password = "current";
  settings.login_password = "login";
  EXPECT_TRUE(WriteClientSettingsAfterSetup(cRegistryWords{}, settings, &keyring_).ok());
  EXPECT_EQ(ReadSetting("Client Settings", "Password"), "current");
  EXPECT_EQ(ReadSetting("Client Settings", "LoginPassword"), "login");
}

TEST_F(KeyringPasswordsTest, TheConnectionsPasswordsAreFiledAndReadBack) {
  cRegistryWords words;
  cClientSettings settings;
  settings.user_name = "ann";
  settings.password = "current";
  settings.login_password = "login";
  EXPECT_TRUE(WriteClientSettingsAfterSetup(words, settings, &keyring_).ok());
  EXPECT_EQ(ReadSetting("Client Settings", "Password"), "");
  EXPECT_EQ(ReadSetting("Client Settings", "LoginPassword"), "");
  EXPECT_EQ(ReadSetting("Client Settings", "UserName"), "ann");
  EXPECT_EQ(Filed(keyring_, "Client Settings\\Password"), "current");

  cClientSettings read = ReadClientSettings(words);
  ReadKeyringPasswords(words, &keyring_, &read);
  EXPECT_STREQ(read.password.CStr(), "current");
  EXPECT_STREQ(read.login_password.CStr(), "login");

  // "Dont Save User Settings" takes the login's password out of the keyring too.
  settings.dont_save_user_settings = 1;
  EXPECT_TRUE(WriteClientSettingsAfterSetup(words, settings, &keyring_).ok());
  EXPECT_EQ(ReadSetting("Client Settings", "LoginPassword"), "<none>");
  EXPECT_EQ(Filed(keyring_, "Client Settings\\LoginPassword"), "<none>");
}

TEST_F(KeyringPasswordsTest, TurningTheSettingOnAndOffMovesEveryPasswordAndLosesNone) {
  cRegistryWords words;
  EXPECT_TRUE(WriteSavedSite(plain_, "Home", Site("home-pw")).ok());
  EXPECT_TRUE(WriteSavedSite(plain_, "Lake", Site("", 1)).ok());
  cClientSettings settings;
  settings.password = "current";
  settings.login_password = "login";
  EXPECT_TRUE(WriteClientSettingsAfterSetup(words, settings).ok());

  EXPECT_TRUE(MoveSavedSitePasswords(with_keyring_, &keyring_).ok());
  EXPECT_TRUE(MoveClientPasswords(words, &keyring_, true).ok());
  EXPECT_EQ(ReadSetting("Client Data", "Home"), "home.example;1025;ann;;0");
  EXPECT_EQ(ReadSetting("Client Data", "Lake"), "home.example;1025;;;1");
  EXPECT_EQ(ReadSetting("Client Settings", "Password"), "");
  EXPECT_EQ(Filed(keyring_, "Client Data\\Home"), "home-pw");
  EXPECT_EQ(Filed(keyring_, "Client Settings\\LoginPassword"), "login");

  EXPECT_TRUE(MoveSavedSitePasswords(plain_, &keyring_).ok());
  EXPECT_TRUE(MoveClientPasswords(words, &keyring_, false).ok());
  EXPECT_EQ(ReadSetting("Client Data", "Home"), "home.example;1025;ann;home-pw;0");
  EXPECT_EQ(ReadSetting("Client Settings", "Password"), "current");
  EXPECT_EQ(ReadSetting("Client Settings", "LoginPassword"), "login");
  EXPECT_TRUE(keyring_.entries.empty());
}

TEST_F(KeyringPasswordsTest, StartUpReadsTheKeyringOrSaysWhyItCannot) {
  hv::test::WriteClientSetting("Store Passwords In Keyring", 1u);
  hv::test::WriteClientSetting("LoginPassword", "");
  keyring_.entries[cMemoryPasswordStore::Key(kCompany, kApplication,
                                             "Client Settings\\LoginPassword")] = "from-keyring";
  // A start with the keyring answering, then one with the keyring gone: the password stays
  // empty and an entry named "Keyring" says why.
  struct cStart {
    bool available;
    const char* password;
    const char* entry;  // null: no entry
  };
  for (const cStart& start :
       {cStart{true, "from-keyring", nullptr}, cStart{false, "", "Keyring"}}) {
    SCOPED_TRACE(start.available ? "keyring answers" : "keyring gone");
    keyring_.available = start.available;
    hv::test::cAppHarness harness;
    harness.environment.password_store = &keyring_;
    CHouseDeskApp app(harness.environment);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_STREQ(app.Settings().login_password.CStr(), start.password);
    if (start.entry == nullptr) {
      EXPECT_EQ(app.ActivityItems().Count(), 0u);
    } else {
      ASSERT_EQ(app.ActivityItems().Count(), 1u);
      EXPECT_STREQ(app.ActivityItems().At(0)->Entry().name.CStr(), start.entry);
    }
  }
}

}  // namespace

}  // namespace hv
