#include "client/shell/app/help.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "client/shell/testing/house_desk_app_test_support.h"
#include "core/status.h"
#include "core/testing/text_file.h"

namespace hv {

namespace {

namespace fs = std::filesystem;

using hv::test::ReadText;

TEST(HelpTest, TopicAddressesPointAtThePageAnchor) {
  EXPECT_STREQ(HelpFolderFor("/usr/bin").CStr(), "/usr/bin/../share/hearthview/help");
  EXPECT_STREQ(HelpFolderFor("/usr/bin/").CStr(), "/usr/bin/../share/hearthview/help");
  EXPECT_STREQ(HelpTopicAddress("/h", 1000).CStr(), "file:///h/main-window.html#1000");
  EXPECT_STREQ(HelpTopicAddress("/h/", 1067).CStr(), "file:///h/send-x10-code.html#1067");
  EXPECT_STREQ(HelpTopicAddress("/h", 4242).CStr(), "file:///h/index.html");
  // Characters a URL cannot carry as they are.
  EXPECT_STREQ(HelpTopicAddress("/my help#1", 1039).CStr(),
               "file:///my%20help%231/client-setup.html#1039");
}

TEST(HelpTest, DialogIdsAreReducedBeforeOpening) {
  hv::test::cRecordingShell shell;
  EXPECT_TRUE(OpenHelpTopic(shell, "/h", 0x20000 + 1060).ok());
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0], "file:///h/command-files.html#1060");
}

// Every topic a window can ask for has its page with the anchor, in the sources and in the
// build's program folder where the program looks for them.
TEST(HelpTest, EveryTopicHasItsPageAndAnchor) {
  const char* source = std::getenv("HV_SOURCE_DIR");
  const char* bin = std::getenv("HV_BIN_DIR");
  if (source == nullptr || bin == nullptr) GTEST_SKIP() << "run through ctest";
  const fs::path folders[] = {fs::path(source) / "client/resources/help",
                              fs::path(HelpFolderFor(bin).CStr())};
  for (const fs::path& folder : folders) {
    SCOPED_TRACE(folder.string());
    EXPECT_TRUE(fs::exists(folder / "index.html"));
    for (uint32_t id :
         {kHelpMainWindow, kHelpClientSetup, kHelpCommandFileMonitoring, kHelpSendX10Code}) {
      std::string page = ReadText(folder / HelpPageName(id));
      EXPECT_NE(page.find("id=\"" + std::to_string(id) + "\""), std::string::npos) << id;
    }
  }
}

}  // namespace

}  // namespace hv
