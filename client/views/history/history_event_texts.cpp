#include "client/views/history/history_event_texts.h"

#include "client/history/history_csv.h"
#include "client/protocol/x10_function_name.h"
#include "client/views/devices/macro_status_name.h"
#include "client/views/history/history_range.h"

namespace hv::history {

const char* const kEventColumns[kEventColumnCount] = {"Time",  "Kind",  "Name",
                                                      "State", "Value", "Message"};

std::string StateName(ItemKind kind, int32_t code) {
  switch (kind) {
    case ItemKind::kMacro: return MacroStatusName(code);
    case ItemKind::kMode: return code == 1 ? "Active" : "Inactive";
    case ItemKind::kSwitch:
    case ItemKind::kSensor:
    case ItemKind::kLogName: return X10FunctionName(code, 0);
    case ItemKind::kCamera: break;  // the history keeps no camera states
  }
  return std::string();
}

ItemKinds KindsByName(const std::vector<StoredItem>& items) {
  ItemKinds kinds;
  for (const StoredItem& item : items) {
    if (item.kind != ItemKind::kLogName) kinds.emplace(item.name, item.kind);
  }
  return kinds;
}

std::string ValueText(double value) {
  // As the CSV writes it: to_chars never looks at the locale, unlike printf under a German
  // LC_NUMERIC.
  return ShortestNumber(value);
}

std::vector<std::string> EventTexts(const StoredEvent& event, const ItemKinds& kinds) {
  ItemKind kind = event.kind;
  if (kind == ItemKind::kLogName) {
    auto item = kinds.find(event.name);
    if (item != kinds.end()) kind = item->second;
  }
  // A switch reports its level only when dimmed, a macro or a mode none: a 0 there is no value.
  const bool valueless =
      kind == ItemKind::kMacro || kind == ItemKind::kMode ||
      ((kind == ItemKind::kSwitch || kind == ItemKind::kLogName) && event.value == 0.0);
  return {FormatLocalTime(event.at_ms),
          kind == ItemKind::kLogName ? "Log" : ItemKindName(kind),
          event.name,
          StateName(event.kind == ItemKind::kLogName ? ItemKind::kLogName : kind, event.code),
          valueless ? std::string() : ValueText(event.value),
          event.message};
}

}  // namespace hv::history
