#include "tools/hvbridge/bridge_command.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace hv::bridge {

namespace {

ParsedCommand Refuse(std::string problem) {
  ParsedCommand parsed;
  parsed.problem = std::move(problem);
  return parsed;
}

ParsedCommand Accept(BridgeCommand command) {
  ParsedCommand parsed;
  parsed.ok = true;
  parsed.command = std::move(command);
  return parsed;
}

std::string Upper(std::string_view text) {
  // Surrounding blanks are what shells and form fields add; they carry no meaning.
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// A whole number 0..100, nothing else.
bool ParseLevel(std::string_view text, int* level) {
  if (text.empty() || text.size() > 3) return false;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (value < 0 || value > 100) return false;
  *level = value;
  return true;
}

struct NamedFunction {
  const char* name;
  uint32_t code;
};
// The functions the Send X10 code dialog offers, by name and code.
constexpr std::array<NamedFunction, 9> kX10Functions = {{{"ON", 2},
                                                         {"OFF", 3},
                                                         {"TOGGLE", 16},
                                                         {"DIM", 4},
                                                         {"BRIGHT", 5},
                                                         {"ALL_UNITS_OFF", 0},
                                                         {"ALL_LIGHTS_OFF", 6},
                                                         {"ALL_LIGHTS_ON", 1},
                                                         {"PRESET_DIM", 10}}};

ParsedCommand ParseX10(std::string_view payload) {
  const nlohmann::json doc = nlohmann::json::parse(payload, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return Refuse("x10/send takes a JSON object");
  BridgeCommand command;
  command.action = CommandAction::kX10;

  const auto house = doc.find("house");
  if (house == doc.end() || !house->is_string()) return Refuse("x10/send: \"house\" A..P missing");
  const std::string letter = Upper(house->get<std::string>());
  if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'P') {
    return Refuse("x10/send: \"house\" must be a letter A..P");
  }
  command.x10_house = static_cast<uint32_t>(letter[0] - 'A');

  const auto unit = doc.find("unit");
  if (unit == doc.end()) return Refuse("x10/send: \"unit\" 1..16 or \"all\" missing");
  if (unit->is_string() && Upper(unit->get<std::string>()) == "ALL") {
    command.x10_unit = 255;
  } else if (unit->is_number_integer() && unit->get<int64_t>() >= 1 && unit->get<int64_t>() <= 16) {
    command.x10_unit = static_cast<uint32_t>(unit->get<int64_t>() - 1);
  } else {
    return Refuse("x10/send: \"unit\" must be 1..16 or \"all\"");
  }

  const auto function = doc.find("function");
  if (function == doc.end()) return Refuse("x10/send: \"function\" missing");
  const NamedFunction* found = nullptr;
  for (const NamedFunction& named : kX10Functions) {
    if (function->is_string() && Upper(function->get<std::string>()) == named.name) found = &named;
    if (function->is_number_integer() && function->get<int64_t>() == named.code) found = &named;
  }
  if (found == nullptr) {
    return Refuse(
        "x10/send: \"function\" must be on, off, toggle, dim, bright, all_units_off, "
        "all_lights_off, all_lights_on or preset_dim");
  }
  command.x10_function = found->code;

  const auto dim = doc.find("dim");
  if (dim != doc.end()) {
    if (!dim->is_number_integer() || dim->get<int64_t>() < 0 || dim->get<int64_t>() > 100) {
      return Refuse("x10/send: \"dim\" must be a whole number 0..100");
    }
    command.x10_dim = static_cast<uint32_t>(dim->get<int64_t>());
  }
  return Accept(command);
}

ParsedCommand ParseItemCommand(ItemKind kind, std::string segment, std::string_view payload) {
  BridgeCommand command;
  command.kind = kind;
  command.segment = std::move(segment);
  const std::string word = Upper(payload);
  switch (kind) {
    case ItemKind::kSwitch:
      if (word == "ON") {
        command.action = CommandAction::kOn;
      } else if (word == "OFF") {
        command.action = CommandAction::kOff;
      } else if (word == "TOGGLE") {
        command.action = CommandAction::kToggle;
      } else if (ParseLevel(word, &command.level)) {
        command.action = CommandAction::kBrightness;
      } else {
        return Refuse("a switch takes ON, OFF, TOGGLE or a brightness 0..100");
      }
      return Accept(command);
    case ItemKind::kSensor:
      if (word != "ON" && word != "OFF") return Refuse("a sensor takes ON or OFF");
      command.action = word == "ON" ? CommandAction::kOn : CommandAction::kOff;
      return Accept(command);
    case ItemKind::kMacro:
      if (word != "START" && word != "STOP") return Refuse("a macro takes START or STOP");
      command.action = word == "START" ? CommandAction::kStart : CommandAction::kStop;
      return Accept(command);
    case ItemKind::kMode:
      // ON and OFF too, so a plain switch card can drive a mode.
      if (word == "ACTIVE" || word == "ON") {
        command.action = CommandAction::kActivate;
      } else if (word == "INACTIVE" || word == "OFF") {
        command.action = CommandAction::kDeactivate;
      } else {
        return Refuse("a mode takes ACTIVE or INACTIVE");
      }
      return Accept(command);
    case ItemKind::kCamera: break;
    case ItemKind::kLogName: return Refuse("not an item of the bridge");
  }
  return Refuse("cameras take commands on snap only");
}

}  // namespace

bool IsBelow(std::string_view prefix, std::string_view topic) {
  return topic.size() > prefix.size() + 1 && topic.substr(0, prefix.size()) == prefix &&
         topic[prefix.size()] == '/';
}

ParsedCommand ParseCommand(std::string_view prefix, std::string_view topic,
                           std::string_view payload) {
  if (!IsBelow(prefix, topic)) return Refuse("not below the bridge's prefix");
  const std::string_view rest = topic.substr(prefix.size() + 1);
  if (payload.size() > 4096) return Refuse("payload longer than 4096 bytes");
  if (rest == "x10/send") return ParseX10(payload);
  constexpr std::pair<std::string_view, CommandAction> kHouseControls[] = {
      {"server/pause/set", CommandAction::kPause},
      {"server/mute/set", CommandAction::kMute},
      {"server/night/set", CommandAction::kNight}};
  for (const auto& [control, action] : kHouseControls) {
    if (rest != control) continue;
    const std::string word = Upper(payload);
    if (word != "ON" && word != "OFF") return Refuse("the house's controls take ON or OFF");
    BridgeCommand command;
    command.action = action;
    command.level = word == "ON" ? 1 : 0;
    return Accept(command);
  }

  // <kind>/<item>/<verb>, each level non-empty.
  const size_t first = rest.find('/');
  const size_t second = first == std::string_view::npos ? first : rest.find('/', first + 1);
  if (second == std::string_view::npos || rest.find('/', second + 1) != std::string_view::npos) {
    return Refuse("not a command topic");
  }
  const std::string_view kind_name = rest.substr(0, first);
  const std::string_view segment = rest.substr(first + 1, second - first - 1);
  const std::string_view verb = rest.substr(second + 1);
  if (segment.empty()) return Refuse("no item in the topic");

  for (const ItemKind kind : {ItemKind::kSwitch, ItemKind::kSensor, ItemKind::kMacro,
                              ItemKind::kMode, ItemKind::kCamera}) {
    if (kind_name != KindName(kind)) continue;
    if (kind == ItemKind::kCamera) {
      if (verb != "snap") return Refuse("cameras take commands on snap only");
      BridgeCommand command;
      command.action = CommandAction::kSnap;
      command.kind = kind;
      command.segment = std::string(segment);
      return Accept(command);
    }
    if (verb != "set") return Refuse("not a command topic");
    return ParseItemCommand(kind, std::string(segment), payload);
  }
  return Refuse("not a command topic");
}

}  // namespace hv::bridge
