// What a hostile server names its items and what anyone on the broker publishes, through the
// bridge's names and its command parser. The input is a name, a NUL, the topic below the
// prefix, a NUL and the payload. Whatever the input, an item's topic level keeps to the safe
// characters and its length, its display text is UTF-8 without control characters, a topic
// built from a name parses back to that same item, and an accepted command keeps to its
// ranges.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/string/wire_text.h"
#include "fuzz/fuzz_target.h"
#include "tools/hvbridge/bridge_command.h"
#include "tools/hvbridge/bridge_item.h"
#include "tools/hvbridge/topic_layout.h"
#include "tools/hvbridge/topic_names.h"

namespace hv {

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz hvbridge_names: %s\n", what);
  std::abort();
}

bool OnlySafe(const std::string& level) {
  return !level.empty() &&
         level.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") == std::string::npos;
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t first = input.find('\0');
  const std::string_view name = input.substr(0, first);
  const std::string_view rest =
      first == std::string_view::npos ? std::string_view() : input.substr(first + 1);
  const size_t second = rest.find('\0');
  const std::string_view topic_rest = rest.substr(0, second);
  const std::string_view payload =
      second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);

  const std::string slug = hv::bridge::TopicSafe(name, 32);
  if (!OnlySafe(slug) || slug.size() > 32) Fail("slug with unsafe characters or too long");
  const std::string key =
      hv::bridge::ItemKey("127.0.0.1:4000", "house", hv::ItemKind::kSwitch, name);
  const std::string segment = hv::bridge::ItemSegment(name, key);
  if (!OnlySafe(segment) || segment.size() > 45) Fail("segment with unsafe characters or too long");
  const std::string display = hv::bridge::DisplayText(name, hv::bridge::kMaxDisplayBytes);
  if (!IsUtf8(display) || display.size() > hv::bridge::kMaxDisplayBytes) Fail("display text");
  for (const char c : display) {
    if (static_cast<unsigned char>(c) < 0x20) Fail("control character in display text");
  }

  hv::bridge::TopicLayout layout;
  const hv::bridge::ParsedCommand back = hv::bridge::ParseCommand(
      layout.prefix, layout.Item(hv::ItemKind::kSwitch, segment, "set"), "ON");
  if (!back.ok || back.command.segment != segment) Fail("an item's own topic does not parse back");

  const std::string topic = layout.prefix + "/" + std::string(topic_rest);
  const hv::bridge::ParsedCommand parsed = hv::bridge::ParseCommand(layout.prefix, topic, payload);
  if (!parsed.ok) {
    if (parsed.problem.empty()) Fail("refused without a reason");
    return 0;
  }
  const hv::bridge::BridgeCommand& c = parsed.command;
  if (c.level < 0 || c.level > 100) Fail("level out of range");
  using hv::bridge::CommandAction;
  const bool house_control = c.action == CommandAction::kPause ||
                             c.action == CommandAction::kMute || c.action == CommandAction::kNight;
  if (house_control) {
    if ((c.level != 0 && c.level != 1) || !c.segment.empty()) Fail("house control out of range");
  } else if (c.action == hv::bridge::CommandAction::kX10) {
    if (c.x10_house > 15 || (c.x10_unit > 15 && c.x10_unit != 255) || c.x10_dim > 100) {
      Fail("X10 code out of range");
    }
  } else if (c.segment.empty() || c.segment.find('/') != std::string::npos) {
    Fail("command without an item level");
  }
  return 0;
}
