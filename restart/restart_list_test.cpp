#include "restart/restart_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hv {

namespace {

const std::string kHash(64, 'a');

TEST(RestartList, ReadsTheClientsLines) {
  std::vector<cListedFile> files;
  const Status read =
      ParseRestartList("hearthview restart list 1\n" + kHash + "\thearthview.ex_\thearthview\n" +
                           std::string(64, 'F') + "\tdocs/a b.txt\tdocs/a b.txt\n",
                       &files);
  ASSERT_TRUE(read.ok()) << read.ToString();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].sha256[0], 0xaa);
  EXPECT_EQ(files[1].sha256[31], 0xff);
  EXPECT_EQ(files[1].staged, "docs/a b.txt");
  EXPECT_EQ(files[0].target, "hearthview");
}

// Whatever the list says, no file outside the two folders is named, and nothing half-read
// is taken.
TEST(RestartList, RefusesWhatCouldReachOutsideItsFoldersOrIsNotWhole) {
  const std::string header = "hearthview restart list 1\n";
  const std::string bad[] = {
      "",
      "hearthview restart list 2\n",
      header + kHash + "\ta\tb",                         // cut off
      header + kHash + "\t../a\tb\n",                    // leaves the staging folder
      header + kHash + "\ta\t/etc/passwd\n",             // absolute
      header + kHash + "\ta\tx/../../b\n",               // climbs out
      header + kHash + "\ta\tx//b\n",                    // empty part
      header + kHash + "\ta\tb\tc\n",                    // a field too many
      header + std::string(63, 'a') + "\ta\tb\n",        // short hash
      header + std::string(63, 'a') + "g\ta\tb\n",       // not hexadecimal
      header + kHash + "\ta\tb\n" + kHash + "\tc\tb\n",  // one target twice
  };
  for (size_t i = 0; i < std::size(bad); ++i) {
    std::vector<cListedFile> files;
    const Status refused = ParseRestartList(bad[i], &files);
    EXPECT_TRUE(refused.failed()) << i;
    EXPECT_FALSE(refused.message().empty()) << i;
  }
  std::vector<cListedFile> files;
  EXPECT_TRUE(ParseRestartList(header + std::string(kMaxRestartListBytes, 'a'), &files).failed());
}

}  // namespace

}  // namespace hv
