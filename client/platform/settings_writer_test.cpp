#include "client/platform/settings_writer.h"

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "core/profile/profile.h"
#include "core/testing/temp_config_home.h"

namespace hv {
namespace {

constexpr const char* kCompany = "Orvane LLC";
constexpr const char* kApplication = "Varnholt";

TEST(SettingsWriterTest, OneSaveWritesEveryValueAndADeletionOfNothingIsNoFailure) {
  TempConfigHome home;
  cSettingsWriter writer(kCompany, kApplication);
  writer.Number("Main Window", "Split View", 0);
  writer.Text("Main Window", "Top Child Dialog Name", "Cameras");
  writer.Delete("Main Window", "Never Written");
  ASSERT_TRUE(WriteProfile(kCompany, kApplication, "Main Window", "Old", "x", kProfileText).ok());
  writer.Delete("Main Window", "Old");
  const Status saved = writer.Finish();
  EXPECT_TRUE(saved.ok()) << saved.ToString();
  EXPECT_TRUE(writer.Finish().ok());  // a second Finish gives the same

  uint32_t split = 1;
  EXPECT_TRUE(
      ReadProfileNumber(kCompany, kApplication, "Main Window", "Split View", &split, 1).ok());
  EXPECT_EQ(split, 0u);
  char name[32];
  EXPECT_TRUE(ReadProfileString(kCompany, kApplication, "Main Window", "Top Child Dialog Name", "",
                                name, sizeof name)
                  .ok());
  EXPECT_STREQ(name, "Cameras");
  EXPECT_TRUE(ReadProfileString(kCompany, kApplication, "Main Window", "Old", "", name, sizeof name)
                  .declined());
}

TEST(SettingsWriterTest, AStoreThatCannotBeOpenedFailsTheSaveOnceWithItsFirstValue) {
  TempConfigHome home;
  // The store's folder is taken by a file: nothing can be written there.
  std::ofstream(home.path() + "/hearthview") << "not a folder";
  cSettingsWriter writer(kCompany, kApplication);
  writer.Number("WindowSize", "Main X1", 10);
  writer.Number("WindowSize", "Main Y1", 20);
  writer.Add(Status(Where::kSettings, kCannotOpenFile, "added later"));
  const Status saved = writer.Finish();
  ASSERT_TRUE(saved.failed());
  EXPECT_EQ(saved.where(), Where::kSettings);
  EXPECT_NE(saved.message().find("\"Main X1\" of \"WindowSize\""), std::string::npos)
      << saved.message();
  EXPECT_EQ(
      SettingsNotSavedText(saved),
      "Some settings could not be saved and keep their former values: " + saved.message() + ".");
}

TEST(SettingsWriterTest, KeepFirstFailureLetsOkAndDeclinedGiveWay) {
  Status kept = Status::Declined(Where::kSettings);
  KeepFirstFailure(&kept, Status::Ok());
  EXPECT_TRUE(kept.declined());
  KeepFirstFailure(&kept, Status::Failure(Where::kSettings, "first"));
  KeepFirstFailure(&kept, Status::Failure(Where::kSettings, "second"));
  EXPECT_EQ(kept.message(), "first");
}

}  // namespace
}  // namespace hv
