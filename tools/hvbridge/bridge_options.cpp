#include "tools/hvbridge/bridge_options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <utility>

#include "core/string/host_port.h"
#include "core/string/plain_text.h"
#include "core/system_error.h"
#include "tools/hvbridge/topic_names.h"

namespace hv::bridge {

namespace {

bool ParseFlag(const std::string& value, bool* out) {
  if (value == "yes" || value == "true" || value == "1" || value == "on") {
    *out = true;
  } else if (value == "no" || value == "false" || value == "0" || value == "off") {
    *out = false;
  } else {
    return false;
  }
  return true;
}

bool ParseNumber(const std::string& value, int low, int high, int* out) {
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || value.empty()) return false;
  if (number < low || number > high) return false;
  *out = number;
  return true;
}

// A host written without a port ("192.168.1.20", "[::1]"), without brackets; empty when the
// text is no such host.
std::string HostAlone(const std::string& text) {
  if (text.size() > 2 && text.front() == '[' && text.back() == ']' &&
      text.find(']') == text.size() - 1) {
    return text.substr(1, text.size() - 2);
  }
  if (text.empty() || text.find_first_of(":[] \t/") != std::string::npos) return "";
  return text;
}

// Sets one key; an error text when the key or its value is bad.
std::string Apply(BridgeOptions& o, const std::string& key, const std::string& value) {
  using Setter = std::function<std::string(const std::string&)>;
  auto text = [](std::string* field) {
    return Setter([field](const std::string& v) {
      *field = v;
      return std::string();
    });
  };
  auto flag = [](bool* field) {
    return Setter([field](const std::string& v) {
      return ParseFlag(v, field) ? std::string() : "takes yes or no";
    });
  };
  // A host alone takes the default port (0: decided once --tls is known).
  auto address = [](std::string* host, uint32_t* port, uint32_t default_port) {
    return Setter([host, port, default_port](const std::string& v) {
      uint16_t number = 0;
      if (ParseHostPort(v, 1, host, &number)) {
        *port = number;
        return std::string();
      }
      if (const std::string alone = HostAlone(v); !alone.empty()) {
        *host = alone;
        *port = default_port;
        return std::string();
      }
      return std::string("takes HOST or HOST:PORT (port 1..65535)");
    });
  };
  // "~/" is the home folder, as a shell would have it.
  auto path = [](std::string* field) {
    return Setter([field](const std::string& v) {
      *field = ExpandHome(v);
      return std::string();
    });
  };
  auto prefix = [](std::string* field) {
    return Setter([field](const std::string& v) {
      const std::string problem = PrefixProblem(v);
      if (!problem.empty()) return "is not a usable topic: it " + problem;
      *field = v;
      return std::string();
    });
  };
  const std::map<std::string, Setter> setters = {
      {"server", address(&o.server_host, &o.server_port, kDefaultServerPort)},
      {"user", text(&o.user)},
      {"password-file", path(&o.password_file)},
      {"password-from-keyring", flag(&o.password_from_keyring)},
      {"broker", address(&o.broker_host, &o.broker_port, 0)},
      {"broker-user", text(&o.broker_user)},
      {"broker-password-file", path(&o.broker_password_file)},
      {"tls", flag(&o.tls)},
      {"ca", path(&o.ca_file)},
      {"cert", path(&o.cert_file)},
      {"key", path(&o.key_file)},
      {"prefix", prefix(&o.prefix)},
      {"discovery-prefix", prefix(&o.discovery_prefix)},
      {"status-topic", prefix(&o.status_topic)},
      {"house", text(&o.house)},
      {"id", Setter([&o](const std::string& v) {
         if (v.empty() || v.size() > 200) return std::string("takes a name of 1 to 200 bytes");
         o.id = v;
         return std::string();
       })},
      {"per-entity", flag(&o.per_entity)},
      {"off-delay", Setter([&o](const std::string& v) {
         return ParseNumber(v, 0, 86400, &o.off_delay_seconds) ? std::string()
                                                               : "takes seconds 0..86400";
       })},
      {"temperature-unit", Setter([&o](const std::string& v) {
         if (v == "C" || v == "°C") {
           o.temperature_unit = "°C";
         } else if (v == "F" || v == "°F") {
           o.temperature_unit = "°F";
         } else {
           return std::string("takes C or F");
         }
         return std::string();
       })},
  };
  const auto setter = setters.find(key);
  if (setter == setters.end()) return "unknown option --" + key;
  const std::string problem = setter->second(value);
  return problem.empty() ? "" : "--" + key + " " + problem;
}

bool TakesNoValue(const std::string& key) {
  return key == "tls" || key == "per-entity" || key == "password-from-keyring";
}

std::string ReadConfigFile(BridgeOptions& o, const std::string& path) {
  std::ifstream in(path);
  if (!in) return path + ": " + SystemReason(errno);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trim(line, " \t\r");
    if (line.empty() || line[0] == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      return path + ":" + std::to_string(number) + ": expected key = value";
    }
    const std::string problem =
        Apply(o, Trim(line.substr(0, equals), " \t\r"), Trim(line.substr(equals + 1), " \t\r"));
    if (!problem.empty()) return path + ":" + std::to_string(number) + ": " + problem;
  }
  o.config_file = path;
  return "";
}

}  // namespace

std::string ExpandHome(const std::string& path) {
  if (path != "~" && path.rfind("~/", 0) != 0) return path;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return path;
  return std::string(home) + path.substr(1);
}

std::string XdgFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return "";
  return std::string(home) + "/" + fallback;
}

std::string DefaultConfigPath() {
  return XdgFolder("XDG_CONFIG_HOME", ".config") + "/hearthview/hvbridge.conf";
}

ParsedOptions ParseBridgeOptions(const std::vector<std::string>& args,
                                 const std::string& default_config) {
  ParsedOptions parsed;
  // Split into (key, value) first, so the file named by --config is read before the rest of
  // the command line is applied over it.
  std::vector<std::pair<std::string, std::string>> pairs;
  std::string config = default_config;
  bool config_given = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.options.help = true;
      return parsed;
    }
    if (arg == "--version") {
      parsed.options.version = true;
      return parsed;
    }
    if (arg.rfind("--", 0) != 0) {
      parsed.error = "unexpected argument " + arg;
      return parsed;
    }
    std::string key = arg.substr(2);
    std::string value;
    const size_t equals = key.find('=');
    if (equals != std::string::npos) {
      value = key.substr(equals + 1);
      key.resize(equals);
    } else if (TakesNoValue(key)) {
      value = "yes";
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      parsed.error = "--" + key + " needs a value";
      return parsed;
    }
    if (key == "config") {
      config = value;
      config_given = true;
    } else {
      pairs.emplace_back(key, value);
    }
  }
  struct stat info;
  if (config_given || stat(config.c_str(), &info) == 0) {
    parsed.error = ReadConfigFile(parsed.options, config);
    if (!parsed.error.empty()) return parsed;
  }
  for (const auto& [key, value] : pairs) {
    parsed.error = Apply(parsed.options, key, value);
    if (!parsed.error.empty()) return parsed;
  }
  BridgeOptions& o = parsed.options;
  if (o.server_host.empty()) {
    parsed.error = "--server HOST:PORT is missing (the key \"server\" of " + config + ")";
  } else if (o.user.empty()) {
    parsed.error = "--user NAME is missing (the key \"user\" of " + config + ")";
  } else if (o.password_file.empty() == !o.password_from_keyring) {
    parsed.error = "give either --password-file FILE or --password-from-keyring";
  } else if (!o.broker_user.empty() && o.broker_password_file.empty()) {
    parsed.error = "--broker-user needs --broker-password-file";
  } else if ((!o.cert_file.empty()) != (!o.key_file.empty())) {
    parsed.error = "--cert and --key go together";
  } else if (!o.tls && (!o.ca_file.empty() || !o.cert_file.empty())) {
    parsed.error = "--ca, --cert and --key need --tls";
  } else if (o.tls && o.ca_file.empty()) {
    parsed.error = "--tls needs --ca FILE";
  }
  if (o.broker_port == 0) o.broker_port = o.tls ? 8883 : 1883;
  return parsed;
}

Status CheckTlsFiles(const BridgeOptions& o) {
  const std::pair<const char*, const std::string*> files[] = {
      {"--ca", &o.ca_file}, {"--cert", &o.cert_file}, {"--key", &o.key_file}};
  for (const auto& [option, path] : files) {
    if (path->empty()) continue;
    const int fd = open(path->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      return Status(Where::kBridge, kCannotOpenFile,
                    std::string(option) + " " + *path + ": " + SystemReason(errno));
    }
    close(fd);
  }
  return Status::Ok();
}

Status ReadPasswordFile(const std::string& path, std::string* password) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return Status(Where::kBridge, kCannotOpenFile, path + ": " + SystemReason(errno));
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return Status(Where::kBridge, kCannotOpenFile, path + ": not a regular file");
  }
  if ((info.st_mode & 077) != 0) {
    close(fd);
    return Status::Failure(
        Where::kBridge,
        path + ": others may read it; make it yours alone (chmod 600 " + path + ")");
  }
  char buffer[4097];
  ssize_t total = 0;
  while (total < static_cast<ssize_t>(sizeof buffer)) {
    const ssize_t n = read(fd, buffer + total, sizeof buffer - static_cast<size_t>(total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
  }
  close(fd);
  if (total > 4096) return Status::Failure(Where::kBridge, path + ": longer than 4096 bytes");
  std::string text(buffer, static_cast<size_t>(total));
  const size_t end = text.find_first_of("\r\n");
  if (end != std::string::npos) text.resize(end);
  *password = text;
  return Status::Ok();
}

const char* BridgeUsage() {
  return R"(Usage: hvbridge --server HOST:PORT --user NAME (--password-file FILE | --password-from-keyring)
                [--broker HOST:PORT] [--broker-user NAME --broker-password-file FILE]
                [--tls --ca FILE [--cert FILE --key FILE]] [--prefix P]
                [--discovery-prefix P] [--status-topic T] [--house NAME] [--id NAME] [--per-entity]
                [--off-delay SECONDS] [--temperature-unit C|F] [--config FILE]
       hvbridge --help | --version

Keeps the house of a home-automation server on an MQTT broker, where Home Assistant,
Node-RED, openHAB or mosquitto_sub read and drive it, and announces it to Home Assistant.

  --server HOST[:PORT]        the server, as the desktop client logs in to it (port 1025
                              when none is given)
  --user NAME                 the user name of the login
  --password-file FILE        a file holding the password (first line); only you may read it
  --password-from-keyring     the password the desktop client keeps in the keyring instead
  --broker HOST[:PORT]        the MQTT broker (default localhost:1883, 8883 with --tls)
  --broker-user NAME          the broker's user name, with --broker-password-file FILE
  --tls --ca FILE             talk to the broker over TLS, trusting the certificates in FILE;
  --cert FILE --key FILE      with a client certificate
  --prefix P                  topics of the house (default hearthview/<house>)
  --discovery-prefix P        Home Assistant's discovery prefix (default homeassistant)
  --status-topic T            where Home Assistant says it is online (default
                              homeassistant/status); the configs are sent again then
  --house NAME                the house's name (default: the server's control file name)
  --id NAME                   the house's identity on the broker (default: the server's
                              address, resolved, and port); set it when the server moves to
                              another address and Home Assistant should keep its entities
  --per-entity                one discovery config per entity, for Home Assistant versions
                              without device-based discovery
  --off-delay SECONDS         motion and door sensors read clear again after this long, for
                              servers that report only the trip (default 0: never)
  --temperature-unit C|F      the unit of the server's temperatures (default C)
  --config FILE               read the same keys from FILE ("server = host:4000" lines); the
                              default is $XDG_CONFIG_HOME/hearthview/hvbridge.conf

Topics, below the prefix: <kind>/<item>/state, attributes, set (switch, sensor, macro, mode),
brightness (dimmers), event (macros), camera/<item>/thumbnail and snap, log, x10/send,
server/time, server/dawn, server/dusk, server/pause, server/mute and server/night (each
with set), availability, server/availability, errors.

Exit codes: 0 stopped by SIGTERM or SIGINT, 2 bad options or files.
Paths in the configuration file may start with ~/ for the home folder.
Logs go to standard error.
)";
}

}  // namespace hv::bridge
