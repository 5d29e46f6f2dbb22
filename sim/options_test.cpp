#include "sim/options.h"

#include <gtest/gtest.h>

#include "core/status.h"

namespace hv::sim {
namespace {

TEST(OptionsTest, DefaultsAndEveryOption) {
  Options o;
  std::string error;
  ASSERT_EQ(ParseOptions({}, &o, &error), kOk);
  EXPECT_EQ(o.listen_host, "127.0.0.1");
  EXPECT_EQ(o.listen_port, 1025);
  EXPECT_EQ(o.wire.version, 3u);

  ASSERT_EQ(ParseOptions({"--listen",
                          "[::1]:0",
                          "--house=h.json",
                          "--port-file",
                          "p",
                          "--header-version",
                          "1",
                          "--old-server",
                          "--out-of-order",
                          "--chunk-size",
                          "100",
                          "--no-goodbye",
                          "--unknown-block",
                          "--garbage",
                          "--trickle",
                          "3:20",
                          "--animate-period",
                          "50",
                          "--control",
                          "127.0.0.1:0",
                          "--no-console",
                          "--log-capacity",
                          "10",
                          "--quiet",
                          "--stall-mid-block",
                          "25:3000",
                          "--drop=2",
                          "--seed",
                          "99"},
                         &o, &error),
            kOk)
      << error;
  EXPECT_EQ(o.listen_host, "::1");
  EXPECT_EQ(o.listen_port, 0);
  EXPECT_EQ(o.house_file, "h.json");
  EXPECT_EQ(o.port_file, "p");
  EXPECT_EQ(o.wire.version, 1u);
  EXPECT_TRUE(o.wire.old_server && o.wire.out_of_order);
  EXPECT_EQ(o.wire.chunk_size, 100u);
  EXPECT_TRUE(o.close_without_goodbye && o.unknown_block_after_login && o.garbage_after_login);
  EXPECT_EQ(o.trickle_bytes, 3u);
  EXPECT_EQ(o.trickle_pause_ms, 20u);
  EXPECT_TRUE(o.animate);
  EXPECT_EQ(o.animate_period_ms, 50u);
  EXPECT_EQ(o.control_host, "127.0.0.1");
  EXPECT_FALSE(o.console);
  EXPECT_EQ(o.log_capacity, 10u);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.stream_faults.stall_percent, 25u);
  EXPECT_EQ(o.stream_faults.stall_max_ms, 3000u);
  EXPECT_EQ(o.stream_faults.drop_percent, 2u);
  EXPECT_EQ(o.stream_faults.seed, 99u);
  EXPECT_TRUE(o.seed_given);

  ASSERT_EQ(ParseOptions({"--cut-after", "40:close", "--hostile"}, &o, &error), kOk) << error;
  EXPECT_EQ(o.cut_after_bytes, 40u);
  EXPECT_TRUE(o.cut_closes && o.hostile);
  ASSERT_EQ(ParseOptions({"--cut-after", "7:stall"}, &o, &error), kOk) << error;
  EXPECT_EQ(o.cut_after_bytes, 7u);
  EXPECT_FALSE(o.cut_closes || o.hostile);
}

TEST(OptionsTest, BadArgumentsAreNamed) {
  const std::vector<std::vector<std::string>> kBad = {{"--listen", "localhost"},
                                                      {"--listen", "1.2.3.4:70000"},
                                                      {"--header-version", "4"},
                                                      {"--chunk-size", "0"},
                                                      {"--trickle", "3"},
                                                      {"--trickle", "0:5"},
                                                      {"--house"},
                                                      {"--frobnicate"},
                                                      {"--log-capacity", "-1"},
                                                      {"--cut-after", "100"},
                                                      {"--cut-after", "0:stall"},
                                                      {"--cut-after", "5:hang"},
                                                      {"--stall-mid-block", "101:5"},
                                                      {"--stall-mid-block", "10:0"},
                                                      {"--drop", "x"}};
  for (const auto& args : kBad) {
    Options o;
    std::string error;
    EXPECT_LT(ParseOptions(args, &o, &error), 0) << args[0];
    EXPECT_NE(error.find(args[0]), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace hv::sim
