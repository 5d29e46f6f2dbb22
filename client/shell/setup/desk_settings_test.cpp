// A settings store that refuses the main window's saves: the user is told once, in the
// activity log, and told again only after a save has worked in between.
#include "client/shell/setup/desk_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "client/platform/settings_writer.h"
#include "client/protocol/testing/recording_activity_log.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/registry_words.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "core/profile/profile.h"
#include "core/testing/scoped_env.h"

namespace hv {
namespace {

TEST(DeskSettingsTest, ARefusedSaveIsToldOnceUntilASaveWorksAgain) {
  hv::test::cTemporaryUserFolders folders;
  const std::string config = std::getenv("XDG_CONFIG_HOME");
  // A second config folder whose store folder is taken by a file: no value can be written.
  const std::string broken = config + "/../broken";
  std::filesystem::create_directories(broken);
  std::ofstream(broken + "/hearthview") << "not a folder";

  const cRegistryWords words;
  cClientSettings client;
  cRecordingActivityLog log;
  const cDeskSettings desk(words, client, nullptr, {}, &log);
  cArrangementChoices choices;
  choices.top_name = "Cameras";
  {
    hv::test::cScopedEnv unwritable("XDG_CONFIG_HOME", broken);
    desk.WriteMainWindow(choices);
    desk.WriteWindowSize(cRect{1, 2, 300, 400});
  }
  ASSERT_EQ(log.entries.size(), 1u);
  const LogItemRecord& told = log.entries[0].record;
  EXPECT_EQ(told.entry_type, kEntryError);
  EXPECT_STREQ(told.name.CStr(), "Settings");
  EXPECT_NE(std::string(told.message.CStr()).find("\"Split View\" of \"Main Window\""),
            std::string::npos)
      << told.message.CStr();
  EXPECT_TRUE(log.entries[0].stored && log.entries[0].shown);

  // The store works again: the save is kept, and the next refusal is told anew.
  desk.WriteWindowSize(cRect{1, 2, 300, 400});
  uint32_t right = 0;
  EXPECT_TRUE(
      ReadProfileNumber(words.Company(), words.Application(), "WindowSize", "Main X2", &right, 0)
          .ok());
  EXPECT_EQ(right, 300u);
  EXPECT_EQ(log.entries.size(), 1u);
  hv::test::cScopedEnv unwritable("XDG_CONFIG_HOME", broken);
  desk.WriteWindowSize(cRect{1, 2, 300, 400});
  EXPECT_EQ(log.entries.size(), 2u);
}

// The top view's kind is stored as its number; one no kind has (a store edited by hand) starts
// as a first start does, with the activity log on top.
TEST(DeskSettingsTest, TheTopViewKindIsStoredByNumber) {
  hv::test::cTemporaryUserFolders folders;
  const cRegistryWords words;
  cClientSettings client;
  const cDeskSettings desk(words, client, nullptr, {}, nullptr);
  cArrangementChoices choices;
  choices.top_kind = ViewKind::kMacros;
  choices.top_name = "Macros";
  desk.WriteMainWindow(choices);
  uint32_t number = 0;
  ASSERT_TRUE(ReadProfileNumber(words.Company(), words.Application(), "Main Window",
                                "Top Child Dialog Type", &number, 0)
                  .ok());
  EXPECT_EQ(number, 4u);
  EXPECT_EQ(desk.ReadMainWindow().top_kind, ViewKind::kMacros);
  EXPECT_EQ(desk.ReadMainWindow().top_name, "Macros");

  cSettingsWriter edit(words.Company(), words.Application());
  edit.Number("Main Window", "Top Child Dialog Type", 99);
  ASSERT_TRUE(edit.Finish().ok());
  EXPECT_EQ(desk.ReadMainWindow().top_kind, ViewKind::kActivityLog);
  EXPECT_EQ(desk.ReadMainWindow().top_name, "");
}

}  // namespace
}  // namespace hv
