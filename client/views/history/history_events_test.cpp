#include "client/views/history/history_events.h"

#include <gtest/gtest.h>

namespace hv::history {
namespace {

StoredEvent Event(int64_t at, ItemKind kind, const char* name, int32_t code) {
  StoredEvent event;
  event.at_ms = at;
  event.kind = kind;
  event.name = name;
  event.code = code;
  if (kind == ItemKind::kLogName) event.message = "Sensor changed";
  return event;
}

TEST(HistoryEventsTest, AStatusAndTheEntryThatTellsOfItAreOneRow) {
  std::vector<StoredEvent> events = {
      Event(10'000, ItemKind::kSensor, "Hall", 17),  // its entry came first
      Event(9'990, ItemKind::kLogName, "Hall", 17),
      Event(9'000, ItemKind::kLogName, "Door", 20),  // its status came first
      Event(8'990, ItemKind::kSensor, "Door", 20),
      Event(8'000, ItemKind::kSwitch, "Lamp", 2),   // no entry: stays
      Event(7'000, ItemKind::kLogName, "Lamp", 3),  // another state: both stay
      Event(6'990, ItemKind::kSwitch, "Lamp", 2),
      Event(1'000, ItemKind::kSensor, "Door", 21),  // too far apart: both stay
      Event(-5'000, ItemKind::kLogName, "Door", 21)};
  MergeStatusEchoes(&events);
  std::vector<std::pair<ItemKind, std::string>> rows;
  for (const StoredEvent& event : events) rows.emplace_back(event.kind, event.message);
  const std::vector<std::pair<ItemKind, std::string>> expected = {
      {ItemKind::kSensor, "Sensor changed"},
      {ItemKind::kSensor, "Sensor changed"},
      {ItemKind::kSwitch, ""},
      {ItemKind::kLogName, "Sensor changed"},
      {ItemKind::kSwitch, ""},
      {ItemKind::kSensor, ""},
      {ItemKind::kLogName, "Sensor changed"}};
  EXPECT_EQ(rows, expected);
}

}  // namespace
}  // namespace hv::history
