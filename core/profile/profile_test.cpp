#include "core/profile/profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/profile/profile_key.h"
#include "core/profile/profile_store.h"
#include "core/profile/registry_store.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

constexpr const char* kCompany = "Orvane LLC";
constexpr const char* kApp = "Varnholt";

TEST(ProfileKeyTest, ComposesRegistryPaths) {
  EXPECT_EQ(ComposeProfileKey("Orvane LLC", "Varnholt", "Client Settings"),
            "Software\\Orvane LLC\\Varnholt\\Client Settings");
  EXPECT_EQ(ComposeProfileKey(nullptr, "App", "Sec"), "Software\\Orvane LLC\\App\\Sec");
  EXPECT_EQ(ComposeProfileKey("Co", "", "Sec"), "Software\\Co\\Sec");
  EXPECT_EQ(ComposeProfileKey("Co", "App", ""), "Software\\Co\\App");
  EXPECT_EQ(ComposeProfileKey("Co", nullptr, nullptr), "Software\\Co");
  EXPECT_EQ(ComposeProfileKey("Co", "A*p?p", "A\\B"), "Software\\Co\\App\\AB");
  EXPECT_EQ(ComposeProfileKey("Co", "App", "*?\\"), "Software\\Co\\App");
}

TEST(ProfileKeyTest, PathsAreLimitedTo1022Characters) {
  std::string long_section(2000, 's');
  std::string key = ComposeProfileKey("Co", "App", long_section.c_str());
  EXPECT_EQ(key.size(), 1022u);
  EXPECT_EQ(key.substr(0, 16), "Software\\Co\\App\\");
  // Exactly at the limit nothing is lost; one more and the last character goes.
  std::string fits(1022 - 16, 'f');
  EXPECT_EQ(ComposeProfileKey("Co", "App", fits.c_str()).size(), 1022u);
}

class ProfileTest : public ::testing::Test {
 protected:
  TempConfigHome home_;
};

TEST_F(ProfileTest, NumbersAndTextsRoundTrip) {
  uint32_t build = 0x31323334;  // "4321" as raw bytes, little-endian
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Version Info", "Latest Build", &build, kProfileNumber),
            0);
  uint32_t number = 0;
  EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Version Info", "Latest Build", &number, 7), 0);
  EXPECT_EQ(number, build);
  char buffer[16];
  EXPECT_EQ(
      ReadProfileString(kCompany, kApp, "Version Info", "Latest Build", "", buffer, sizeof(buffer)),
      0);
  EXPECT_EQ(std::string(buffer), "4321");  // the number's 4 raw bytes

  ASSERT_EQ(WriteProfile(kCompany, kApp, "Client Settings", "Address", "house.local", kProfileText),
            0);
  EXPECT_EQ(
      ReadProfileString(kCompany, kApp, "Client Settings", "address", "", buffer, sizeof(buffer)),
      0);  // value names ignore case, as the registry's do
  EXPECT_STREQ(buffer, "house.local");
  char small[6];
  EXPECT_EQ(
      ReadProfileString(kCompany, kApp, "Client Settings", "Address", "", small, sizeof(small)), 0);
  EXPECT_STREQ(small, "house");  // cut to the buffer, terminated
  EXPECT_EQ(ReadProfileString(kCompany, kApp, "Client Settings", "Address", "", small, 0), 2);
}

TEST_F(ProfileTest, MissingValuesGiveTheDefaultAndOne) {
  char buffer[32];
  EXPECT_EQ(
      ReadProfileString(kCompany, kApp, "Nowhere", "Name", "fallback", buffer, sizeof(buffer)), 1);
  EXPECT_STREQ(buffer, "fallback");
  uint32_t number = 0;
  EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Nowhere", "Port", &number, 1025), 1);
  EXPECT_EQ(number, 1025u);
  uint32_t written = 8;
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Nowhere", "Port", &written, kProfileNumber), 0);
  EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Nowhere", "Port", &number, 1025), 0);
  EXPECT_EQ(number, 8u);
}

TEST_F(ProfileTest, NumberStoredAsTextIsConvertedFromDecimal) {
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Client Settings", "Port", "8080", kProfileText), 0);
  uint32_t port = 0;
  EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Client Settings", "Port", &port, 1025), 0);
  EXPECT_EQ(port, 8080u);
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Client Settings", "Port", "not a number", kProfileText),
            0);
  EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Client Settings", "Port", &port, 1025), 1);
  EXPECT_EQ(port, 1025u);
}

TEST_F(ProfileTest, SectionWithBackslashIsStoredWithoutIt) {
  ASSERT_EQ(WriteProfile(kCompany, kApp, "A\\B", "Name", "value", kProfileText), 0);
  std::unique_ptr<swRegistryStore> store;
  ASSERT_TRUE(swRegistryStore::Open(swRegistryStore::DefaultPath(), &store).ok());
  EXPECT_TRUE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\AB"));
  EXPECT_FALSE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\A"));
  char buffer[16];
  EXPECT_EQ(ReadProfileString(kCompany, kApp, "AB", "Name", "", buffer, sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "value");
}

TEST_F(ProfileTest, DeletionsReturnTheirCodes) {
  uint32_t one = 1;
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Sec", "Here", &one, kProfileNumber), 0);
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Sec\\", "Sub", &one, kProfileNumber), 0);
  EXPECT_EQ(WriteProfile(kCompany, kApp, "Sec", "Absent", nullptr, kProfileNumber), 3);
  EXPECT_EQ(WriteProfile(kCompany, kApp, "No Such Section", "Absent", nullptr, kProfileNumber), 1);
  EXPECT_EQ(WriteProfile(kCompany, kApp, "Sec", "Here", nullptr, kProfileNumber), 0);
  uint32_t number = 0;
  EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Sec", "Here", &number, 5), 1);

  // A whole section key goes with the keys below it.
  std::unique_ptr<swRegistryStore> store;
  ASSERT_TRUE(swRegistryStore::Open(swRegistryStore::DefaultPath(), &store).ok());
  swRegistryValue below{"Deep", kRegistryText, "x"};
  ASSERT_EQ(store->SetValue("Software\\Orvane LLC\\Varnholt\\Tree\\Child", below).code(), kStoreOk);
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Tree", "Top", "t", kProfileText), 0);
  EXPECT_EQ(WriteProfile(kCompany, kApp, "Tree", nullptr, nullptr, 0), 0);
  EXPECT_FALSE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\Tree\\Child"));
  EXPECT_FALSE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\Tree"));
  EXPECT_TRUE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\Sec"));
  EXPECT_EQ(WriteProfile(kCompany, kApp, "Tree", nullptr, nullptr, 0), 1);
}

TEST_F(ProfileTest, NameListOfASection) {
  ASSERT_EQ(WriteProfile(kCompany, kApp, "List", "b", "2", kProfileText), 0);
  ASSERT_EQ(WriteProfile(kCompany, kApp, "List", "a", "1", kProfileText), 0);
  char buffer[16];
  std::memset(buffer, 'x', sizeof(buffer));
  EXPECT_EQ(ReadProfileString(kCompany, kApp, "List", nullptr, "", buffer, sizeof(buffer)), 0);
  EXPECT_EQ(std::string(buffer, 5), std::string("a\0b\0\0", 5));
  char tight[4];  // room for "a" and the final empty name only
  EXPECT_EQ(ReadProfileString(kCompany, kApp, "List", nullptr, "", tight, sizeof(tight)), 0);
  EXPECT_EQ(std::string(tight, 3), std::string("a\0\0", 3));
}

TEST_F(ProfileTest, DefaultCompanyWordIsUsedWhenNoneIsGiven) {
  ASSERT_EQ(WriteProfile(nullptr, "Tool", "Sec", "V", "x", kProfileText), 0);
  EXPECT_TRUE(ProfileKeyExists("Software\\Orvane LLC\\Tool\\Sec"));
  EXPECT_TRUE(ProfileKeyExists("software\\orvane llc"));
  EXPECT_FALSE(ProfileKeyExists("Software\\Quillmere"));
}

TEST_F(ProfileTest, IniFileAlternative) {
  std::string ini = home_.path() + "/settings.ini";
  uint32_t negative = static_cast<uint32_t>(-5);
  ASSERT_EQ(
      WriteProfile(nullptr, nullptr, "Window", "Left", &negative, kProfileNumber, ini.c_str()), 0);
  ASSERT_EQ(WriteProfile(nullptr, nullptr, "Window", "Title", "Main", kProfileText, ini.c_str()),
            0);
  EXPECT_EQ(
      WriteProfile(nullptr, nullptr, "Window", "Bad", "two\nlines", kProfileText, ini.c_str()), 1);
  uint32_t number = 0;
  EXPECT_EQ(ReadProfileNumber(nullptr, nullptr, "window", "left", &number, 0, ini.c_str()), 0);
  EXPECT_EQ(static_cast<int32_t>(number), -5);
  char buffer[16];
  EXPECT_EQ(ReadProfileString(nullptr, nullptr, "Window", "Title", "", buffer, sizeof(buffer),
                              ini.c_str()),
            0);
  EXPECT_STREQ(buffer, "Main");
  EXPECT_EQ(WriteProfile(nullptr, nullptr, "Window", "Gone", nullptr, 0, ini.c_str()), 3);
  EXPECT_EQ(WriteProfile(nullptr, nullptr, "Other", "Gone", nullptr, 0, ini.c_str()), 1);
  // Nothing went to the registry.
  EXPECT_FALSE(ProfileKeyExists("Software\\Orvane LLC"));
  // With "Use Registry" set, the same call goes to the registry.
  ASSERT_EQ(
      WriteProfile(nullptr, nullptr, "Options", "Use Registry", "1", kProfileText, ini.c_str()), 0);
  ASSERT_EQ(WriteProfile(nullptr, "App", "Window", "Title", "Reg", kProfileText, ini.c_str()), 0);
  EXPECT_TRUE(ProfileKeyExists("Software\\Orvane LLC\\App\\Window"));
  std::string missing_folder = home_.path() + "/no/such/folder.ini";
  EXPECT_EQ(WriteProfile(nullptr, nullptr, "S", "N", "v", kProfileText, missing_folder.c_str()), 2);
}

TEST_F(ProfileTest, BatchedWritesReachTheStoreTogether) {
  std::unique_ptr<swRegistryStore> other;
  ASSERT_TRUE(swRegistryStore::Open(swRegistryStore::DefaultPath(), &other).ok());
  swRegistryValue value;
  uint32_t number = 0;
  {
    swProfileBatch batch;
    uint32_t seven = 7;
    ASSERT_EQ(WriteProfile(kCompany, kApp, "Batch", "One", &seven, kProfileNumber), 0);
    {
      swProfileBatch inner;
      ASSERT_EQ(WriteProfile(kCompany, kApp, "Batch", "Two", "two", kProfileText), 0);
    }
    EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Batch", "One", &number, 0), 0);
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(other->GetValue("Software\\Orvane LLC\\Varnholt\\Batch", "Two", &value).code(),
              kStoreNoKey);
    EXPECT_TRUE(batch.End().ok());
  }
  EXPECT_EQ(other->GetValue("Software\\Orvane LLC\\Varnholt\\Batch", "Two", &value).code(),
            kStoreOk);
  EXPECT_EQ(value.data, "two");
}

// The kept connection follows the store's file: a new $XDG_CONFIG_HOME, or a file removed
// (or moved aside) by someone else, must never leave the values in a file nobody reads.
TEST_F(ProfileTest, KeptConnectionFollowsTheStoresFile) {
  uint32_t one = 1;
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Here", "First", &one, kProfileNumber), 0);
  const std::string first_path = swRegistryStore::DefaultPath();
  uint32_t number = 0;
  {
    TempConfigHome elsewhere;
    EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Here", "First", &number, 0), 1);
    ASSERT_EQ(WriteProfile(kCompany, kApp, "Here", "Second", &one, kProfileNumber), 0);
  }
  EXPECT_EQ(ReadProfileNumber(kCompany, kApp, "Here", "Second", &number, 0), 1);

  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((first_path + suffix).c_str());
  ASSERT_EQ(WriteProfile(kCompany, kApp, "Here", "Third", &one, kProfileNumber), 0);
  std::unique_ptr<swRegistryStore> reopened;
  ASSERT_TRUE(swRegistryStore::Open(first_path, &reopened).ok());
  swRegistryValue value;
  EXPECT_EQ(reopened->GetValue("Software\\Orvane LLC\\Varnholt\\Here", "Third", &value).code(),
            kStoreOk);
  EXPECT_EQ(reopened->GetValue("Software\\Orvane LLC\\Varnholt\\Here", "First", &value).code(),
            kStoreNoValue);
}

}  // namespace

}  // namespace hv
