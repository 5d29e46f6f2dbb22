// Home Assistant's MQTT discovery for one house: the entities every item becomes, and the
// retained config messages that announce them, either as one device config (its entities
// under "cmps") or, for older Home Assistant versions, one config per entity.
//
// Every announcement also takes away what an earlier one announced and the house no longer
// has (an item removed or renamed on the server): the caller keeps the list of what was
// announced (DiscoveryRecord) and hands it back the next time.
#ifndef HV_TOOLS_HVBRIDGE_DISCOVERY_H_
#define HV_TOOLS_HVBRIDGE_DISCOVERY_H_

#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/hvbridge/bridge_item.h"
#include "tools/hvbridge/discovery_record.h"
#include "tools/hvbridge/topic_layout.h"

namespace hv::bridge {

struct DiscoveryOptions {
  bool per_entity = false;
  // Seconds after which a motion or door sensor reads clear again by itself, for servers
  // that report only the trip; 0 leaves it to the server.
  int off_delay_seconds = 0;
  std::string temperature_unit = "°C";
  std::string version;  // hvbridge's, named in "origin"
};

// The house as one Home Assistant device.
struct HouseDevice {
  std::string key;      // HouseKey
  std::string display;  // UTF-8
};

// One entity: its unique id, its platform, and its config without device, origin and
// availability (the message adds those).
struct DiscoveryComponent {
  std::string id;
  std::string platform;
  nlohmann::json config;
  std::string folder;  // the item's topic folder ("<prefix>/switch/<segment>/"); empty for facts
};

struct DiscoveryMessage {
  std::string topic;
  std::string payload;  // empty: remove the retained config (unless follow_up)
  // The device config without removals, made by DeviceConfig when it is its turn to go out,
  // so that a big house's config is never held twice.
  bool follow_up = false;
};

struct Announcement {
  std::vector<DiscoveryMessage> messages;
  // What is announced once the messages are out: the record's text (ParseDiscoveryRecord
  // reads it), one line an entity.
  std::string record;
  size_t entities = 0;
};

// Hands every entity of the house to `take`, one at a time: the house's own facts (log,
// server time, dawn, dusk) and the entities of `items`.
void ForEachComponent(const TopicLayout& layout, const HouseDevice& house,
                      const std::vector<const BridgeItem*>& items, const DiscoveryOptions& options,
                      const std::function<void(DiscoveryComponent&&)>& take);

// The messages that announce the house and remove whatever `previous` holds that it no
// longer has: a removed entity of a device config goes once as its platform alone, which is
// how Home Assistant is told to drop it, and a follow-up config leaves it out; an entity
// whose platform changed is removed that way before it comes back; a config topic nothing
// uses any more is emptied, or migrated first when its entities moved between per-entity
// and device configs; and a removed item's retained states are cleared.
// The device config is written entity by entity, so a house of 10,000 items never exists
// as one document tree in memory, and its text is made exactly as long as it is: a 10,000-item
// house's is megabytes, which the broker's library copies once more.
// `keep_record`, when given, takes the record a line at a time instead of Announcement::record.
Announcement Announce(const TopicLayout& layout, const HouseDevice& house,
                      const std::vector<const BridgeItem*>& items, const DiscoveryOptions& options,
                      const DiscoveryRecord& previous,
                      const std::function<void(std::string_view line)>& keep_record = {});

// The house's device config, every entity in it and nothing else.
std::string DeviceConfig(const TopicLayout& layout, const HouseDevice& house,
                         const std::vector<const BridgeItem*>& items,
                         const DiscoveryOptions& options);

// A component's config as Home Assistant reads it: the short keys of the announcement
// written out, "~" put back into the topics.
nlohmann::json Expanded(const nlohmann::json& config);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_DISCOVERY_H_
