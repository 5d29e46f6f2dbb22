// The payloads written directly must read exactly as the JSON library would have printed
// them (Home Assistant's templates and every reader of the attributes see the same text),
// and must stay valid JSON whatever bytes a server sends.
#include "tools/hvbridge/json_object_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace hv::bridge {
namespace {

using nlohmann::json;

std::string LibraryText(const json& document) {
  return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

TEST(JsonObjectTextTest, ReadsAsTheLibraryPrintsIt) {
  std::string every_control;
  for (char c = 1; c < 0x20; ++c) every_control.push_back(c);
  const std::vector<std::string> texts = {
      "",
      "Porch Light",
      "say \"hi\" \\ back/slash",
      every_control + std::string(1, '\0') + "\x7f",
      "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x92\xa1",
  };
  const std::vector<double> reals = {0.0, -0.0, 40.0, 21.5, -3.25, 0.1, 1e20, 123456.789};
  for (const std::string& text : texts) {
    for (const double real : reals) {
      const json document = {{"a_flag", true},
                             {"b_count", std::numeric_limits<int64_t>::min()},
                             {"c_text", text},
                             {"d_real", real},
                             {"e_big", std::numeric_limits<int64_t>::max()}};
      const std::string written = cJsonObjectText()
                                      .Boolean("a_flag", true)
                                      .Integer("b_count", std::numeric_limits<int64_t>::min())
                                      .Text("c_text", text)
                                      .Real("d_real", real)
                                      .Integer("e_big", std::numeric_limits<int64_t>::max())
                                      .Take();
      EXPECT_EQ(written, LibraryText(document)) << real;
    }
  }
  EXPECT_EQ(cJsonObjectText().Take(), "{}");
}

TEST(JsonObjectTextTest, HostileBytesStayValidJson) {
  // Lone and stray bytes, cut sequences, overlong forms, surrogates, past U+10FFFF.
  const std::vector<std::string> hostile = {
      "\xff",         "a\x80z",           "\xc3",
      "\xe2\x82",     "\xf0\x9f\x92",     "\xc0\x80",
      "\xed\xa0\x80", "\xf5\x80\x80\x80", "ok \xc3\xa9 \xfe ok"};
  for (const std::string& text : hostile) {
    const std::string written = cJsonObjectText().Text("t", text).Take();
    const json parsed = json::parse(written, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << written;
    EXPECT_NE(parsed["t"].get<std::string>().find("\xef\xbf\xbd"), std::string::npos) << written;
  }
  const json kept = json::parse(cJsonObjectText().Text("t", "ok \xc3\xa9 \xfe ok").Take());
  EXPECT_EQ(kept["t"], "ok \xc3\xa9 \xef\xbf\xbd ok");
  // JSON has no NaN or infinity: a hostile value must not make the document unreadable.
  for (const double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    EXPECT_EQ(cJsonObjectText().Real("v", bad).Take(), "{\"v\":0.0}");
  }
}

}  // namespace
}  // namespace hv::bridge
