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
      "SHA-256 Help/Index.html = " +
          std::string(64, 'a') +
          "\n"
          "SHA-256 short = abc\n"
          "RELEASE NOTES:\n"
          "First line\nSecond line\r\nThird\n",
      &info);
  EXPECT_STREQ(info.version.CStr(), "2.1");
  EXPECT_EQ(info.build, 187);
  EXPECT_STREQ(info.date.CStr(), "12/08/2026");
  // Bare line feeds get their carriage return; existing CR LF pairs stay as they are.
  EXPECT_STREQ(info.notes.CStr(), "First line\r\nSecond line\r\nThird\r\n");
  // A hash keeps its path's case; one that is not 64 hex digits is not a hash.
  ASSERT_EQ(info.hashes.size(), 1u);
  EXPECT_EQ(info.hashes.count("Help/Index.html"), 1u);
  EXPECT_EQ(info.hashes["Help/Index.html"], std::string(32, '\xaa'));
}

TEST(VersionFileTest, BuildWithoutValueAndMissingNotes) {
  cVersionInfo info;
  ParseVersionFile("PROGRAM VERSION = 3\nPROGRAM BUILD\n", &info);
  EXPECT_EQ(info.build, 0);
  EXPECT_STREQ(info.version.CStr(), "3");
  EXPECT_STREQ(info.notes.CStr(), "");
}

}  // namespace

}  // namespace hv
