#include "tools/hvbridge/discovery.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/testing/temp_folder.h"
#include "tools/hvbridge/discovery_record.h"

namespace hv::bridge {
namespace {

using nlohmann::json;

BridgeItem Item(ItemKind kind, const std::string& name, uint32_t type, uint32_t status) {
  BridgeItem item;
  item.kind = kind;
  item.name = name;
  item.key = ItemKeyValue("server:1", "Maple", kind, name);
  item.type = type;
  item.status = status;
  return item;
}

// A device config's components as Home Assistant reads them.
json Cmps(const std::string& payload) {
  json cmps = json::object();
  const json device = json::parse(payload);  // the loop must not walk a temporary
  for (const auto& [id, component] : device.at("cmps").items()) {
    cmps[id] = Expanded(component);
  }
  return cmps;
}

class DiscoveryTest : public ::testing::Test {
 protected:
  DiscoveryTest() { layout_.prefix = "hearthview/maple"; }

  // The messages as they go out: a follow-up device config made when its turn comes.
  Announcement AnnounceItems(const std::vector<BridgeItem>& items,
                             const DiscoveryRecord& previous = {}) {
    std::vector<const BridgeItem*> pointers;
    for (const BridgeItem& item : items) pointers.push_back(&item);
    Announcement announcement = Announce(layout_, house_, pointers, options_, previous);
    // The record handed over a line at a time (as the bridge writes it to disk) is the same.
    std::string streamed;
    const Announcement again = Announce(layout_, house_, pointers, options_, previous,
                                        [&streamed](std::string_view line) { streamed += line; });
    EXPECT_EQ(streamed, announcement.record);
    EXPECT_TRUE(again.record.empty());
    EXPECT_EQ(again.messages.size(), announcement.messages.size());
    for (DiscoveryMessage& message : announcement.messages) {
      if (message.follow_up) message.payload = DeviceConfig(layout_, house_, pointers, options_);
    }
    return announcement;
  }
  // The device config's components.
  json Components(const Announcement& announcement) {
    const DiscoveryMessage& last = announcement.messages.back();
    EXPECT_EQ(last.topic, "homeassistant/device/hearthview_" + house_.key + "/config");
    return Cmps(last.payload);
  }

  TopicLayout layout_;
  HouseDevice house_{HouseKey("server:1", "Maple"), "Maple Street"};
  DiscoveryOptions options_{.version = "1.2.3"};
};

TEST_F(DiscoveryTest, EveryKindIsAnnouncedWithWhatHomeAssistantReads) {
  options_.off_delay_seconds = 30;
  const BridgeItem lamp = Item(ItemKind::kSwitch, "Lamp", 1, 4);
  const BridgeItem fan = Item(ItemKind::kSwitch, "Fan", 2, 2);
  const BridgeItem motion = Item(ItemKind::kSensor, "Hall Motion", 1, 37);
  const BridgeItem door = Item(ItemKind::kSensor, "Front Door", 1, 21);
  const BridgeItem temp = Item(ItemKind::kSensor, "Outside", 2, 17);
  const BridgeItem macro = Item(ItemKind::kMacro, "Good Night", 0, 2);
  const BridgeItem mode = Item(ItemKind::kMode, "Away", 0, 0);
  const BridgeItem camera = Item(ItemKind::kCamera, "Porch", 0, 0);
  const Announcement a = AnnounceItems({lamp, fan, motion, door, temp, macro, mode, camera});
  ASSERT_EQ(a.messages.size(), 1u);
  const json device = json::parse(a.messages[0].payload);
  EXPECT_EQ(device["dev"]["name"], "Maple Street");
  EXPECT_EQ(device["o"]["name"], "hvbridge");
  EXPECT_EQ(device["o"]["sw_version"], "1.2.3");
  EXPECT_EQ(device["availability"][0]["topic"], "hearthview/maple/availability");
  EXPECT_EQ(device["availability"][1]["topic"], "hearthview/maple/server/availability");
  EXPECT_EQ(device["availability_mode"], "all");
  const json cmps = Cmps(a.messages[0].payload);
  // Short keys below each item's folder: the config of a big house is half as long.
  EXPECT_EQ(device["cmps"]["hv_" + KeyText(lamp.key)]["~"],
            "hearthview/maple/switch/" + SegmentOf(lamp));
  EXPECT_EQ(device["cmps"]["hv_" + KeyText(lamp.key)]["cmd_t"], "~/set");

  const json& light = cmps["hv_" + KeyText(lamp.key)];
  EXPECT_EQ(light["p"], "light");
  EXPECT_EQ(light["unique_id"], "hv_" + KeyText(lamp.key));
  EXPECT_EQ(light["name"], "Lamp");  // never repeats the house's name
  EXPECT_EQ(light["command_topic"], "hearthview/maple/switch/" + SegmentOf(lamp) + "/set");
  EXPECT_EQ(light["state_topic"], "hearthview/maple/switch/" + SegmentOf(lamp) + "/state");
  EXPECT_EQ(light["brightness_scale"], 100);
  EXPECT_EQ(light["brightness_state_topic"],
            "hearthview/maple/switch/" + SegmentOf(lamp) + "/brightness");
  EXPECT_EQ(cmps["hv_" + KeyText(fan.key)]["p"], "switch");

  EXPECT_EQ(cmps["hv_" + KeyText(motion.key)]["p"], "binary_sensor");
  EXPECT_EQ(cmps["hv_" + KeyText(motion.key)]["device_class"], "motion");
  EXPECT_EQ(cmps["hv_" + KeyText(motion.key)]["off_delay"], 30);
  EXPECT_EQ(cmps["hv_" + KeyText(door.key)]["device_class"], "door");
  EXPECT_EQ(cmps["hv_" + KeyText(temp.key)]["p"], "sensor");
  EXPECT_EQ(cmps["hv_" + KeyText(temp.key)]["device_class"], "temperature");
  EXPECT_EQ(cmps["hv_" + KeyText(temp.key)]["unit_of_measurement"], "°C");

  EXPECT_EQ(cmps["hv_" + KeyText(macro.key) + "_start"]["p"], "button");
  EXPECT_EQ(cmps["hv_" + KeyText(macro.key) + "_start"]["payload_press"], "START");
  EXPECT_EQ(cmps["hv_" + KeyText(macro.key) + "_running"]["p"], "binary_sensor");
  EXPECT_EQ(cmps["hv_" + KeyText(macro.key) + "_event"]["p"], "event");
  EXPECT_EQ(cmps["hv_" + KeyText(mode.key)]["p"], "switch");
  EXPECT_EQ(cmps["hv_" + KeyText(mode.key)]["payload_on"], "ACTIVE");
  EXPECT_EQ(cmps["hv_" + KeyText(camera.key)]["p"], "image");
  EXPECT_EQ(cmps["hv_" + KeyText(camera.key)]["image_topic"],
            "hearthview/maple/camera/" + SegmentOf(camera) + "/thumbnail");
  EXPECT_EQ(cmps["hv_" + house_.key + "_log"]["p"], "event");
  EXPECT_EQ(cmps["hv_" + house_.key + "_server_time"]["device_class"], "timestamp");
}

TEST_F(DiscoveryTest, RemovedItemsAreTakenAwayOnceAndNeverComeBack) {
  const BridgeItem kept = Item(ItemKind::kSwitch, "Kept", 2, 3);
  const BridgeItem gone = Item(ItemKind::kSwitch, "Gone", 2, 3);
  const Announcement first = AnnounceItems({kept, gone});
  const Announcement second = AnnounceItems({kept}, ParseDiscoveryRecord(first.record));
  // The removed entity goes out once as its platform alone, and a follow-up config leaves it
  // out, so the device config kept at the broker holds only what the house has.
  std::vector<json> configs;
  std::set<std::string> cleared;
  for (const DiscoveryMessage& message : second.messages) {
    if (message.topic.rfind("homeassistant/device/", 0) == 0) {
      configs.push_back(Cmps(message.payload));
    } else if (message.payload.empty()) {
      cleared.insert(message.topic);
    }
  }
  ASSERT_EQ(configs.size(), 2u);
  EXPECT_EQ(configs[0]["hv_" + KeyText(gone.key)], json({{"p", "switch"}}));
  EXPECT_EQ(configs[0]["hv_" + KeyText(kept.key)]["p"], "switch");
  EXPECT_FALSE(configs[1].contains("hv_" + KeyText(gone.key)));
  EXPECT_EQ(configs[1]["hv_" + KeyText(kept.key)]["p"], "switch");
  // Its retained state and attributes go too; the kept item's stay.
  const std::string folder = "hearthview/maple/switch/" + SegmentOf(gone) + "/";
  EXPECT_EQ(cleared.count(folder + "state"), 1u);
  EXPECT_EQ(cleared.count(folder + "attributes"), 1u);
  for (const std::string& topic : cleared) {
    EXPECT_EQ(topic.find(SegmentOf(kept)), std::string::npos) << topic;
  }
  // The record no longer holds it, so the next announcement says nothing of it.
  const Announcement third = AnnounceItems({kept}, ParseDiscoveryRecord(second.record));
  ASSERT_EQ(third.messages.size(), 1u);
  EXPECT_FALSE(Components(third).contains("hv_" + KeyText(gone.key)));
}

TEST_F(DiscoveryTest, APlatformChangeRemovesTheOldPlatformFirst) {
  // A sensor first listed as a plain binary sensor turns out to be a thermometer.
  const BridgeItem before = Item(ItemKind::kSensor, "Outside", 2, 3);
  const BridgeItem after = Item(ItemKind::kSensor, "Outside", 2, 17);
  const Announcement first = AnnounceItems({before});
  const Announcement second = AnnounceItems({after}, ParseDiscoveryRecord(first.record));
  ASSERT_EQ(second.messages.size(), 2u);
  EXPECT_EQ(Cmps(second.messages[0].payload)["hv_" + KeyText(after.key)],
            json({{"p", "binary_sensor"}}));
  EXPECT_EQ(Cmps(second.messages[1].payload)["hv_" + KeyText(after.key)]["p"], "sensor");
  // With per-entity configs the old platform's topic is emptied before the new one comes.
  options_.per_entity = true;
  const Announcement per_entity = AnnounceItems({before});
  const Announcement changed = AnnounceItems({after}, ParseDiscoveryRecord(per_entity.record));
  const std::string old_topic = "homeassistant/binary_sensor/hv_" + KeyText(after.key) + "/config";
  const std::string new_topic = "homeassistant/sensor/hv_" + KeyText(after.key) + "/config";
  size_t emptied_at = 0;
  size_t announced_at = 0;
  for (size_t i = 0; i < changed.messages.size(); ++i) {
    if (changed.messages[i].topic == old_topic && changed.messages[i].payload.empty())
      emptied_at = i + 1;
    if (changed.messages[i].topic == new_topic) announced_at = i + 1;
  }
  EXPECT_GT(emptied_at, 0u);
  EXPECT_GT(announced_at, emptied_at);
}

TEST_F(DiscoveryTest, TheServersFactsAreDiagnosticAndItsControlsAreSettings) {
  const json cmps = Components(AnnounceItems({}));
  for (const char* fact : {"_log", "_server_time", "_dawn", "_dusk"}) {
    EXPECT_EQ(cmps["hv_" + house_.key + fact]["entity_category"], "diagnostic") << fact;
  }
  for (const char* control : {"pause", "mute", "night"}) {
    const json& box = cmps["hv_" + house_.key + "_" + control];
    EXPECT_EQ(box["p"], "switch");
    EXPECT_EQ(box["entity_category"], "config");
    EXPECT_EQ(box["command_topic"], "hearthview/maple/server/" + std::string(control) + "/set");
  }
}

TEST_F(DiscoveryTest, SwitchingBetweenStylesMigratesTheEntities) {
  // Home Assistant keeps an entity (and what the user set on it) across the switch when its
  // old config says it migrates before the new config comes, and is emptied after it.
  const BridgeItem lamp = Item(ItemKind::kSwitch, "Lamp", 2, 3);
  const Announcement device = AnnounceItems({lamp});
  const std::string device_topic = device.messages[0].topic;
  options_.per_entity = true;
  const Announcement entities = AnnounceItems({lamp}, ParseDiscoveryRecord(device.record));
  ASSERT_GE(entities.messages.size(), 3u);
  EXPECT_EQ(entities.messages.front().topic, device_topic);
  EXPECT_EQ(json::parse(entities.messages.front().payload)["migrate_discovery"], true);
  EXPECT_EQ(entities.messages.back().topic, device_topic);
  EXPECT_EQ(entities.messages.back().payload, "");
  const std::string lamp_topic = "homeassistant/switch/hv_" + KeyText(lamp.key) + "/config";
  bool found = false;
  for (const DiscoveryMessage& message : entities.messages) {
    if (message.topic != lamp_topic) continue;
    found = true;
    const json config = Expanded(json::parse(message.payload));
    EXPECT_EQ(config["device"]["identifiers"][0], "hearthview_" + house_.key);
    EXPECT_EQ(config["unique_id"], "hv_" + KeyText(lamp.key));
  }
  EXPECT_TRUE(found);
  // And back: every per-entity topic migrates first, the device config follows, and the
  // per-entity topics are emptied last. No retained state is cleared: nothing was removed.
  options_.per_entity = false;
  const Announcement back = AnnounceItems({lamp}, ParseDiscoveryRecord(entities.record));
  const size_t per_entity_configs = entities.messages.size() - 2;
  ASSERT_EQ(back.messages.size(), 2 * per_entity_configs + 1);
  for (size_t i = 0; i < per_entity_configs; ++i) {
    EXPECT_EQ(json::parse(back.messages[i].payload)["migrate_discovery"], true);
    EXPECT_EQ(back.messages[per_entity_configs + 1 + i].payload, "");
    EXPECT_EQ(back.messages[per_entity_configs + 1 + i].topic, back.messages[i].topic);
  }
  EXPECT_EQ(back.messages[per_entity_configs].topic, device_topic);
  EXPECT_TRUE(json::parse(back.messages[per_entity_configs].payload)["cmps"].contains(
      "hv_" + KeyText(lamp.key)));
}

TEST(DiscoveryRecordTest, SavedRecordReadsBackAndBadLinesAreSkipped) {
  hv::test::cTempFolder folder("hvbridge");
  const std::string path = folder.File("record");
  EXPECT_TRUE(LoadDiscoveryRecord(path).empty());
  const DiscoveryRecord record = {
      {"homeassistant/device/x/config", "hv_1", "switch", "hearthview/m/switch/a_1/"},
      {"homeassistant/light/hv_2/config", "hv_2", "light", ""}};
  std::string text;
  for (const RecordedEntity& entity : record)
    AppendRecordLine(entity.topic, entity.id, entity.platform, entity.folder, &text);
  ASSERT_TRUE(SaveDiscoveryRecord(path, text).ok());
  EXPECT_EQ(LoadDiscoveryRecord(path), record);
  std::ofstream(path, std::ios::app) << "half\tline\n\t\t\nno tabs\na\tb\tc\td\te\n";
  EXPECT_EQ(LoadDiscoveryRecord(path), record);
  // A folder that is no item folder (a record edited by hand) is dropped.
  EXPECT_EQ(ParseDiscoveryRecord("t\ti\tswitch\thearthview/#/\n").at(0).folder, "");
  EXPECT_FALSE(SaveDiscoveryRecord(folder.File("missing/record"), text).ok());
  // A big house's record goes out in several writes; it reads back whole.
  DiscoveryRecord big;
  std::string big_text;
  for (int i = 0; i < 5000; ++i) {
    const std::string id = "hv_" + std::to_string(i);
    big.push_back({"homeassistant/switch/" + id + "/config", id, "switch", ""});
    AppendRecordLine(big.back().topic, id, "switch", "", &big_text);
  }
  ASSERT_GT(big_text.size(), 200000u);
  ASSERT_TRUE(SaveDiscoveryRecord(path, big_text).ok());
  EXPECT_EQ(LoadDiscoveryRecord(path), big);
}

}  // namespace
}  // namespace hv::bridge
