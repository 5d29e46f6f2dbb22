#include "tools/hvreg/registry_text.h"

#include <gtest/gtest.h>

namespace hv {

namespace {

TEST(RegistryTextTest, EveryByteRoundTripsThroughTheEscapes) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  std::string escaped = EscapeField(all);
  EXPECT_EQ(escaped.find('\t'), std::string::npos);
  EXPECT_EQ(escaped.find('\n'), std::string::npos);
  std::string back;
  ASSERT_TRUE(UnescapeField(escaped, &back));
  EXPECT_EQ(back, all);
  EXPECT_EQ(EscapeField("Software\\Orvane LLC 100%"), "Software\\Orvane LLC 100%25");

  for (const char* bad : {"%", "%4", "%G0", "abc%"}) {
    EXPECT_FALSE(UnescapeField(bad, &back)) << bad;
  }
  std::string bytes;
  ASSERT_TRUE(FromHex(ToHex(all), &bytes));
  EXPECT_EQ(bytes, all);
  EXPECT_FALSE(FromHex("abc", &bytes));
  EXPECT_FALSE(FromHex("zz", &bytes));
}

TEST(RegistryTextTest, NumbersAreDecimal32Bit) {
  uint32_t n = 0;
  EXPECT_TRUE(ParseNumber("4294967295", &n));
  EXPECT_EQ(n, 4294967295u);
  EXPECT_TRUE(ParseNumber("-1", &n));
  EXPECT_EQ(n, 0xFFFFFFFFu);
  for (const char* bad : {"", "4294967296", "-2147483649", "12x", " 1", "0x10"}) {
    EXPECT_FALSE(ParseNumber(bad, &n)) << bad;
  }
}

TEST(RegistryTextTest, ExportsParseAndBadLinesAreNamed) {
  std::vector<swRegistryTextKey> keys;
  std::string error;
  ASSERT_TRUE(
      ParseExport("# comment\n\nkey\tA\\B\ntext\tName\tline%0Abreak\r\n"
                  "number\tPort\t8080\nbytes\tRaw\t00ff\nkey\tC\n",
                  &keys, &error))
      << error;
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].path, "A\\B");
  ASSERT_EQ(keys[0].values.size(), 3u);
  EXPECT_EQ(keys[0].values[0].data, "line\nbreak");
  uint32_t port = 0;
  ASSERT_TRUE(keys[0].values[1].AsNumber(&port));
  EXPECT_EQ(port, 8080u);
  EXPECT_EQ(keys[0].values[2].data, std::string("\x00\xff", 2));
  EXPECT_TRUE(keys[1].values.empty());

  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"text\tA\tB\n", "line 1: a value before the first key line"},
      {"key\tK\nnumber\tN\tlots\n", "line 2: not a 32-bit number"},
      {"key\tK\\\\L\n", "line 1: a key line"},
      {"key\tK\nfloat\tN\t1\n", "line 2: unknown item"},
      {"key\tK\ntext\tN\n", "line 2: a value line has three fields"},
      {"key\tK\nbytes\tN\t0\n", "line 2: bytes are pairs"},
      // Names with NUL bytes would be taken for one another by the store.
      {"key\tK%00a\n", "line 1: a key line"},
      {"key\tK\ntext\tN%00a\tv\n", "line 2: a value name cannot hold a NUL byte"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ParseExport(c.text, &keys, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
  }
}

}  // namespace

}  // namespace hv
