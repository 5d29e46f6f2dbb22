// hvbridge's settings: the command line, and the same keys in a configuration file
// ($XDG_CONFIG_HOME/hearthview/hvbridge.conf, or --config FILE) as "key = value" lines.
// The command line wins over the file. Passwords never go on the command line (other users
// see it): they come from files that only their owner may read.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_OPTIONS_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"

namespace hv::bridge {

// The server's port when the address names none, as the desktop client's setup has it.
constexpr uint32_t kDefaultServerPort = 1025;

struct BridgeOptions {
  std::string server_host;
  uint32_t server_port = 0;
  std::string user;
  std::string password_file;
  // The password the desktop client keeps in the keyring for its own login, instead of a file.
  bool password_from_keyring = false;
  std::string broker_host = "localhost";
  uint32_t broker_port = 0;  // 0: 1883, or 8883 with TLS
  std::string broker_user;
  std::string broker_password_file;
  bool tls = false;
  std::string ca_file;
  std::string cert_file;
  std::string key_file;
  std::string prefix;  // empty: hearthview/<house>
  std::string discovery_prefix = "homeassistant";
  std::string status_topic = "homeassistant/status";  // where Home Assistant says "online"
  std::string house;  // empty: the base name of the server's control file
  std::string id;     // empty: the server's canonical address and port
  bool per_entity = false;
  int off_delay_seconds = 0;
  std::string temperature_unit = "°C";
  std::string config_file;  // the file that was read, if any
  bool help = false;
  bool version = false;
};

struct ParsedOptions {
  BridgeOptions options;
  std::string error;  // empty when good
};

// `args` without the program name. `default_config` is read when it exists and no --config
// is given; a --config file that cannot be read is an error.
ParsedOptions ParseBridgeOptions(const std::vector<std::string>& args,
                                 const std::string& default_config);

// An XDG base folder: $variable when it is an absolute path, else $HOME/fallback; empty
// when neither is usable.
std::string XdgFolder(const char* variable, const char* fallback);

// `path` with a leading "~/" (or "~" alone) as the home folder; anything else as it is.
std::string ExpandHome(const std::string& path);

// $XDG_CONFIG_HOME/hearthview/hvbridge.conf (~/.config when unset).
std::string DefaultConfigPath();

// The password in `path` (its first line). Refused when the file is not a regular file or
// its group or others may read or write it, so a password never sits where others see it.
[[nodiscard]] Status ReadPasswordFile(const std::string& path, std::string* password);

// The files of --ca, --cert and --key, when given, can be read: the broker's library only
// says "invalid arguments" of one that cannot, and would keep the bridge off the broker.
[[nodiscard]] Status CheckTlsFiles(const BridgeOptions& options);

const char* BridgeUsage();

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_OPTIONS_H_
