// The protocol library's messages point at the desktop's Setup dialog; hvbridge has none.
// Its hints name the configuration file and the key to look at instead.
#ifndef HV_TOOLS_HVBRIDGE_SERVER_ADVICE_H_
#define HV_TOOLS_HVBRIDGE_SERVER_ADVICE_H_

#include <string>

#include "tools/hvbridge/bridge_options.h"

namespace hv::bridge {

// `message` with its "Check ... in Setup" sentence replaced by where the bridge's own
// settings are; other messages unchanged.
std::string WithBridgeAdvice(const std::string& message, const BridgeOptions& options);

// Where a key is set: "\"server\" in /home/me/.config/hearthview/hvbridge.conf", or the
// option when no file was read.
std::string WhereKeyIs(const std::string& key, const BridgeOptions& options);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_SERVER_ADVICE_H_
