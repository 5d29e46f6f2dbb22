// The tray favourites: what the registry keeps of them, the statuses they follow and the
// requests their menu commands send.
#include "client/shell/tray/tray_favourites.h"

#include <gtest/gtest.h>

#include <string>

#include "client/protocol/request_failures.h"
#include "client/views/testing/item_view_test_support.h"
#include "core/profile/profile.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

using hv::test::cSentRequest;

std::string StoredList() {
  char buffer[1024];
  ReadProfileString("Orvane LLC", "Varnholt", "Client Settings", "Favourites", "", buffer,
                    sizeof buffer)
      .Ignore("nothing stored reads as an empty list");
  return buffer;
}

void Store(const char* text) {
  ASSERT_TRUE(
      WriteProfile("Orvane LLC", "Varnholt", "Client Settings", "Favourites", text, kProfileText)
          .ok());
}

TEST(TrayFavouritesTest, MarksAreWrittenAtOnceAndReadBackInTheirOrder) {
  TempConfigHome home;
  cTrayFavourites favourites;
  favourites.Load("Orvane LLC", "Varnholt");
  EXPECT_TRUE(favourites.Favourites().empty());
  EXPECT_TRUE(favourites.SetFavourite(eFavouriteKind::kSwitch, "Porch Light", true));
  EXPECT_TRUE(favourites.SetFavourite(eFavouriteKind::kMacro, "Good Night", true));
  EXPECT_TRUE(favourites.SetFavourite(eFavouriteKind::kMacro, "Porch Light", true));
  EXPECT_TRUE(favourites.SetFavourite(eFavouriteKind::kSwitch, "Porch Light", true));  // again
  EXPECT_EQ(StoredList(), "Switch:Porch Light\nMacro:Good Night\nMacro:Porch Light\n");
  EXPECT_TRUE(favourites.SetFavourite(eFavouriteKind::kMacro, "Good Night", false));
  EXPECT_EQ(StoredList(), "Switch:Porch Light\nMacro:Porch Light\n");

  cTrayFavourites again;
  again.Load("Orvane LLC", "Varnholt");
  ASSERT_EQ(again.Favourites().size(), 2u);
  EXPECT_TRUE(again.IsFavourite(eFavouriteKind::kSwitch, "Porch Light"));
  EXPECT_TRUE(again.IsFavourite(eFavouriteKind::kMacro, "Porch Light"));
  EXPECT_FALSE(again.IsFavourite(eFavouriteKind::kSwitch, "porch light"));  // exact names
}

TEST(TrayFavouritesTest, NamesTheListCannotHoldAreRefusedAndStrangeLinesSkipped) {
  TempConfigHome home;
  Store("Switch:Hall\r\nnonsense\nSwitch:\nLamp:Desk\nMacro:Wake\nSwitch:Hall\n");
  cTrayFavourites favourites;
  favourites.Load("Orvane LLC", "Varnholt");
  ASSERT_EQ(favourites.Favourites().size(), 2u);
  EXPECT_STREQ(favourites.Favourites()[0].name.CStr(), "Hall");
  EXPECT_STREQ(favourites.Favourites()[1].name.CStr(), "Wake");
  EXPECT_FALSE(favourites.SetFavourite(eFavouriteKind::kSwitch, "Two\nLines", true));
  EXPECT_FALSE(favourites.SetFavourite(eFavouriteKind::kSwitch, "", true));
  EXPECT_EQ(favourites.Favourites().size(), 2u);
}

TEST(TrayFavouritesTest, WithSaveSettingsOffMarksLastForTheRunOnly) {
  TempConfigHome home;
  const uint32_t off = 0;
  ASSERT_TRUE(WriteProfile("Orvane LLC", "Varnholt", "Client Settings", "Save Settings", &off,
                           kProfileNumber)
                  .ok());
  cTrayFavourites favourites;
  favourites.Load("Orvane LLC", "Varnholt");
  EXPECT_TRUE(favourites.SetFavourite(eFavouriteKind::kSwitch, "Porch", true));
  EXPECT_TRUE(favourites.IsFavourite(eFavouriteKind::kSwitch, "Porch"));
  EXPECT_EQ(StoredList(), "");
}

TEST(TrayFavouritesTest, MenuEntriesFollowTheStatusesAndCommandsSendTheOpposite) {
  TempConfigHome home;
  cTrayFavourites favourites;
  favourites.Load("Orvane LLC", "Varnholt");
  ASSERT_TRUE(favourites.SetFavourite(eFavouriteKind::kSwitch, "Bed & Bath", true));
  ASSERT_TRUE(favourites.SetFavourite(eFavouriteKind::kMacro, "Wake", true));
  // Never heard of: unchecked; a switch is on at On (2) and Dim (4), a macro runs at 3.
  auto entries = favourites.MenuEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].command, cTrayFavourites::kFirstCommand);
  EXPECT_STREQ(entries[0].text.CStr(), "Bed && Bath");
  EXPECT_FALSE(entries[0].checked);
  EXPECT_FALSE(entries[1].checked);
  favourites.SwitchStatus("Bed & Bath", 4);
  favourites.MacroStatus("Wake", 3);
  favourites.SwitchStatus("Other", 2);
  entries = favourites.MenuEntries();
  EXPECT_TRUE(entries[0].checked);
  EXPECT_TRUE(entries[1].checked);

  hv::test::cRecordingItemViewRequests requests;
  std::vector<std::string> failures;
  auto report = [&](const char* message) { failures.emplace_back(message); };
  EXPECT_EQ(favourites.RunCommand(entries[0].command, requests, report).code(), 0);
  EXPECT_EQ(favourites.RunCommand(entries[1].command, requests, report).code(), 0);
  favourites.SwitchStatus("Bed & Bath", 3);
  favourites.MacroStatus("Wake", 2);
  EXPECT_EQ(favourites.RunCommand(entries[0].command, requests, report).code(), 0);
  EXPECT_EQ(favourites.RunCommand(entries[1].command, requests, report).code(), 0);
  EXPECT_EQ(requests.sent, (std::vector<cSentRequest>{{"SetSwitchStatus", "Bed & Bath", 3},
                                                      {"SetMacroStatus", "Wake", 2},
                                                      {"SetSwitchStatus", "Bed & Bath", 2},
                                                      {"SetMacroStatus", "Wake", 3}}));
  // Not a favourite's command: nothing sent.
  EXPECT_EQ(favourites.RunCommand(cTrayFavourites::kFirstCommand + 2, requests, report).code(), 1);
  EXPECT_EQ(favourites.RunCommand(cTrayFavourites::kFirstCommand - 1, requests, report).code(), 1);
  EXPECT_EQ(requests.sent.size(), 4u);
  EXPECT_TRUE(failures.empty());

  requests.result = hv::kSendFailed;
  EXPECT_LT(favourites.RunCommand(entries[1].command, requests, report).code(), 0);
  EXPECT_EQ(failures, std::vector<std::string>{failure::kSetMacroStatus});
}

}  // namespace

}  // namespace hv
