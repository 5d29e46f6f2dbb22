#include "tools/hvbridge/bridge_identity.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/testing/temp_folder.h"
#include "tools/hvbridge/topic_names.h"

namespace hv::bridge {
namespace {

// A resolver with a table of its own, as /etc/hosts and DNS would answer.
HostResolver Table(std::map<std::string, std::vector<std::string>> table) {
  return [table](const std::string& host) {
    const auto it = table.find(host);
    return it == table.end() ? std::vector<std::string>{} : it->second;
  };
}

TEST(BridgeIdentityTest, OneServerIsOneIdentityHoweverItsAddressIsTyped) {
  const HostResolver resolve = Table({{"localhost", {"::1", "127.0.0.1"}},
                                      {"127.0.0.1", {"127.0.0.1"}},
                                      {"127.0.1.1", {"127.0.1.1"}},
                                      {"house.lan", {"fd00::20", "192.168.1.20"}},
                                      {"House.LAN", {"192.168.1.20"}},
                                      {"192.168.1.20", {"192.168.1.20"}},
                                      {"fd00::20", {"fd00::20"}}});
  const std::string loopback = CanonicalServer("127.0.0.1", 1025, resolve);
  EXPECT_EQ(loopback, "127.0.0.1:1025");
  EXPECT_EQ(CanonicalServer("localhost", 1025, resolve), loopback);
  EXPECT_EQ(CanonicalServer("127.0.1.1", 1025, resolve), loopback);
  // A name and its address; IPv4 is preferred when a name has both.
  EXPECT_EQ(CanonicalServer("house.lan", 1025, resolve), "192.168.1.20:1025");
  EXPECT_EQ(CanonicalServer("House.LAN", 1025, resolve), "192.168.1.20:1025");
  EXPECT_EQ(CanonicalServer("192.168.1.20", 1025, resolve), "192.168.1.20:1025");
  EXPECT_EQ(CanonicalServer("fd00::20", 1025, resolve), "[fd00::20]:1025");
  // Another port is another server; a name that does not resolve stands as itself.
  EXPECT_NE(CanonicalServer("localhost", 1026, resolve), loopback);
  EXPECT_EQ(CanonicalServer("Gone.Example", 1025, resolve), "gone.example:1025");
}

TEST(BridgeIdentityTest, TheClientIdFollowsTheHouseAndANamedIdentityWins) {
  const std::string a = HouseKey(ServerIdentity("", "127.0.0.1:1025"), "Maple Street");
  const std::string b = HouseKey(ServerIdentity("", "127.0.0.1:1026"), "Maple Street");
  EXPECT_NE(ClientIdFor(a), ClientIdFor(b));
  EXPECT_EQ(ClientIdFor(a), ClientIdFor(HouseKey("127.0.0.1:1025", "Maple Street")));
  EXPECT_LE(ClientIdFor(a).size(), 23u);  // the longest every broker must take
  // --id makes the identity independent of where the server is.
  EXPECT_EQ(ServerIdentity("maple", "10.0.0.1:1025"), ServerIdentity("maple", "10.0.0.2:1025"));
}

TEST(BridgeIdentityTest, TheLastIdentityIsKeptPerWayOfStarting) {
  hv::test::cTempFolder folder("hvbridge");
  const std::string from_file = LastIdentityPath(folder.path(), "/c/hvbridge.conf", "x:1", "u");
  EXPECT_EQ(from_file, LastIdentityPath(folder.path(), "/c/hvbridge.conf", "y:2", "v"));
  EXPECT_NE(from_file, LastIdentityPath(folder.path(), "/c/other.conf", "x:1", "u"));
  EXPECT_NE(LastIdentityPath(folder.path(), "", "x:1", "u"),
            LastIdentityPath(folder.path(), "", "x:2", "u"));
  EXPECT_EQ(ReadLastIdentity(from_file), "");
  WriteLastIdentity(from_file, "0123456789abcdef");
  EXPECT_EQ(ReadLastIdentity(from_file), "0123456789abcdef");
  WriteLastIdentity(from_file, "../../etc/passwd");
  EXPECT_EQ(ReadLastIdentity(from_file), "");  // only a key names a record file
}

}  // namespace
}  // namespace hv::bridge
