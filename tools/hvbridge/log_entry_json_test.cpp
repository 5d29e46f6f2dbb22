// A log entry as the stream carries it: every field Home Assistant's event reads, texts made
// readable for people and cut, whatever the server sent.
#include "tools/hvbridge/log_entry_json.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>

namespace hv::bridge {
namespace {

TEST(LogEntryJsonTest, CarriesEveryFieldReadably) {
  LogItemRecord entry;
  entry.entry_type = 3;
  entry.name = "Porch \"Light\"";
  entry.message = "turned\non\x01 ";
  entry.path = "C:\\Varnholt\\x.vhc";
  entry.function_code = 2;
  entry.value = std::nan("");
  entry.date_text = "12/09/2026";
  entry.time_text = std::string(100, '9').c_str();
  const nlohmann::json parsed = nlohmann::json::parse(LogEntryJson(entry));
  EXPECT_EQ(parsed["event_type"], "entry");
  EXPECT_EQ(parsed["entry_type"], 3);
  EXPECT_EQ(parsed["name"], "Porch \"Light\"");
  EXPECT_EQ(parsed["message"], "turned on  ");  // control characters are not for people
  EXPECT_EQ(parsed["path"], "C:\\Varnholt\\x.vhc");
  EXPECT_EQ(parsed["function"], 2);
  EXPECT_EQ(parsed["value"], 0.0);
  EXPECT_EQ(parsed["date"], "12/09/2026");
  EXPECT_EQ(parsed["time"], std::string(40, '9'));
}

}  // namespace
}  // namespace hv::bridge
