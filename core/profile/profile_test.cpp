#include "core/profile/profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
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
  ASSERT_TRUE(
      WriteProfile(kCompany, kApp, "Version Info", "Latest Build", &build, kProfileNumber).ok());
  uint32_t number = 0;
  EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Version Info", "Latest Build", &number, 7).ok());
  EXPECT_EQ(number, build);
  char buffer[16];
  EXPECT_TRUE(
      ReadProfileString(kCompany, kApp, "Version Info", "Latest Build", "", buffer, sizeof(buffer))
          .ok());
  EXPECT_EQ(std::string(buffer), "4321");  // the number's 4 raw bytes

  ASSERT_TRUE(
      WriteProfile(kCompany, kApp, "Client Settings", "Address", "house.local", kProfileText).ok());
  EXPECT_TRUE(
      ReadProfileString(kCompany, kApp, "Client Settings", "address", "", buffer, sizeof(buffer))
          .ok());  // value names ignore case, as the registry's do
  EXPECT_STREQ(buffer, "house.local");
  char small[6];
  EXPECT_TRUE(
      ReadProfileString(kCompany, kApp, "Client Settings", "Address", "", small, sizeof(small))
          .ok());
  EXPECT_STREQ(small, "house");  // cut to the buffer, terminated
  EXPECT_TRUE(ReadProfileString(kCompany, kApp, "Client Settings", "Address", "", small, 0)
                  .Is(Where::kProfile, kProfileNoRoom));
}

TEST_F(ProfileTest, MissingValuesAreDeclinedWithTheDefault) {
  char buffer[32];
  EXPECT_TRUE(
      ReadProfileString(kCompany, kApp, "Nowhere", "Name", "fallback", buffer, sizeof(buffer))
          .declined());
  EXPECT_STREQ(buffer, "fallback");
  uint32_t number = 0;
  EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Nowhere", "Port", &number, 1025).declined());
  EXPECT_EQ(number, 1025u);
  uint32_t written = 8;
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "Nowhere", "Port", &written, kProfileNumber).ok());
  EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Nowhere", "Port", &number, 1025).ok());
  EXPECT_EQ(number, 8u);
}

// A store that cannot be opened: the write fails with the key and the reason in its message,
// while a read still delivers its default, as a missing value does.
TEST_F(ProfileTest, UnopenableStoreFailsWritesAndDeclinesReads) {
  std::ofstream(home_.path() + "/hearthview") << "a file where the store's folder belongs";
  uint32_t port = 8080;
  const Status written =
      WriteProfile(kCompany, kApp, "Client Settings", "Port", &port, kProfileNumber);
  EXPECT_TRUE(written.Is(Where::kProfile, kProfileKeyFailed));
  EXPECT_TRUE(written.failed());
  EXPECT_FALSE(written.declined());
  EXPECT_NE(written.message().find("Software\\Orvane LLC\\Varnholt\\Client Settings \"Port\""),
            std::string::npos)
      << written.message();
  EXPECT_NE(written.message().find("cannot create the folder"), std::string::npos)
      << written.message();

  uint32_t number = 0;
  const Status read = ReadProfileNumber(kCompany, kApp, "Client Settings", "Port", &number, 1025);
  EXPECT_TRUE(read.declined());
  EXPECT_EQ(number, 1025u);
  EXPECT_NE(read.message().find("cannot create the folder"), std::string::npos) << read.message();
}

TEST_F(ProfileTest, NumberStoredAsTextIsConvertedFromDecimal) {
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "Client Settings", "Port", "8080", kProfileText).ok());
  uint32_t port = 0;
  EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Client Settings", "Port", &port, 1025).ok());
  EXPECT_EQ(port, 8080u);
  ASSERT_TRUE(
      WriteProfile(kCompany, kApp, "Client Settings", "Port", "not a number", kProfileText).ok());
  EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Client Settings", "Port", &port, 1025).declined());
  EXPECT_EQ(port, 1025u);
}

TEST_F(ProfileTest, SectionWithBackslashIsStoredWithoutIt) {
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "A\\B", "Name", "value", kProfileText).ok());
  std::unique_ptr<swRegistryStore> store;
  ASSERT_TRUE(swRegistryStore::Open(swRegistryStore::DefaultPath(), &store).ok());
  EXPECT_TRUE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\AB"));
  EXPECT_FALSE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\A"));
  char buffer[16];
  EXPECT_TRUE(ReadProfileString(kCompany, kApp, "AB", "Name", "", buffer, sizeof(buffer)).ok());
  EXPECT_STREQ(buffer, "value");
}

TEST_F(ProfileTest, DeletionsReturnTheirCodes) {
  uint32_t one = 1;
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "Sec", "Here", &one, kProfileNumber).ok());
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "Sec\\", "Sub", &one, kProfileNumber).ok());
  EXPECT_TRUE(WriteProfile(kCompany, kApp, "Sec", "Absent", nullptr, kProfileNumber)
                  .Is(Where::kProfile, kProfileDeleteFailed));
  EXPECT_TRUE(WriteProfile(kCompany, kApp, "No Such Section", "Absent", nullptr, kProfileNumber)
                  .Is(Where::kProfile, kProfileKeyFailed));
  EXPECT_TRUE(WriteProfile(kCompany, kApp, "Sec", "Here", nullptr, kProfileNumber).ok());
  uint32_t number = 0;
  EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Sec", "Here", &number, 5).declined());

  // A whole section key goes with the keys below it.
  std::unique_ptr<swRegistryStore> store;
  ASSERT_TRUE(swRegistryStore::Open(swRegistryStore::DefaultPath(), &store).ok());
  swRegistryValue below{"Deep", kRegistryText, "x"};
  ASSERT_EQ(store->SetValue("Software\\Orvane LLC\\Varnholt\\Tree\\Child", below).code(), kStoreOk);
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "Tree", "Top", "t", kProfileText).ok());
  EXPECT_TRUE(WriteProfile(kCompany, kApp, "Tree", nullptr, nullptr, 0).ok());
  EXPECT_FALSE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\Tree\\Child"));
  EXPECT_FALSE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\Tree"));
  EXPECT_TRUE(store->KeyExists("Software\\Orvane LLC\\Varnholt\\Sec"));
  EXPECT_TRUE(WriteProfile(kCompany, kApp, "Tree", nullptr, nullptr, 0)
                  .Is(Where::kProfile, kProfileKeyFailed));
}

TEST_F(ProfileTest, NameListOfASection) {
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "List", "b", "2", kProfileText).ok());
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "List", "a", "1", kProfileText).ok());
  char buffer[16];
  std::memset(buffer, 'x', sizeof(buffer));
  EXPECT_TRUE(ReadProfileString(kCompany, kApp, "List", nullptr, "", buffer, sizeof(buffer)).ok());
  EXPECT_EQ(std::string(buffer, 5), std::string("a\0b\0\0", 5));
  char tight[4];  // room for "a" and the final empty name only
  EXPECT_TRUE(ReadProfileString(kCompany, kApp, "List", nullptr, "", tight, sizeof(tight)).ok());
  EXPECT_EQ(std::string(tight, 3), std::string("a\0\0", 3));
}

TEST_F(ProfileTest, DefaultCompanyWordIsUsedWhenNoneIsGiven) {
  ASSERT_TRUE(WriteProfile(nullptr, "Tool", "Sec", "V", "x", kProfileText).ok());
  EXPECT_TRUE(ProfileKeyExists("Software\\Orvane LLC\\Tool\\Sec"));
  EXPECT_TRUE(ProfileKeyExists("software\\orvane llc"));
  EXPECT_FALSE(ProfileKeyExists("Software\\Quillmere"));
}

TEST_F(ProfileTest, IniFileAlternative) {
  std::string ini = home_.path() + "/settings.ini";
  uint32_t negative = static_cast<uint32_t>(-5);
  ASSERT_TRUE(
      WriteProfile(nullptr, nullptr, "Window", "Left", &negative, kProfileNumber, ini.c_str())
          .ok());
  ASSERT_TRUE(
      WriteProfile(nullptr, nullptr, "Window", "Title", "Main", kProfileText, ini.c_str()).ok());
  EXPECT_TRUE(
      WriteProfile(nullptr, nullptr, "Window", "Bad", "two\nlines", kProfileText, ini.c_str())
          .Is(Where::kProfile, kProfileKeyFailed));
  uint32_t number = 0;
  EXPECT_TRUE(ReadProfileNumber(nullptr, nullptr, "window", "left", &number, 0, ini.c_str()).ok());
  EXPECT_EQ(static_cast<int32_t>(number), -5);
  char buffer[16];
  EXPECT_TRUE(ReadProfileString(nullptr, nullptr, "Window", "Title", "", buffer, sizeof(buffer),
                                ini.c_str())
                  .ok());
  EXPECT_STREQ(buffer, "Main");
  EXPECT_TRUE(WriteProfile(nullptr, nullptr, "Window", "Gone", nullptr, 0, ini.c_str())
                  .Is(Where::kProfile, kProfileDeleteFailed));
  EXPECT_TRUE(WriteProfile(nullptr, nullptr, "Other", "Gone", nullptr, 0, ini.c_str())
                  .Is(Where::kProfile, kProfileKeyFailed));
  // Nothing went to the registry.
  EXPECT_FALSE(ProfileKeyExists("Software\\Orvane LLC"));
  // With "Use Registry" set, the same call goes to the registry.
  ASSERT_TRUE(
      WriteProfile(nullptr, nullptr, "Options", "Use Registry", "1", kProfileText, ini.c_str())
          .ok());
  ASSERT_TRUE(
      WriteProfile(nullptr, "App", "Window", "Title", "Reg", kProfileText, ini.c_str()).ok());
  EXPECT_TRUE(ProfileKeyExists("Software\\Orvane LLC\\App\\Window"));
  std::string missing_folder = home_.path() + "/no/such/folder.ini";
  const Status unsaved =
      WriteProfile(nullptr, nullptr, "S", "N", "v", kProfileText, missing_folder.c_str());
  EXPECT_TRUE(unsaved.Is(Where::kProfile, kProfileNoIniFile));
  EXPECT_EQ(unsaved.message(), missing_folder + ": No such file or directory");
}

TEST_F(ProfileTest, BatchedWritesReachTheStoreTogether) {
  std::unique_ptr<swRegistryStore> other;
  ASSERT_TRUE(swRegistryStore::Open(swRegistryStore::DefaultPath(), &other).ok());
  swRegistryValue value;
  uint32_t number = 0;
  {
    swProfileBatch batch;
    uint32_t seven = 7;
    ASSERT_TRUE(WriteProfile(kCompany, kApp, "Batch", "One", &seven, kProfileNumber).ok());
    {
      swProfileBatch inner;
      ASSERT_TRUE(WriteProfile(kCompany, kApp, "Batch", "Two", "two", kProfileText).ok());
    }
    EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Batch", "One", &number, 0).ok());
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
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "Here", "First", &one, kProfileNumber).ok());
  const std::string first_path = swRegistryStore::DefaultPath();
  uint32_t number = 0;
  {
    TempConfigHome elsewhere;
    EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Here", "First", &number, 0).declined());
    ASSERT_TRUE(WriteProfile(kCompany, kApp, "Here", "Second", &one, kProfileNumber).ok());
  }
  EXPECT_TRUE(ReadProfileNumber(kCompany, kApp, "Here", "Second", &number, 0).declined());

  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((first_path + suffix).c_str());
  ASSERT_TRUE(WriteProfile(kCompany, kApp, "Here", "Third", &one, kProfileNumber).ok());
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
