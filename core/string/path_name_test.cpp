#include "core/string/path_name.h"

#include <gtest/gtest.h>

namespace hv {

namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* directory;
  const char* base_name;
  const char* extension;
};

TEST(SwPathNameTest, SplitsWindowsAndLinuxPaths) {
  const SplitCase cases[] = {
      {"C:\\Dir\\Sub\\name.ext", "C:\\", "Dir\\Sub\\", "name", "ext"},
      {"\\\\srv\\share\\f.txt", "\\\\srv\\share\\", "", "f", "txt"},
      {"\\\\srv\\share\\d\\f.txt", "\\\\srv\\share\\", "d\\", "f", "txt"},
      {"C:f.txt", "C:", "", "f", "txt"},
      {"f", "", "", "f", ""},
      {"", "", "", "", ""},
      {".ext", "", "", "", "ext"},
      {"a.b.c", "", "", "a.b", "c"},
      {"\\dir\\f.x", "\\", "dir\\", "f", "x"},
      {"C:\\f.txt", "C:\\", "", "f", "txt"},
      {"/home/user/notes.txt", "/", "home/user/", "notes", "txt"},
      {"//srv/share/f.txt", "//srv/share/", "", "f", "txt"},
      {"rel/dir/f", "", "rel/dir/", "f", ""},
      {"/tmp/a:b.txt", "/", "tmp/a:", "b", "txt"},
      {"dir/", "", "dir/", "", ""},
      {"/f", "/", "", "f", ""},
      {"\\\\srv\\", "\\\\srv\\", "", "", ""},
  };
  for (const SplitCase& c : cases) {
    swPathName p(c.path);
    EXPECT_STREQ(p.drive.CStr(), c.drive) << c.path;
    EXPECT_STREQ(p.directory.CStr(), c.directory) << c.path;
    EXPECT_STREQ(p.base_name.CStr(), c.base_name) << c.path;
    EXPECT_STREQ(p.extension.CStr(), c.extension) << c.path;
  }
}

TEST(SwPathNameTest, ShareWithoutSeparatorGetsOneAppended) {
  swPathName p("\\\\srv\\share:f");
  EXPECT_STREQ(p.drive.CStr(), "\\\\srv\\share:\\");
  EXPECT_STREQ(p.directory.CStr(), "");
}

TEST(SwPathNameTest, JoinsPartsBackTogether) {
  const char* round_trips[] = {
      "C:\\a\\b.c", "C:\\Dir\\Sub\\name.ext", "/home/user/notes.txt", "C:f.txt",
      "f",          "\\\\srv\\share\\f.txt",  "/tmp/a:b.txt"};
  for (const char* path : round_trips) {
    EXPECT_STREQ(swPathName(path).FullPath().CStr(), path);
  }
  swPathName p("C:\\a\\b.c");
  EXPECT_STREQ(p.DirectoryPath().CStr(), "C:\\a\\");
  EXPECT_STREQ(p.FileName().CStr(), "b.c");

  swPathName built;
  built.directory = "home/user";
  built.base_name = "log";
  EXPECT_STREQ(built.FullPath().CStr(), "home/user/log");
  built.extension = "txt";
  EXPECT_STREQ(built.FileName().CStr(), "log.txt");
}

TEST(SwPathNameTest, SplitReplacesEveryField) {
  swPathName p("C:\\a\\b.c");
  p.Split("plain");
  EXPECT_STREQ(p.drive.CStr(), "");
  EXPECT_STREQ(p.directory.CStr(), "");
  EXPECT_STREQ(p.base_name.CStr(), "plain");
  EXPECT_STREQ(p.extension.CStr(), "");
  p.Split(nullptr);
  EXPECT_STREQ(p.FullPath().CStr(), "");
}

}  // namespace

}  // namespace hv
