#include "tools/hvbridge/bridge_options.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/testing/temp_folder.h"
#include "tools/hvbridge/server_advice.h"

namespace hv::bridge {
namespace {

TEST(BridgeOptionsTest, TheCommandLineWinsOverTheConfigurationFile) {
  hv::test::cTempFolder folder("hvbridge");
  std::ofstream(folder.File("hvbridge.conf")) << "# the bridge\n"
                                              << "server = 10.0.0.2:1025\n"
                                              << "user = demo\n"
                                              << "password-file = /p\n"
                                              << "broker = [::1]:1884\n"
                                              << "per-entity = yes\n"
                                              << "temperature-unit = F\n";
  const ParsedOptions parsed =
      ParseBridgeOptions({"--user", "other", "--prefix=home/house"}, folder.File("hvbridge.conf"));
  ASSERT_EQ(parsed.error, "");
  const BridgeOptions& o = parsed.options;
  EXPECT_EQ(o.server_host, "10.0.0.2");
  EXPECT_EQ(o.server_port, 1025u);
  EXPECT_EQ(o.user, "other");
  EXPECT_EQ(o.broker_host, "::1");
  EXPECT_EQ(o.broker_port, 1884u);
  EXPECT_TRUE(o.per_entity);
  EXPECT_EQ(o.temperature_unit, "°F");
  EXPECT_EQ(o.prefix, "home/house");
  EXPECT_EQ(o.config_file, folder.File("hvbridge.conf"));
  // No default file is fine; TLS moves the broker's default port.
  const ParsedOptions tls = ParseBridgeOptions(
      {"--server", "h:1", "--user", "u", "--password-file", "p", "--tls", "--ca", "ca.pem"},
      folder.File("missing.conf"));
  ASSERT_EQ(tls.error, "");
  EXPECT_EQ(tls.options.broker_port, 8883u);
  EXPECT_NE(ParseBridgeOptions(
                {"--server", "h:1", "--user", "u", "--password-file", "p", "--cert", "c.pem"}, "")
                .error,
            "");
}

TEST(BridgeOptionsTest, AHostAloneTakesTheDefaultPortAndTildeIsTheHomeFolder) {
  hv::test::cTempFolder folder("hvbridge");
  setenv("HOME", "/home/me", 1);
  std::ofstream(folder.File("hvbridge.conf")) << "server = 127.0.0.1\n"
                                              << "user = demo\n"
                                              << "password-file = ~/.config/hearthview/pw\n"
                                              << "broker = homeassistant.local\n"
                                              << "broker-user = ha\n"
                                              << "broker-password-file = ~/broker\n"
                                              << "id = maple street\n";
  const ParsedOptions parsed = ParseBridgeOptions({}, folder.File("hvbridge.conf"));
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.server_host, "127.0.0.1");
  EXPECT_EQ(parsed.options.server_port, 1025u);
  EXPECT_EQ(parsed.options.broker_host, "homeassistant.local");
  EXPECT_EQ(parsed.options.broker_port, 1883u);
  EXPECT_EQ(parsed.options.password_file, "/home/me/.config/hearthview/pw");
  EXPECT_EQ(parsed.options.broker_password_file, "/home/me/broker");
  EXPECT_EQ(parsed.options.id, "maple street");
  // Only a leading ~/ is the home folder; a bare IPv6 address has no port to tell apart.
  EXPECT_EQ(ExpandHome("a/~/b"), "a/~/b");
  EXPECT_EQ(ExpandHome("~other/x"), "~other/x");
  const ParsedOptions v6 =
      ParseBridgeOptions({"--server", "[::1]", "--user", "u", "--password-file", "p"}, "");
  EXPECT_EQ(v6.options.server_host, "::1");
  EXPECT_EQ(v6.options.server_port, 1025u);
  EXPECT_NE(
      ParseBridgeOptions({"--server", "::1", "--user", "u", "--password-file", "p"}, "").error, "");
  // What is missing names the key of the file it would come from.
  const ParsedOptions missing = ParseBridgeOptions({}, folder.File("none.conf"));
  EXPECT_NE(missing.error.find("\"server\" of " + folder.File("none.conf")), std::string::npos);
}

TEST(BridgeOptionsTest, TheConnectionsAdviceNamesTheBridgesFileAndKey) {
  BridgeOptions o;
  o.config_file = "/home/me/.config/hearthview/hvbridge.conf";
  EXPECT_EQ(WithBridgeAdvice("h, port 1025: host not found. Check the address in Setup.", o),
            "h, port 1025: host not found. Check \"server\" in " + o.config_file + ".");
  EXPECT_EQ(WithBridgeAdvice("h, port 1: connection refused. Check the port in Setup and that "
                             "the server is running.",
                             o),
            "h, port 1: connection refused. Check the port of \"server\" in " + o.config_file +
                " and that the server is running.");
  const std::string login =
      "The server ended the session right after the login: the user name or password may be "
      "wrong. Check them in Setup.";
  EXPECT_EQ(WithBridgeAdvice(login, o).find("Setup"), std::string::npos);
  EXPECT_NE(WithBridgeAdvice(login, o).find("\"password-file\" in " + o.config_file),
            std::string::npos);
  // From the command line, the option; with the keyring, the keyring.
  o.config_file.clear();
  o.password_from_keyring = true;
  EXPECT_NE(WithBridgeAdvice(login, o).find("--user and the password the desktop client keeps"),
            std::string::npos);
  EXPECT_EQ(WithBridgeAdvice("The server was shut down", o), "The server was shut down");
}

TEST(BridgeOptionsTest, PasswordFilesOthersMayReadAreRefused) {
  hv::test::cTempFolder folder("hvbridge");
  const std::string path = folder.File("password");
  std::ofstream(path) << "s3cret\nsecond line\n";
  chmod(path.c_str(), 0600);
  std::string password;
  ASSERT_TRUE(ReadPasswordFile(path, &password).ok());
  EXPECT_EQ(password, "s3cret");
  chmod(path.c_str(), 0640);
  const Status open = ReadPasswordFile(path, &password);
  EXPECT_FALSE(open.ok());
  EXPECT_NE(open.message().find("chmod 600"), std::string::npos);
  EXPECT_FALSE(ReadPasswordFile(folder.path(), &password).ok());  // a folder
  EXPECT_FALSE(ReadPasswordFile(folder.File("missing"), &password).ok());
}

}  // namespace
}  // namespace hv::bridge
