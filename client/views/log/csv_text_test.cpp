#include "client/views/log/csv_text.h"

#include <gtest/gtest.h>

namespace hv {

namespace {

TEST(CsvTextTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("Porch Light"), "Porch Light");
  EXPECT_EQ(CsvField(" 3, 2"), "\" 3, 2\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
  EXPECT_EQ(CsvField("line\nfeed"), "\"line\nfeed\"");
}

TEST(CsvTextTest, RecordsEndWithCrLfAndTextBecomesUtf8) {
  std::string out;
  AppendCsvRecord({"Caf\xE9", "caf\xC3\xA9", "a,b", ""}, &out);
  AppendCsvRecord({"x"}, &out);
  EXPECT_EQ(out, "Caf\xC3\xA9,caf\xC3\xA9,\"a,b\",\r\nx\r\n");
}

}  // namespace

}  // namespace hv
