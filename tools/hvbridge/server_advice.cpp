#include "tools/hvbridge/server_advice.h"

namespace hv::bridge {

std::string WhereKeyIs(const std::string& key, const BridgeOptions& options) {
  if (options.config_file.empty()) return "--" + key;
  return "\"" + key + "\" in " + options.config_file;
}

std::string WithBridgeAdvice(const std::string& message, const BridgeOptions& options) {
  const size_t check = message.find(" Check ");
  if (check == std::string::npos || message.find("in Setup", check) == std::string::npos) {
    return message;
  }
  const std::string advice = message.substr(check);
  std::string out = message.substr(0, check) + " Check ";
  if (advice.find("them") != std::string::npos) {
    out += WhereKeyIs("user", options) + " and " +
           (options.password_from_keyring ? std::string("the password the desktop client keeps "
                                                        "in the keyring")
                                          : "the file of " + WhereKeyIs("password-file", options));
  } else if (advice.find("the port") != std::string::npos &&
             advice.find("address") == std::string::npos) {
    out += "the port of " + WhereKeyIs("server", options);
  } else {
    out += WhereKeyIs("server", options);
  }
  const size_t and_that = advice.find(" and that ");
  if (and_that != std::string::npos) {
    out += advice.substr(and_that);
  } else {
    out += ".";
  }
  return out;
}

}  // namespace hv::bridge
