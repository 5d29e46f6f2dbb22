#include "tools/hvbridge/discovery.h"

#include <set>
#include <utility>

namespace hv::bridge {

namespace {

using nlohmann::json;

json Entity(const std::string& name, const std::string& id) {
  json config;
  config["name"] = name;
  config["unique_id"] = id;
  config["qos"] = 1;
  return config;
}

void AddComponent(std::vector<DiscoveryComponent>* out, std::string id, const char* platform,
                  json config) {
  out->push_back(DiscoveryComponent{std::move(id), platform, std::move(config)});
}

void AddItemComponents(const TopicLayout& layout, const BridgeItem& item,
                       const DiscoveryOptions& options, std::vector<DiscoveryComponent>* out) {
  const std::string base = "hv_" + item.key;
  auto topic = [&](const char* leaf) { return layout.Item(item.kind, item.segment, leaf); };
  json config = Entity(item.display, base);
  config["json_attributes_topic"] = topic("attributes");
  switch (item.kind) {
    case ItemKind::kSwitch:
      config["state_topic"] = topic("state");
      config["command_topic"] = topic("set");
      if (IsDimmer(item)) {
        config["brightness_state_topic"] = topic("brightness");
        config["brightness_command_topic"] = topic("set");
        config["brightness_scale"] = 100;
        // Turning on from Home Assistant sends the level alone, which the switch takes as
        // one dim command instead of an On followed by a level.
        config["on_command_type"] = "brightness";
        AddComponent(out, base, "light", std::move(config));
      } else {
        AddComponent(out, base, "switch", std::move(config));
      }
      return;
    case ItemKind::kSensor: {
      config["state_topic"] = topic("attributes");
      const SensorClass sensor_class = ClassOf(item);
      if (sensor_class == SensorClass::kTemperature) {
        config["device_class"] = "temperature";
        config["state_class"] = "measurement";
        config["unit_of_measurement"] = options.temperature_unit;
        config["value_template"] = "{{ value_json.value }}";
        AddComponent(out, base, "sensor", std::move(config));
        return;
      }
      config["value_template"] = "{{ 'ON' if value_json.active else 'OFF' }}";
      if (sensor_class == SensorClass::kMotion) config["device_class"] = "motion";
      if (sensor_class == SensorClass::kDoor) config["device_class"] = "door";
      if (sensor_class != SensorClass::kOther && options.off_delay_seconds > 0) {
        config["off_delay"] = options.off_delay_seconds;
      }
      AddComponent(out, base, "binary_sensor", std::move(config));
      return;
    }
    case ItemKind::kMacro: {
      json start = Entity(item.display, base + "_start");
      start["command_topic"] = topic("set");
      start["payload_press"] = "START";
      AddComponent(out, base + "_start", "button", std::move(start));
      json stop = Entity(item.display + " stop", base + "_stop");
      stop["command_topic"] = topic("set");
      stop["payload_press"] = "STOP";
      AddComponent(out, base + "_stop", "button", std::move(stop));
      json running = Entity(item.display + " running", base + "_running");
      running["state_topic"] = topic("state");
      running["device_class"] = "running";
      running["json_attributes_topic"] = topic("attributes");
      AddComponent(out, base + "_running", "binary_sensor", std::move(running));
      json event = Entity(item.display + " finished", base + "_event");
      event["state_topic"] = topic("event");
      event["event_types"] = {"started", "finished"};
      AddComponent(out, base + "_event", "event", std::move(event));
      return;
    }
    case ItemKind::kMode:
      config["state_topic"] = topic("state");
      config["command_topic"] = topic("set");
      config["payload_on"] = "ACTIVE";
      config["payload_off"] = "INACTIVE";
      config["state_on"] = "ON";
      config["state_off"] = "OFF";
      AddComponent(out, base, "switch", std::move(config));
      return;
    case ItemKind::kCamera: {
      json image = Entity(item.display, base);
      image["image_topic"] = topic("thumbnail");
      image["content_type"] = "image/jpeg";
      image.erase("qos");  // image entities take no qos
      AddComponent(out, base, "image", std::move(image));
      json snap = Entity(item.display + " snapshot", base + "_snap");
      snap["command_topic"] = topic("snap");
      snap["payload_press"] = "SNAP";
      AddComponent(out, base + "_snap", "button", std::move(snap));
      return;
    }
  }
}

json Availability(const TopicLayout& layout) {
  return json::array(
      {json{{"topic", layout.BridgeAvailability()}}, json{{"topic", layout.ServerAvailability()}}});
}

json Device(const HouseDevice& house) {
  return json{{"identifiers", json::array({"hearthview_" + house.key})},
              {"name", house.display},
              {"manufacturer", "Orvane LLC"},
              {"model", "Varnholt house"}};
}

json Origin(const DiscoveryOptions& options) {
  return json{{"name", "hvbridge"}, {"sw_version", options.version}};
}

std::string Dump(const json& doc) {
  return doc.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

std::vector<DiscoveryComponent> HouseComponents(const TopicLayout& layout,
                                                const std::vector<const BridgeItem*>& items,
                                                const DiscoveryOptions& options) {
  std::vector<DiscoveryComponent> components;
  json log = Entity("Activity log", "");
  log["state_topic"] = layout.Log();
  log["event_types"] = {"entry"};
  json time = Entity("Server time", "");
  time["state_topic"] = layout.ServerFact("time");
  time["device_class"] = "timestamp";
  json dawn = Entity("Dawn", "");
  dawn["state_topic"] = layout.ServerFact("dawn");
  dawn["device_class"] = "timestamp";
  json dusk = Entity("Dusk", "");
  dusk["state_topic"] = layout.ServerFact("dusk");
  dusk["device_class"] = "timestamp";
  AddComponent(&components, "log", "event", std::move(log));
  AddComponent(&components, "server_time", "sensor", std::move(time));
  AddComponent(&components, "dawn", "sensor", std::move(dawn));
  AddComponent(&components, "dusk", "sensor", std::move(dusk));
  for (const BridgeItem* item : items) AddItemComponents(layout, *item, options, &components);
  return components;
}

Announcement Announce(const TopicLayout& layout, const HouseDevice& house,
                      const std::vector<DiscoveryComponent>& input, const DiscoveryOptions& options,
                      const DiscoveryRecord& previous) {
  // The house's own entities are named per house, so two bridges never share an id.
  std::vector<DiscoveryComponent> components = input;
  for (DiscoveryComponent& component : components) {
    if (component.id.rfind("hv_", 0) != 0) component.id = "hv_" + house.key + "_" + component.id;
    component.config["unique_id"] = component.id;
  }

  Announcement out;
  std::set<std::string> used_topics;
  std::set<std::string> current_ids;
  const std::string device_topic =
      layout.discovery_prefix + "/device/hearthview_" + house.key + "/config";
  for (const DiscoveryComponent& component : components) {
    const std::string topic =
        options.per_entity
            ? layout.discovery_prefix + "/" + component.platform + "/" + component.id + "/config"
            : device_topic;
    used_topics.insert(topic);
    current_ids.insert(component.id);
    out.record.push_back(RecordedEntity{topic, component.id, component.platform});
  }

  // What was announced before and is gone now.
  json removed_from_device = json::object();
  std::set<std::string> emptied;
  for (const RecordedEntity& old : previous) {
    if (used_topics.count(old.topic) == 0) {
      if (emptied.insert(old.topic).second) out.messages.push_back({old.topic, ""});
    } else if (current_ids.count(old.id) == 0 && old.topic == device_topic) {
      removed_from_device[old.id] = json{{"p", old.platform}};
    }
  }

  if (options.per_entity) {
    for (const DiscoveryComponent& component : components) {
      json config = component.config;
      config["device"] = Device(house);
      config["origin"] = Origin(options);
      config["availability"] = Availability(layout);
      config["availability_mode"] = "all";
      out.messages.push_back(
          {layout.discovery_prefix + "/" + component.platform + "/" + component.id + "/config",
           Dump(config)});
    }
    return out;
  }
  json device;
  device["dev"] = Device(house);
  device["o"] = Origin(options);
  device["availability"] = Availability(layout);
  device["availability_mode"] = "all";
  device["qos"] = 1;
  json cmps = removed_from_device;
  for (const DiscoveryComponent& component : components) {
    json config = component.config;
    config["p"] = component.platform;
    cmps[component.id] = std::move(config);
  }
  device["cmps"] = std::move(cmps);
  out.messages.push_back({device_topic, Dump(device)});
  return out;
}

}  // namespace hv::bridge
