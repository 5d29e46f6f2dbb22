#include "tools/hvbridge/discovery.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <utility>

#include "tools/hvbridge/bridge_command.h"

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
  out->push_back(DiscoveryComponent{std::move(id), platform, std::move(config), {}});
}

void AddItemComponents(const TopicLayout& layout, const BridgeItem& item,
                       const DiscoveryOptions& options, std::vector<DiscoveryComponent>* out) {
  const std::string base = "hv_" + KeyText(item.key);
  const std::string display = DisplayText(item.name, kMaxDisplayBytes);
  const std::string segment = SegmentOf(item);
  auto topic = [&](const char* leaf) { return layout.Item(item.kind, segment, leaf); };
  json config = Entity(display, base);
  config["json_attributes_topic"] = topic("attributes");
  switch (item.kind) {
    case ItemKind::kSwitch:
      config["state_topic"] = topic("state");
      config["command_topic"] = topic("set");
      if (IsDimmer(item)) {
        config["brightness_state_topic"] = topic("brightness");
        config["brightness_command_topic"] = topic("set");
        config["brightness_scale"] = 100;
        // A plain "turn on" is ON (the server's On, which every module takes); with a
        // level, ON comes first and the level after it, which is a Dim to that level.
        config["on_command_type"] = "first";
        AddComponent(out, base, "light", std::move(config));
      } else {
        AddComponent(out, base, "switch", std::move(config));
      }
      return;
    case ItemKind::kSensor: {
      config["state_topic"] = topic("attributes");
      const SensorClass sensor_class = ClassOf(item);
      if (sensor_class == SensorClass::kTemperature) {
        // The state topic carries the number itself, for every reader of the broker.
        config["state_topic"] = topic("state");
        config["device_class"] = "temperature";
        config["state_class"] = "measurement";
        config["unit_of_measurement"] = options.temperature_unit;
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
      json start = Entity(display, base + "_start");
      start["command_topic"] = topic("set");
      start["payload_press"] = "START";
      AddComponent(out, base + "_start", "button", std::move(start));
      json stop = Entity(display + " stop", base + "_stop");
      stop["command_topic"] = topic("set");
      stop["payload_press"] = "STOP";
      AddComponent(out, base + "_stop", "button", std::move(stop));
      json running = Entity(display + " running", base + "_running");
      running["state_topic"] = topic("state");
      running["device_class"] = "running";
      running["json_attributes_topic"] = topic("attributes");
      AddComponent(out, base + "_running", "binary_sensor", std::move(running));
      json event = Entity(display + " finished", base + "_event");
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
      json image = Entity(display, base);
      image["image_topic"] = topic("thumbnail");
      image["content_type"] = "image/jpeg";
      image.erase("qos");  // image entities take no qos
      AddComponent(out, base, "image", std::move(image));
      json snap = Entity(display + " snapshot", base + "_snap");
      snap["command_topic"] = topic("snap");
      snap["payload_press"] = "SNAP";
      AddComponent(out, base + "_snap", "button", std::move(snap));
      return;
    }
    case ItemKind::kLogName: return;  // never an item of the bridge
  }
}

// Home Assistant's short names for the keys every entity repeats. A 10,000-item house's
// device config is megabytes, held at once by the bridge and by the broker's library.
constexpr std::pair<const char*, const char*> kAbbreviations[] = {
    {"state_topic", "stat_t"},
    {"command_topic", "cmd_t"},
    {"json_attributes_topic", "json_attr_t"},
    {"brightness_state_topic", "bri_stat_t"},
    {"brightness_command_topic", "bri_cmd_t"},
    {"brightness_scale", "bri_scl"},
    {"on_command_type", "on_cmd_type"},
    {"unique_id", "uniq_id"},
    {"device_class", "dev_cla"},
    {"state_class", "stat_cla"},
    {"unit_of_measurement", "unit_of_meas"},
    {"payload_on", "pl_on"},
    {"payload_off", "pl_off"},
    {"payload_press", "pl_prs"},
    {"state_on", "stat_on"},
    {"state_off", "stat_off"},
    {"value_template", "val_tpl"},
    {"off_delay", "off_dly"},
    {"entity_category", "ent_cat"},
};

// `config` in its short form: abbreviated keys, and the item's topics written below its
// folder as "~" (Home Assistant puts the folder back in every option that ends in "_topic").
json Compact(json config, const std::string& folder) {
  if (folder.size() > 1) {
    const std::string base = folder.substr(0, folder.size() - 1);
    bool used = false;
    for (auto& [key, value] : config.items()) {
      if (key.size() < 6 || key.compare(key.size() - 6, 6, "_topic") != 0 || !value.is_string())
        continue;
      const std::string& topic = value.get_ref<const std::string&>();
      if (topic.size() > folder.size() && topic.compare(0, folder.size(), folder) == 0) {
        value = "~/" + topic.substr(folder.size());
        used = true;
      }
    }
    if (used) config["~"] = base;
  }
  json out = json::object();
  for (auto& [key, value] : config.items()) {
    const char* name = key.c_str();
    for (const auto& [full, short_name] : kAbbreviations) {
      if (key == full) name = short_name;
    }
    out[name] = std::move(value);
  }
  return out;
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

// Text gathered in pieces of a fixed size and joined once its length is known: a string that
// grows by doubling holds up to twice the text, and three times while it moves.
class cPieceText {
 public:
  void Append(std::string_view text) {
    if (pieces_.empty() || pieces_.back().size() + text.size() > pieces_.back().capacity()) {
      pieces_.emplace_back().reserve(std::max(kPieceBytes, text.size()));
    }
    pieces_.back().append(text);
    size_ += text.size();
  }
  // The whole text; the pieces are given back as they are copied.
  std::string Join() {
    std::string whole;
    whole.reserve(size_);
    for (std::string& piece : pieces_) {
      whole.append(piece);
      std::string().swap(piece);
    }
    pieces_.clear();
    size_ = 0;
    return whole;
  }

 private:
  // Above the allocator's bound for pages of their own (see the program's main), so each
  // piece goes back to the system as soon as it has been copied.
  static constexpr size_t kPieceBytes = 512 * 1024;
  std::vector<std::string> pieces_;
  size_t size_ = 0;
};

// The entities, topics and item folders of the last announcement, marked off as this one
// uses them again: what is left unmarked is gone.
class cPreviousAnnouncement {
 public:
  explicit cPreviousAnnouncement(const DiscoveryRecord& previous) {
    for (const RecordedEntity& entity : previous) {
      topics_.push_back({entity.topic, false});
      ids_.push_back({entity.id, false});
      if (!entity.folder.empty()) folders_.push_back({entity.folder, false});
      platforms_.emplace_back(entity.id, entity.platform);
    }
    for (auto* marks : {&topics_, &ids_, &folders_}) {
      std::sort(marks->begin(), marks->end());
      marks->erase(std::unique(marks->begin(), marks->end()), marks->end());
    }
    std::sort(platforms_.begin(), platforms_.end());
  }
  void Use(std::string_view topic, std::string_view id, std::string_view folder) {
    Mark(topics_, topic);
    Mark(ids_, id);
    if (!folder.empty()) Mark(folders_, folder);
  }
  bool TopicUsed(std::string_view topic) const { return Marked(topics_, topic); }
  bool IdUsed(std::string_view id) const { return Marked(ids_, id); }
  bool FolderUsed(std::string_view folder) const { return Marked(folders_, folder); }
  // The platform `id` was announced on before; empty when it was not.
  std::string_view PlatformOf(std::string_view id) const {
    const auto it = std::lower_bound(platforms_.begin(), platforms_.end(),
                                     std::make_pair(id, std::string_view()));
    return it != platforms_.end() && it->first == id ? it->second : std::string_view();
  }

 private:
  using Marks = std::vector<std::pair<std::string_view, bool>>;
  static Marks::const_iterator Lookup(const Marks& marks, std::string_view text) {
    const auto it = std::lower_bound(marks.begin(), marks.end(), std::make_pair(text, false));
    return it != marks.end() && it->first == text ? it : marks.end();
  }
  static void Mark(Marks& marks, std::string_view text) {
    const auto it = Lookup(marks, text);
    if (it != marks.end()) marks[static_cast<size_t>(it - marks.begin())].second = true;
  }
  static bool Marked(const Marks& marks, std::string_view text) {
    const auto it = Lookup(marks, text);
    return it != marks.end() && it->second;
  }

  Marks topics_;
  Marks ids_;
  Marks folders_;
  std::vector<std::pair<std::string_view, std::string_view>> platforms_;
};

// The retained topics below an item's folder that the bridge publishes.
constexpr const char* kRetainedLeaves[] = {"state", "attributes", "brightness", "thumbnail"};

// Home Assistant's way to move an entity between per-entity and device configs without
// losing it (and the user's names, areas and settings with it): the old config topic says
// it migrates, the new config adopts the entity, then the old topic is emptied.
constexpr const char kMigrate[] = "{\"migrate_discovery\":true}";

}  // namespace

void ForEachComponent(const TopicLayout& layout, const HouseDevice& house,
                      const std::vector<const BridgeItem*>& items, const DiscoveryOptions& options,
                      const std::function<void(DiscoveryComponent&&)>& take) {
  std::vector<DiscoveryComponent> facts;
  json log = Entity("Activity log", "");
  log["state_topic"] = layout.Log();
  log["event_types"] = {"entry"};
  AddComponent(&facts, "log", "event", std::move(log));
  for (const char* fact : {"time", "dawn", "dusk"}) {
    const std::string name = std::string(fact) == "time"   ? "Server time"
                             : std::string(fact) == "dawn" ? "Dawn"
                                                           : "Dusk";
    json sensor = Entity(name, "");
    sensor["state_topic"] = layout.ServerFact(fact);
    sensor["device_class"] = "timestamp";
    AddComponent(&facts, std::string(fact) == "time" ? "server_time" : fact, "sensor",
                 std::move(sensor));
  }
  // The facts describe the server rather than the house: Home Assistant files them apart.
  for (DiscoveryComponent& fact : facts) fact.config["entity_category"] = "diagnostic";
  // The house's own controls, as the desktop window has them.
  for (const auto& [control, name] : {std::pair{"pause", "Pause macros"}, std::pair{"mute", "Mute"},
                                      std::pair{"night", "Night"}}) {
    json box = Entity(name, "");
    box["state_topic"] = layout.ServerFact(control);
    box["command_topic"] = layout.ServerFact(control) + "/set";
    box["entity_category"] = "config";
    AddComponent(&facts, control, "switch", std::move(box));
  }
  // The house's own entities are named per house, so two bridges never share an id.
  for (DiscoveryComponent& fact : facts) {
    fact.id = "hv_" + house.key + "_" + fact.id;
    fact.config["unique_id"] = fact.id;
    take(std::move(fact));
  }
  std::vector<DiscoveryComponent> components;
  for (const BridgeItem* item : items) {
    components.clear();
    AddItemComponents(layout, *item, options, &components);
    for (DiscoveryComponent& component : components) {
      layout.ItemFolder(item->kind, SegmentOf(*item), &component.folder);
      take(std::move(component));
    }
  }
}

namespace {

// A component of the device config: the short form with its platform; the quality of service
// is the device's (shared by every component).
json DeviceComponent(DiscoveryComponent&& component) {
  component.config.erase("qos");
  json config = Compact(std::move(component.config), component.folder);
  config["p"] = component.platform;
  return config;
}

// The device config's text, written component by component.
class cDevicePayload {
 public:
  cDevicePayload(const TopicLayout& layout, const HouseDevice& house,
                 const DiscoveryOptions& options) {
    json device;
    device["dev"] = Device(house);
    device["o"] = Origin(options);
    device["availability"] = Availability(layout);
    device["availability_mode"] = "all";
    device["qos"] = 1;
    std::string head = Dump(device);
    head.pop_back();  // the closing brace
    head += ",\"cmps\":{";
    text_.Append(head);
  }
  void Add(const std::string& id, const json& config) {
    if (!first_) text_.Append(",");
    first_ = false;
    text_.Append(Dump(json(id)));
    text_.Append(":");
    text_.Append(Dump(config));
  }
  std::string Take() {
    text_.Append("}}");
    return text_.Join();
  }

 private:
  cPieceText text_;
  bool first_ = true;
};

}  // namespace

Announcement Announce(const TopicLayout& layout, const HouseDevice& house,
                      const std::vector<const BridgeItem*>& items, const DiscoveryOptions& options,
                      const DiscoveryRecord& previous,
                      const std::function<void(std::string_view line)>& keep_record) {
  Announcement out;
  cPreviousAnnouncement before(previous);
  cPieceText record;
  const std::string device_topic =
      layout.discovery_prefix + "/device/hearthview_" + house.key + "/config";
  // The device config as it goes out first: an entity whose platform changed stands there
  // as its old platform alone, which removes it before it comes back as the new one.
  cDevicePayload payload(layout, house, options);
  bool follow_up = false;
  // Old config topics whose entity moved elsewhere under the same platform (the switch
  // between per-entity and device configs): migrated, not removed.
  std::set<std::string_view> migrating;
  std::set<std::string> changed;  // ids whose platform changed
  std::vector<DiscoveryMessage> configs;
  std::vector<DiscoveryMessage> removed_first;
  std::string line;
  ForEachComponent(layout, house, items, options, [&](DiscoveryComponent&& component) {
    const std::string topic =
        options.per_entity
            ? layout.discovery_prefix + "/" + component.platform + "/" + component.id + "/config"
            : device_topic;
    const std::string_view old_platform = before.PlatformOf(component.id);
    const bool platform_changed = !old_platform.empty() && old_platform != component.platform;
    if (platform_changed) changed.insert(component.id);
    before.Use(topic, component.id, component.folder);
    line.clear();
    AppendRecordLine(topic, component.id, component.platform, component.folder, &line);
    if (keep_record) {
      keep_record(line);
    } else {
      record.Append(line);
    }
    ++out.entities;
    if (options.per_entity) {
      json config = Compact(std::move(component.config), component.folder);
      config["device"] = Device(house);
      config["origin"] = Origin(options);
      config["availability"] = Availability(layout);
      config["availability_mode"] = "all";
      configs.push_back({topic, Dump(config)});
      return;
    }
    if (platform_changed) {
      payload.Add(component.id, json{{"p", std::string(old_platform)}});
      follow_up = true;
      return;
    }
    payload.Add(component.id, DeviceComponent(std::move(component)));
  });
  out.record = record.Join();

  // What was announced before and is not now. A config topic nothing uses now migrates
  // when an entity of it lives on elsewhere on the same platform (the switch between
  // per-entity and device configs); otherwise it is emptied before the new configs go out.
  for (const RecordedEntity& old : previous) {
    if (!before.TopicUsed(old.topic) && before.IdUsed(old.id) && !changed.count(old.id)) {
      migrating.insert(old.topic);
    }
  }
  std::vector<DiscoveryMessage> emptied_last;
  std::set<std::string_view> emptied;
  std::set<std::string_view> cleared_folders;
  std::vector<DiscoveryMessage> cleared_states;
  for (const RecordedEntity& old : previous) {
    const bool id_used = before.IdUsed(old.id);
    if (!before.TopicUsed(old.topic)) {
      if (!migrating.count(old.topic) && emptied.insert(old.topic).second) {
        removed_first.push_back({old.topic, ""});
      }
    } else if (!id_used && old.topic == device_topic) {
      payload.Add(old.id, json{{"p", old.platform}});
      follow_up = true;
    }
    // Only folders below the bridge's own prefix: the record is a file a user may edit.
    if (!id_used && IsBelow(layout.prefix, old.folder) && !before.FolderUsed(old.folder) &&
        cleared_folders.insert(old.folder).second) {
      for (const char* leaf : kRetainedLeaves) cleared_states.push_back({old.folder + leaf, ""});
    }
  }
  for (const std::string_view topic : migrating) {
    out.messages.push_back({std::string(topic), kMigrate});
    emptied_last.push_back({std::string(topic), ""});
  }
  for (DiscoveryMessage& message : removed_first) out.messages.push_back(std::move(message));
  for (DiscoveryMessage& message : configs) out.messages.push_back(std::move(message));
  if (!options.per_entity) {
    out.messages.push_back({device_topic, payload.Take()});
    // The removals are done; the config the device keeps holds only what it has.
    if (follow_up) out.messages.push_back({device_topic, "", true});
  }
  for (DiscoveryMessage& message : emptied_last) out.messages.push_back(std::move(message));
  for (DiscoveryMessage& message : cleared_states) out.messages.push_back(std::move(message));
  return out;
}

std::string DeviceConfig(const TopicLayout& layout, const HouseDevice& house,
                         const std::vector<const BridgeItem*>& items,
                         const DiscoveryOptions& options) {
  cDevicePayload clean(layout, house, options);
  ForEachComponent(layout, house, items, options, [&](DiscoveryComponent&& component) {
    clean.Add(component.id, DeviceComponent(std::move(component)));
  });
  return clean.Take();
}

json Expanded(const json& config) {
  if (!config.is_object()) return config;
  json out = json::object();
  const std::string base = config.value("~", "");
  for (const auto& [key, value] : config.items()) {
    if (key == "~") continue;
    std::string name = key;
    for (const auto& [full, short_name] : kAbbreviations) {
      if (key == short_name) name = full;
    }
    json expanded = value;
    const bool topic = name.size() > 6 && name.compare(name.size() - 6, 6, "_topic") == 0;
    if (topic && value.is_string() && !base.empty()) {
      const std::string& text = value.get_ref<const std::string&>();
      if (text.rfind("~", 0) == 0) expanded = base + text.substr(1);
    }
    out[name] = std::move(expanded);
  }
  return out;
}

}  // namespace hv::bridge
