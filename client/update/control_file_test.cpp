#include "client/update/control_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/update/update_codes.h"

namespace hv {

namespace {

constexpr const char* kHeader =
    "1\r\n2\r\nhttp://web.example/files\r\nftp.example\r\n/HouseDesk\r\n2121\r\nann\r\n3\r\n";

struct cParsed {
  Status status;
  int32_t failed_line = 0;
  cControlFileHeader header;
  std::vector<std::string> paths;
  std::vector<uint32_t> sizes;
};

cParsed Parse(const std::string& text) {
  cParsed parsed;
  cDownloadItemList items;
  parsed.status = ParseControlFile(text, &parsed.header, &items, &parsed.failed_line);
  items.ForEach([&](cDownloadItem& item) {
    parsed.paths.push_back(item.CStr());
    parsed.sizes.push_back(item.size);
  });
  return parsed;
}

TEST(ControlFileTest, HeaderValuesAndItemsAreRead) {
  const cParsed parsed = Parse(std::string(kHeader) +
                               "1;hearthview.exe;30000000;40000000;7;123456\r\n"
                               "2 ; help/index.html ; 1 ; 2 ; 0 ; 99\n");
  ASSERT_TRUE(parsed.status.ok());
  EXPECT_EQ(parsed.header.download_type, 2);
  EXPECT_STREQ(parsed.header.main_source_path.CStr(), "http://web.example/files");
  EXPECT_STREQ(parsed.header.ftp_site.CStr(), "ftp.example");
  EXPECT_STREQ(parsed.header.ftp_main_dir.CStr(), "/HouseDesk");
  EXPECT_EQ(parsed.header.ftp_port, 2121);
  EXPECT_STREQ(parsed.header.ftp_user.CStr(), "ann");
  EXPECT_EQ(parsed.header.ftp_password_index, 3);
  ASSERT_EQ(parsed.paths.size(), 2u);
  EXPECT_EQ(parsed.paths[0], "hearthview.exe");
  EXPECT_EQ(parsed.sizes[0], 123456u);
  // Spaces after a field are separators; those before the next field's text are not.
  EXPECT_EQ(parsed.paths[1], "help/index.html ");
  EXPECT_EQ(parsed.sizes[1], 99u);

  cDownloadItemList items;
  cControlFileHeader header;
  ASSERT_TRUE(ParseControlFile(std::string(kHeader) + "1;a;30000000;40000000;7;5\r\n", &header,
                               &items, nullptr)
                  .ok());
  const cDownloadItem* item = items.Find("a");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->file_time_high, 30000000u);
  EXPECT_EQ(item->file_time_low, 40000000u);
  EXPECT_EQ(item->unused, 7u);
}

TEST(ControlFileTest, HeaderWithoutItemsIsAnEmptyList) {
  const cParsed parsed = Parse(kHeader);
  EXPECT_TRUE(parsed.status.ok());
  EXPECT_TRUE(parsed.paths.empty());
  // Blank lines between the header values do no harm.
  const cParsed spaced = Parse("1\r\n\r\n1\n\nhttp://w\r\nf\r\n/d\r\n21\r\nu\r\n4\r\n");
  EXPECT_TRUE(spaced.status.ok());
  EXPECT_EQ(spaced.header.download_type, 1);
  EXPECT_EQ(spaced.header.ftp_password_index, 4);
}

TEST(ControlFileTest, ItemListEndsAtShortZeroOrUnfinishedLines) {
  // Five fields: the list ends there, the items before it stay.
  cParsed parsed = Parse(std::string(kHeader) + "1;a;1;2;0;10\r\n1;b;1;2;0\r\n1;c;1;2;0;30\r\n");
  EXPECT_EQ(parsed.paths, (std::vector<std::string>{"a"}));
  // A first field of 0 ends the list.
  parsed = Parse(std::string(kHeader) + "1;a;1;2;0;10\r\n0;b;1;2;0;20\r\n1;c;1;2;0;30\r\n");
  EXPECT_EQ(parsed.paths, (std::vector<std::string>{"a"}));
  // A last line without its line end is dropped.
  parsed = Parse(std::string(kHeader) + "1;a;1;2;0;10\r\n1;b;1;2;0;20");
  EXPECT_EQ(parsed.paths, (std::vector<std::string>{"a"}));
  // Seven fields: the sixth is not followed by a line end.
  parsed = Parse(std::string(kHeader) + "1;a;1;2;0;10;extra\r\n");
  EXPECT_TRUE(parsed.paths.empty());
  EXPECT_TRUE(parsed.status.ok());
}

TEST(ControlFileTest, MissingHeaderLineNamesItInTheError) {
  const cParsed empty = Parse("");
  EXPECT_TRUE(empty.status.Is(Where::kUpdate, hv::kNoValue));
  EXPECT_EQ(empty.failed_line, 1);
  const cParsed short_header = Parse("1\r\n2\r\nhttp://w\r\nftp\r\n/d\r\n");
  EXPECT_TRUE(short_header.status.Is(Where::kUpdate, hv::kNoValue));
  EXPECT_EQ(short_header.failed_line, 6);
  EXPECT_EQ(short_header.status.message(), "the control file ends before header line 6");
  EXPECT_STREQ(ControlFileErrorText(6, "/x/releasefiles.php", hv::kNoValue).CStr(),
               "Failed to get the FTP port from the control file /x/releasefiles.php (41007)");
  EXPECT_STREQ(ControlFileErrorText(5, "p", hv::kNoValue).CStr(),
               "Failed to get the m_FtpMainDir from the control file p (41007)");
}

TEST(ControlFileTest, OversizedNumbersAreHeldNotWrapped) {
  const cParsed parsed = Parse(std::string(kHeader) + "1;a;1;2;0;99999999999\r\n1;b;1;2;0;-5\r\n");
  ASSERT_EQ(parsed.sizes.size(), 2u);
  EXPECT_EQ(parsed.sizes[0], UINT32_MAX);
  EXPECT_EQ(parsed.sizes[1], 0u);
}

}  // namespace

}  // namespace hv
