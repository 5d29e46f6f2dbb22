#include "tools/hvbridge/discovery.h"

#include <gtest/gtest.h>

#include <fstream>
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
  item.display = name;
  item.key = ItemKey("server:1", "Maple", kind, name);
  item.segment = ItemSegment(name, item.key);
  item.type = type;
  item.status = status;
  return item;
}

class DiscoveryTest : public ::testing::Test {
 protected:
  DiscoveryTest() { layout_.prefix = "hearthview/maple"; }

  Announcement AnnounceItems(const std::vector<BridgeItem>& items,
                             const DiscoveryRecord& previous = {}) {
    std::vector<const BridgeItem*> pointers;
    for (const BridgeItem& item : items) pointers.push_back(&item);
    return Announce(layout_, house_, pointers, options_, previous);
  }
  // The device config's components.
  json Components(const Announcement& announcement) {
    const DiscoveryMessage& last = announcement.messages.back();
    EXPECT_EQ(last.topic, "homeassistant/device/hearthview_" + house_.key + "/config");
    return json::parse(last.payload)["cmps"];
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
  const json cmps = device["cmps"];

  const json& light = cmps["hv_" + lamp.key];
  EXPECT_EQ(light["p"], "light");
  EXPECT_EQ(light["unique_id"], "hv_" + lamp.key);
  EXPECT_EQ(light["name"], "Lamp");  // never repeats the house's name
  EXPECT_EQ(light["command_topic"], "hearthview/maple/switch/" + lamp.segment + "/set");
  EXPECT_EQ(light["state_topic"], "hearthview/maple/switch/" + lamp.segment + "/state");
  EXPECT_EQ(light["brightness_scale"], 100);
  EXPECT_EQ(light["brightness_state_topic"],
            "hearthview/maple/switch/" + lamp.segment + "/brightness");
  EXPECT_EQ(cmps["hv_" + fan.key]["p"], "switch");

  EXPECT_EQ(cmps["hv_" + motion.key]["p"], "binary_sensor");
  EXPECT_EQ(cmps["hv_" + motion.key]["device_class"], "motion");
  EXPECT_EQ(cmps["hv_" + motion.key]["off_delay"], 30);
  EXPECT_EQ(cmps["hv_" + door.key]["device_class"], "door");
  EXPECT_EQ(cmps["hv_" + temp.key]["p"], "sensor");
  EXPECT_EQ(cmps["hv_" + temp.key]["device_class"], "temperature");
  EXPECT_EQ(cmps["hv_" + temp.key]["unit_of_measurement"], "°C");

  EXPECT_EQ(cmps["hv_" + macro.key + "_start"]["p"], "button");
  EXPECT_EQ(cmps["hv_" + macro.key + "_start"]["payload_press"], "START");
  EXPECT_EQ(cmps["hv_" + macro.key + "_running"]["p"], "binary_sensor");
  EXPECT_EQ(cmps["hv_" + macro.key + "_event"]["p"], "event");
  EXPECT_EQ(cmps["hv_" + mode.key]["p"], "switch");
  EXPECT_EQ(cmps["hv_" + mode.key]["payload_on"], "ACTIVE");
  EXPECT_EQ(cmps["hv_" + camera.key]["p"], "image");
  EXPECT_EQ(cmps["hv_" + camera.key]["image_topic"],
            "hearthview/maple/camera/" + camera.segment + "/thumbnail");
  EXPECT_EQ(cmps["hv_" + house_.key + "_log"]["p"], "event");
  EXPECT_EQ(cmps["hv_" + house_.key + "_server_time"]["device_class"], "timestamp");
}

TEST_F(DiscoveryTest, RemovedItemsAreTakenAwayOnceAndNeverComeBack) {
  const BridgeItem kept = Item(ItemKind::kSwitch, "Kept", 2, 3);
  const BridgeItem gone = Item(ItemKind::kSwitch, "Gone", 2, 3);
  const Announcement first = AnnounceItems({kept, gone});
  const Announcement second = AnnounceItems({kept}, ParseDiscoveryRecord(first.record));
  const json cmps = Components(second);
  // The removed entity goes out once as its platform alone.
  EXPECT_EQ(cmps["hv_" + gone.key], json({{"p", "switch"}}));
  EXPECT_EQ(cmps["hv_" + kept.key]["p"], "switch");
  // The record no longer holds it, so the next announcement says nothing of it.
  const json third = Components(AnnounceItems({kept}, ParseDiscoveryRecord(second.record)));
  EXPECT_FALSE(third.contains("hv_" + gone.key));
}

TEST_F(DiscoveryTest, SwitchingToPerEntityConfigsEmptiesTheDeviceConfig) {
  const BridgeItem lamp = Item(ItemKind::kSwitch, "Lamp", 2, 3);
  const Announcement device = AnnounceItems({lamp});
  options_.per_entity = true;
  const Announcement entities = AnnounceItems({lamp}, ParseDiscoveryRecord(device.record));
  ASSERT_FALSE(entities.messages.empty());
  EXPECT_EQ(entities.messages[0].topic, device.messages[0].topic);
  EXPECT_EQ(entities.messages[0].payload, "");
  const std::string lamp_topic = "homeassistant/switch/hv_" + lamp.key + "/config";
  bool found = false;
  for (const DiscoveryMessage& message : entities.messages) {
    if (message.topic != lamp_topic) continue;
    found = true;
    const json config = json::parse(message.payload);
    EXPECT_EQ(config["device"]["identifiers"][0], "hearthview_" + house_.key);
    EXPECT_EQ(config["unique_id"], "hv_" + lamp.key);
  }
  EXPECT_TRUE(found);
  // And back: every per-entity topic is emptied (all but the first message, which emptied
  // the device config).
  options_.per_entity = false;
  const Announcement back = AnnounceItems({lamp}, ParseDiscoveryRecord(entities.record));
  size_t emptied = 0;
  for (const DiscoveryMessage& message : back.messages) emptied += message.payload.empty();
  EXPECT_EQ(emptied, entities.messages.size() - 1);
  EXPECT_FALSE(back.messages.back().payload.empty());
}

TEST(DiscoveryRecordTest, SavedRecordReadsBackAndBadLinesAreSkipped) {
  hv::test::cTempFolder folder("hvbridge");
  const std::string path = folder.File("record");
  EXPECT_TRUE(LoadDiscoveryRecord(path).empty());
  const DiscoveryRecord record = {{"homeassistant/device/x/config", "hv_1", "switch"},
                                  {"homeassistant/light/hv_2/config", "hv_2", "light"}};
  std::string text;
  for (const RecordedEntity& entity : record)
    AppendRecordLine(entity.topic, entity.id, entity.platform, &text);
  ASSERT_TRUE(SaveDiscoveryRecord(path, text).ok());
  EXPECT_EQ(LoadDiscoveryRecord(path), record);
  std::ofstream(path, std::ios::app) << "half\tline\n\t\t\nno tabs\n";
  EXPECT_EQ(LoadDiscoveryRecord(path), record);
  EXPECT_FALSE(SaveDiscoveryRecord(folder.File("missing/record"), text).ok());
}

}  // namespace
}  // namespace hv::bridge
