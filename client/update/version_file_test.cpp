#include "client/update/version_file.h"

#include <gtest/gtest.h>

namespace hv {

namespace {

TEST(VersionFileTest, KeysNotesAndHashes) {
  cVersionInfo info;
  ParseVersionFile(
      "  file version = 1\n"
      "\n"
      "program version\t=  2.1 \t\n"
      "Program Build = 187\r\n"
      "DATE AVAILABLE = 12/08/2026\n"
      "SOMETHING NEW = ignored\n"
      "Channel = beta\n"
      "PUBLISHED = 1796724000\n"
      "EXPIRES = 1799316000\n"
      "FILE Help/Index.html = 1234 " +
          std::string(64, 'a') +
          " any\n"
          "FILE short = 12 abc any\n"
          "FILE noplatform = 12 " +
          std::string(64, 'b') +
          "\n"
          "FILE badsize = 1x " +
          std::string(64, 'b') +
          " any\n"
          "RELEASE NOTES:\n"
          "First line\nSecond line\r\nThird\n",
      &info);
  EXPECT_STREQ(info.version.CStr(), "2.1");
  EXPECT_EQ(info.build, 187);
  EXPECT_STREQ(info.date.CStr(), "12/08/2026");
  EXPECT_EQ(info.channel, "beta");
  EXPECT_EQ(info.published, 1796724000u);
  // Bare line feeds get their carriage return; existing CR LF pairs stay as they are.
  EXPECT_STREQ(info.notes.CStr(), "First line\r\nSecond line\r\nThird\r\n");
  EXPECT_EQ(info.expires, 1799316000u);
  // A file keeps its path's case; one without a 64-digit hash, a platform or a plain size is
  // not listed at all.
  ASSERT_EQ(info.files.size(), 1u);
  ASSERT_EQ(info.files.count("Help/Index.html"), 1u);
  EXPECT_EQ(info.files["Help/Index.html"].sha256, std::string(32, '\xaa'));
  EXPECT_EQ(info.files["Help/Index.html"].size, 1234u);
  EXPECT_EQ(info.files["Help/Index.html"].platform, "any");
}

TEST(VersionFileTest, BuildWithoutValueAndMissingNotes) {
  cVersionInfo info;
  ParseVersionFile("PROGRAM VERSION = 3\nPROGRAM BUILD\n", &info);
  EXPECT_EQ(info.build, 0);
  EXPECT_STREQ(info.version.CStr(), "3");
  EXPECT_STREQ(info.notes.CStr(), "");
  EXPECT_EQ(info.channel, "");
  EXPECT_EQ(info.published, 0u);
  EXPECT_EQ(info.expires, 0u);
}

}  // namespace

}  // namespace hv
