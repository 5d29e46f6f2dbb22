#include "tools/hvbridge/log_entry_json.h"

#include <string_view>

#include "tools/hvbridge/bridge_item.h"
#include "tools/hvbridge/json_object_text.h"

namespace hv::bridge {

namespace {

std::string Shown(const swString& text, size_t max_bytes) {
  return DisplayText(std::string_view(text.CStr(), text.GetLength()), max_bytes);
}

}  // namespace

std::string LogEntryJson(const LogItemRecord& e) {
  // One goes out with nearly every change in the house, so it is written directly; keys in
  // alphabetical order, as a JSON document would print them.
  return cJsonObjectText()
      .Text("date", Shown(e.date_text, 40))
      .Integer("entry_type", e.entry_type)
      .Text("event_type", "entry")
      .Integer("function", e.function_code)
      .Text("message", Shown(e.message, 4000))
      .Text("name", Shown(e.name, 1000))
      .Text("path", Shown(e.path, 1000))
      .Text("time", Shown(e.time_text, 40))
      .Real("value", e.value)
      .Take();
}

}  // namespace hv::bridge
