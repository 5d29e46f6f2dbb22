// Commands that arrive on the broker, checked before anything reaches the server: the topic
// must be one of the bridge's command topics, the payload one the topic takes, numbers in
// range. Whether the item exists is for the caller, who knows the house.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_COMMAND_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_COMMAND_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/hvbridge/topic_names.h"

namespace hv::bridge {

enum class CommandAction {
  kOn,  // switch or sensor
  kOff,
  kToggle,      // switch
  kBrightness,  // dimmer: level 0..100
  kStart,       // macro
  kStop,
  kActivate,  // mode
  kDeactivate,
  kSnap,  // camera
  kX10,   // raw code: x10 fields
  // The house's own controls, as the desktop window has them: level 1 on, 0 off.
  kPause,  // all macro activity
  kMute,
  kNight,  // day (0) or night (1)
};

struct BridgeCommand {
  CommandAction action = CommandAction::kOn;
  ItemKind kind = ItemKind::kSwitch;
  std::string segment;  // the item's topic level; empty for raw X10 codes
  int level = 0;        // kBrightness; 0 or 1 for the house's controls
  // kX10, as the wire takes them: house 0..15, unit 0..15 or 255 (all), function, dim 0..100.
  uint32_t x10_house = 0;
  uint32_t x10_unit = 0;
  uint32_t x10_function = 0;
  uint32_t x10_dim = 0;
};

struct ParsedCommand {
  bool ok = false;
  BridgeCommand command;
  std::string problem;  // why it was refused, for the log
};

// `topic` is the whole topic, `prefix` the bridge's (validated) prefix.
ParsedCommand ParseCommand(std::string_view prefix, std::string_view topic,
                           std::string_view payload);

// Whether `topic` is below `prefix` (prefix, then '/').
bool IsBelow(std::string_view prefix, std::string_view topic);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_COMMAND_H_
