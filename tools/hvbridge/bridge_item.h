// One item of the house as the bridge mirrors it: the server's exact name bytes (what a
// command sends back), its fixed key and topic level, and its last known status. A house may
// have tens of thousands, so what can be made again when needed (the name for people, the
// key's text) is not kept. Pure data plus the few readings every publisher agrees on.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_ITEM_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_ITEM_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/hvbridge/topic_names.h"

namespace hv::bridge {

// What a sensor measures, told from its status code: Home Assistant shows each differently.
enum class SensorClass { kMotion, kDoor, kTemperature, kOther };

struct BridgeItem {
  ItemKind kind = ItemKind::kSwitch;
  std::string name;  // exact bytes from the server; DisplayText makes it readable
  std::string description;
  uint64_t key = 0;   // ItemKeyValue; the topic level follows from it and the name (SegmentOf)
  uint32_t type = 0;  // switch 1 X10, 2 IO, 3 paddle; sensor 1 X10, 2 IO
  uint32_t io_kind = 0;
  uint32_t status = 0;  // X10 function or sensor code; macro 1..3; mode 1 active
  int32_t value_as_integer = 0;
  double value = 0.0;
};

// Longest display name handed to Home Assistant; longer ones are cut at a character border.
constexpr size_t kMaxDisplayBytes = 200;

// Server text (Windows-1252 or UTF-8) as UTF-8 for people, without control characters and
// cut to `max_bytes`.
std::string DisplayText(std::string_view wire, size_t max_bytes);

// The item's topic level (ItemSegment), made from its name and key.
std::string SegmentOf(const BridgeItem& item);

// X10 switches take dim levels; IO and paddle switches are only on or off.
inline bool IsDimmer(const BridgeItem& item) {
  return item.kind == ItemKind::kSwitch && item.type == 1;
}
SensorClass ClassOf(const BridgeItem& sensor);
// The switch is on (On or Dim), the sensor active, the macro running, the mode active.
bool IsOn(const BridgeItem& item);
// 0..100: the dim level of a dimmed switch, 100 when on, 0 when off.
int BrightnessOf(const BridgeItem& item);
// The retained state text: ON or OFF; for a thermometer its reading; for other sensors the
// name of their last status.
std::string StateText(const BridgeItem& item);
// The retained attributes: status text, value, type, description (JSON).
std::string AttributesJson(const BridgeItem& item);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_ITEM_H_
