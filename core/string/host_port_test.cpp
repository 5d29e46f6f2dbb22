#include "core/string/host_port.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

TEST(HostPortTest, TakesNamesAddressesAndBracketedIpv6) {
  std::string host;
  uint16_t port = 0;
  ASSERT_TRUE(ParseHostPort("house.local:1883", 1, &host, &port));
  EXPECT_EQ(host, "house.local");
  EXPECT_EQ(port, 1883);
  ASSERT_TRUE(ParseHostPort("[::1]:0", 0, &host, &port));
  EXPECT_EQ(host, "::1");
  EXPECT_EQ(port, 0);
  ASSERT_TRUE(ParseHostPort("10.0.0.2:65535", 1, &host, &port));
  EXPECT_EQ(port, 65535);
}

TEST(HostPortTest, RefusesWhatIsNotOneHostAndOnePortInRange) {
  std::string host = "kept";
  uint16_t port = 7;
  for (const char* bad : {"", ":80", "house", "house:", "house:x", "house:80x", "house:-1",
                          "house:65536", "house:0", "::1:80", "[::1:80", "[]:80", "house: 80"}) {
    EXPECT_FALSE(ParseHostPort(bad, 1, &host, &port)) << bad;
  }
  EXPECT_EQ(host, "kept");
  EXPECT_EQ(port, 7);
}

}  // namespace
}  // namespace hv
