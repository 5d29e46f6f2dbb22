// Where everything the bridge publishes and takes lives, below its two prefixes: the
// house's (hearthview/<house>) and Home Assistant's discovery prefix (homeassistant).
#ifndef HV_TOOLS_HVBRIDGE_TOPIC_LAYOUT_H_
#define HV_TOOLS_HVBRIDGE_TOPIC_LAYOUT_H_

#include <string>
#include <string_view>

#include "tools/hvbridge/topic_names.h"

namespace hv::bridge {

struct TopicLayout {
  std::string prefix = "hearthview/house";
  std::string discovery_prefix = "homeassistant";

  // <prefix>/<kind>/<segment>/<leaf>: state, attributes, set, brightness, event, thumbnail,
  // snap.
  std::string Item(ItemKind kind, std::string_view segment, std::string_view leaf) const {
    std::string topic;
    ItemFolder(kind, segment, &topic);
    return topic.append(leaf);
  }
  // <prefix>/<kind>/<segment>/ into `topic`, whose room is kept: a leaf appended to it is a
  // topic without an allocation, for the messages every status change sends.
  void ItemFolder(ItemKind kind, std::string_view segment, std::string* topic) const {
    KindFolder(kind, topic);
    topic->append(segment).append(1, '/');
  }
  // <prefix>/<kind>/ into `topic`.
  void KindFolder(ItemKind kind, std::string* topic) const {
    topic->assign(prefix).append(1, '/').append(KindName(kind)).append(1, '/');
  }
  // The bridge itself: "online" while it is connected, "offline" as its Last Will.
  std::string BridgeAvailability() const { return prefix + "/availability"; }
  // The server connection: "online" after the login, "offline" while the server is away.
  std::string ServerAvailability() const { return prefix + "/server/availability"; }
  // The server's facts: time, dawn, dusk; and its controls: pause, mute, night.
  std::string ServerFact(std::string_view name) const {
    return prefix + "/server/" + std::string(name);
  }
  std::string Log() const { return prefix + "/log"; }
  // Commands the bridge refused or could not pass on, one JSON object each.
  std::string Errors() const { return prefix + "/errors"; }
  std::string X10Send() const { return prefix + "/x10/send"; }
  // What the bridge subscribes to below its prefix.
  std::string ItemCommands() const { return prefix + "/+/+/set"; }
  std::string CameraSnaps() const { return prefix + "/camera/+/snap"; }
  // The house's own controls: server/pause, server/mute, server/night, each with set.
  std::string ControlCommands() const { return prefix + "/server/+/set"; }
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_TOPIC_LAYOUT_H_
