#include "sim/house_file.h"

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/status.h"

namespace hv::sim {
namespace {

using nlohmann::json;

// Errors travel by exception only inside this file; ParseHouseJson turns them into a status.
struct HouseFileError {
  std::string message;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw HouseFileError{where + ": " + what};
}

void CheckKeys(const json& object, const std::string& where,
               std::initializer_list<const char*> allowed) {
  if (!object.is_object()) Fail(where, "expected an object");
  for (auto it = object.begin(); it != object.end(); ++it) {
    bool known = false;
    for (const char* key : allowed) known = known || it.key() == key;
    if (!known) Fail(where, "unknown key \"" + it.key() + "\"");
  }
}

std::string Text(const json& object, const char* key, const std::string& where,
                 const std::string& fallback, bool required = false) {
  if (!object.contains(key)) {
    if (required) Fail(where, std::string("missing \"") + key + "\"");
    return fallback;
  }
  const json& value = object.at(key);
  if (!value.is_string()) Fail(where + "." + key, "expected a text");
  std::string text = value.get<std::string>();
  if (text.size() > kMaxHouseText) Fail(where + "." + key, "text is too long");
  if (text.find('\0') != std::string::npos) Fail(where + "." + key, "text holds a NUL byte");
  return text;
}

double Number(const json& object, const char* key, const std::string& where, double fallback,
              double low, double high) {
  if (!object.contains(key)) return fallback;
  const json& value = object.at(key);
  if (!value.is_number()) Fail(where + "." + key, "expected a number");
  double v = value.get<double>();
  if (!std::isfinite(v) || v < low || v > high) {
    std::ostringstream range;
    range << "must be from " << low << " to " << high;
    Fail(where + "." + key, range.str());
  }
  return v;
}

bool Flag(const json& object, const char* key, const std::string& where, bool fallback) {
  if (!object.contains(key)) return fallback;
  const json& value = object.at(key);
  if (!value.is_boolean()) Fail(where + "." + key, "expected true or false");
  return value.get<bool>();
}

// A word from a fixed list, or (when numbers_allowed) a code number.
uint32_t Choice(const json& object, const char* key, const std::string& where, uint32_t fallback,
                std::initializer_list<std::pair<const char*, uint32_t>> words,
                bool numbers_allowed = false) {
  if (!object.contains(key)) return fallback;
  const json& value = object.at(key);
  if (numbers_allowed && value.is_number_unsigned() && value.get<uint64_t>() <= 255) {
    return static_cast<uint32_t>(value.get<uint64_t>());
  }
  if (value.is_string()) {
    for (const auto& [word, code] : words) {
      if (value.get<std::string>() == word) return code;
    }
  }
  std::string list;
  for (const auto& [word, code] : words) list += (list.empty() ? "" : ", ") + std::string(word);
  Fail(where + "." + key,
       "expected one of " + list + (numbers_allowed ? " or a code from 0 to 255" : ""));
}

X10Address Address(const json& object, const std::string& where) {
  X10Address address;
  std::string text = Text(object, "address", where, "");
  if (!text.empty() && !ParseX10Address(text, &address)) {
    Fail(where + ".address", "expected an X10 address from A1 to P16");
  }
  return address;
}

int Minutes(const json& object, const char* key, const std::string& where, int fallback) {
  if (!object.contains(key)) return fallback;
  std::string text = Text(object, key, where, "");
  int hours = 0;
  int minutes = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d:%d%c", &hours, &minutes, &tail) != 2 || hours < 0 ||
      hours > 23 || minutes < 0 || minutes > 59) {
    Fail(where + "." + key, "expected a time of day as HH:MM");
  }
  return hours * 60 + minutes;
}

const json& List(const json& root, const char* key) {
  static const json kEmpty = json::array();
  if (!root.contains(key)) return kEmpty;
  const json& value = root.at(key);
  if (!value.is_array()) Fail(key, "expected a list");
  return value;
}

std::string ItemName(const json& item, const std::string& where, std::set<std::string>* seen) {
  std::string name = Text(item, "name", where, "", true);
  if (name.empty()) Fail(where + ".name", "an empty name would end the client's list");
  if (!seen->insert(name).second) Fail(where + ".name", "\"" + name + "\" is listed twice");
  return name;
}

// The objects of the list `key`, each checked against `keys` and named (a name may stand
// only once in a list); `read_rest` reads the other fields of one, given where it stands
// ("switches[2]") and its place in the list.
template <class Item, class ReadRest>
std::vector<Item> NamedItems(const json& root, const char* key,
                             std::initializer_list<const char*> keys, ReadRest read_rest) {
  std::vector<Item> items;
  std::set<std::string> seen;
  const json& list = List(root, key);
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string where = std::string(key) + "[" + std::to_string(i) + "]";
    CheckKeys(list[i], where, keys);
    Item item;
    item.name = ItemName(list[i], where, &seen);
    read_rest(list[i], where, i, item);
    items.push_back(std::move(item));
  }
  return items;
}

const std::initializer_list<std::pair<const char*, uint32_t>> kStatusWords = {
    {"off", kOff},
    {"on", kOn},
    {"dim", kDim},
    {"motion", kMotion},
    {"still", kMotionStopped},
    {"open", kDoorOpen},
    {"closed", kDoorClosed},
    {"temperature", kTemperature}};

HouseData Read(const json& root) {
  CheckKeys(root, "house",
            {"server", "users", "switches", "sensors", "macros", "modes", "video_sources"});
  HouseData house;

  if (root.contains("server")) {
    const json& server = root.at("server");
    CheckKeys(server, "server", {"control_file", "dawn", "dusk", "dark", "paused", "muted"});
    house.facts.control_file = Text(server, "control_file", "server", house.facts.control_file);
    house.facts.dawn_minutes = Minutes(server, "dawn", "server", house.facts.dawn_minutes);
    house.facts.dusk_minutes = Minutes(server, "dusk", "server", house.facts.dusk_minutes);
    house.facts.dark = Flag(server, "dark", "server", false);
    house.facts.paused = Flag(server, "paused", "server", false);
    house.facts.muted = Flag(server, "muted", "server", false);
  }

  house.users = NamedItems<UserAccount>(
      root, "users", {"name", "password"},
      [](const json& item, const std::string& where, size_t, UserAccount& user) {
        user.password = Text(item, "password", where, "");
      });
  if (house.users.empty()) Fail("users", "at least one user is needed to log in");

  house.switches = NamedItems<SwitchItem>(
      root, "switches", {"name", "description", "kind", "io_kind", "status", "value", "address"},
      [](const json& item, const std::string& where, size_t, SwitchItem& s) {
        s.description = Text(item, "description", where, "");
        s.kind = Choice(item, "kind", where, kX10Switch,
                        {{"x10", kX10Switch}, {"io", kIoSwitch}, {"paddle", kIoPaddleSwitch}});
        s.io_kind = static_cast<uint32_t>(Number(item, "io_kind", where, 0, 0, 255));
        s.status = Choice(item, "status", where, kOff, kStatusWords, true);
        s.value = Number(item, "value", where, s.status == kOn ? 100 : 0, 0, 100);
        s.address = Address(item, where);
      });

  house.sensors = NamedItems<SensorItem>(
      root, "sensors",
      {"name", "description", "kind", "io_kind", "status", "value", "role", "address"},
      [](const json& item, const std::string& where, size_t, SensorItem& s) {
        s.description = Text(item, "description", where, "");
        s.kind = Choice(item, "kind", where, kX10Sensor, {{"x10", kX10Sensor}, {"io", kIoSensor}});
        s.io_kind = static_cast<uint32_t>(Number(item, "io_kind", where, 0, 0, 255));
        s.status = Choice(item, "status", where, kOff, kStatusWords, true);
        s.value = Number(item, "value", where, 0, -1e6, 1e6);
        uint32_t role = Choice(item, "role", where, 0,
                               {{"other", 0}, {"motion", 1}, {"door", 2}, {"temperature", 3}});
        s.role = static_cast<SensorRole>(role);
        s.address = Address(item, where);
      });

  house.macros = NamedItems<MacroItem>(
      root, "macros",
      {"name", "description", "status", "startup", "trigger_when", "triggers", "actions",
       "stop_sensors", "run_seconds"},
      [](const json& item, const std::string& where, size_t, MacroItem& m) {
        m.description = Text(item, "description", where, "");
        m.status = Choice(item, "status", where, kMacroMonitoring,
                          {{"disabled", kMacroDisabled},
                           {"monitoring", kMacroMonitoring},
                           {"running", kMacroRunning}});
        m.startup = Flag(item, "startup", where, false);
        m.trigger_when = Choice(item, "trigger_when", where, 0, {{"any", 0}, {"all", 1}});
        m.trigger_count = static_cast<uint32_t>(Number(item, "triggers", where, 0, 0, 1000));
        m.action_count = static_cast<uint32_t>(Number(item, "actions", where, 0, 0, 1000));
        m.stop_sensor_count =
            static_cast<uint32_t>(Number(item, "stop_sensors", where, 0, 0, 1000));
        m.run_ms = static_cast<uint32_t>(Number(item, "run_seconds", where, 5, 0.01, 86400) * 1000);
      });

  house.modes =
      NamedItems<ModeItem>(root, "modes", {"name", "description", "active"},
                           [](const json& item, const std::string& where, size_t, ModeItem& m) {
                             m.description = Text(item, "description", where, "");
                             m.active = Flag(item, "active", where, false);
                           });

  std::set<uint32_t> numbers;
  house.video_sources = NamedItems<VideoSource>(
      root, "video_sources", {"name", "number"},
      [&numbers](const json& item, const std::string& where, size_t index, VideoSource& v) {
        v.number = static_cast<uint32_t>(Number(item, "number", where, index, 0, 1000));
        if (!numbers.insert(v.number).second) Fail(where + ".number", "number is used twice");
      });
  return house;
}

}  // namespace

int32_t ParseHouseJson(const std::string& text, HouseData* out, std::string* error) {
  try {
    json root = json::parse(text, nullptr, true, /*ignore_comments=*/true);
    *out = Read(root);
    return kOk;
  } catch (const HouseFileError& e) {
    *error = e.message;
  } catch (const json::exception& e) {
    *error = std::string("not valid JSON: ") + e.what();
  } catch (const std::exception& e) {
    *error = e.what();
  }
  return kUnexpectedType;
}

int32_t LoadHouseFile(const std::string& path, HouseData* out, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot open " + path;
    return kCannotOpenFile;
  }
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) {
    *error = "cannot read " + path;
    return kCannotOpenFile;
  }
  int32_t rc = ParseHouseJson(content.str(), out, error);
  if (rc != kOk) *error = path + ": " + *error;
  return rc;
}

HouseData DemoHouse() {
  HouseData house;
  std::string error;
  // The demo is compiled in and covered by a test, so it always parses.
  if (ParseHouseJson(DemoHouseJson(), &house, &error) != kOk)
    house.users.push_back({"demo", "demo"});
  return house;
}

}  // namespace hv::sim
