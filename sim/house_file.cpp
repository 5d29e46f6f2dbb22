#include "sim/house_file.h"

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <set>
#include <sstream>

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

  std::set<std::string> seen;
  const json& users = List(root, "users");
  for (size_t i = 0; i < users.size(); ++i) {
    std::string where = "users[" + std::to_string(i) + "]";
    CheckKeys(users[i], where, {"name", "password"});
    UserAccount user;
    user.name = ItemName(users[i], where, &seen);
    user.password = Text(users[i], "password", where, "");
    house.users.push_back(user);
  }
  if (house.users.empty()) Fail("users", "at least one user is needed to log in");

  seen.clear();
  const json& switches = List(root, "switches");
  for (size_t i = 0; i < switches.size(); ++i) {
    std::string where = "switches[" + std::to_string(i) + "]";
    const json& item = switches[i];
    CheckKeys(item, where,
              {"name", "description", "kind", "io_kind", "status", "value", "address"});
    SwitchItem s;
    s.name = ItemName(item, where, &seen);
    s.description = Text(item, "description", where, "");
    s.kind = Choice(item, "kind", where, kX10Switch,
                    {{"x10", kX10Switch}, {"io", kIoSwitch}, {"paddle", kIoPaddleSwitch}});
    s.io_kind = static_cast<uint32_t>(Number(item, "io_kind", where, 0, 0, 255));
    s.status = Choice(item, "status", where, kOff, kStatusWords, true);
    s.value = Number(item, "value", where, s.status == kOn ? 100 : 0, 0, 100);
    s.address = Address(item, where);
    house.switches.push_back(s);
  }

  seen.clear();
  const json& sensors = List(root, "sensors");
  for (size_t i = 0; i < sensors.size(); ++i) {
    std::string where = "sensors[" + std::to_string(i) + "]";
    const json& item = sensors[i];
    CheckKeys(item, where,
              {"name", "description", "kind", "io_kind", "status", "value", "role", "address"});
    SensorItem s;
    s.name = ItemName(item, where, &seen);
    s.description = Text(item, "description", where, "");
    s.kind = Choice(item, "kind", where, kX10Sensor, {{"x10", kX10Sensor}, {"io", kIoSensor}});
    s.io_kind = static_cast<uint32_t>(Number(item, "io_kind", where, 0, 0, 255));
    s.status = Choice(item, "status", where, kOff, kStatusWords, true);
    s.value = Number(item, "value", where, 0, -1e6, 1e6);
    uint32_t role = Choice(item, "role", where, 0,
                           {{"other", 0}, {"motion", 1}, {"door", 2}, {"temperature", 3}});
    s.role = static_cast<SensorRole>(role);
    s.address = Address(item, where);
    house.sensors.push_back(s);
  }

  seen.clear();
  const json& macros = List(root, "macros");
  for (size_t i = 0; i < macros.size(); ++i) {
    std::string where = "macros[" + std::to_string(i) + "]";
    const json& item = macros[i];
    CheckKeys(item, where,
              {"name", "description", "status", "startup", "trigger_when", "triggers", "actions",
               "stop_sensors", "run_seconds"});
    MacroItem m;
    m.name = ItemName(item, where, &seen);
    m.description = Text(item, "description", where, "");
    m.status = Choice(item, "status", where, kMacroMonitoring,
                      {{"disabled", kMacroDisabled},
                       {"monitoring", kMacroMonitoring},
                       {"running", kMacroRunning}});
    m.startup = Flag(item, "startup", where, false);
    m.trigger_when = Choice(item, "trigger_when", where, 0, {{"any", 0}, {"all", 1}});
    m.trigger_count = static_cast<uint32_t>(Number(item, "triggers", where, 0, 0, 1000));
    m.action_count = static_cast<uint32_t>(Number(item, "actions", where, 0, 0, 1000));
    m.stop_sensor_count = static_cast<uint32_t>(Number(item, "stop_sensors", where, 0, 0, 1000));
    m.run_ms = static_cast<uint32_t>(Number(item, "run_seconds", where, 5, 0.01, 86400) * 1000);
    house.macros.push_back(m);
  }

  seen.clear();
  const json& modes = List(root, "modes");
  for (size_t i = 0; i < modes.size(); ++i) {
    std::string where = "modes[" + std::to_string(i) + "]";
    CheckKeys(modes[i], where, {"name", "description", "active"});
    ModeItem m;
    m.name = ItemName(modes[i], where, &seen);
    m.description = Text(modes[i], "description", where, "");
    m.active = Flag(modes[i], "active", where, false);
    house.modes.push_back(m);
  }

  seen.clear();
  std::set<uint32_t> numbers;
  const json& sources = List(root, "video_sources");
  for (size_t i = 0; i < sources.size(); ++i) {
    std::string where = "video_sources[" + std::to_string(i) + "]";
    CheckKeys(sources[i], where, {"name", "number"});
    VideoSource v;
    v.name = ItemName(sources[i], where, &seen);
    v.number = static_cast<uint32_t>(Number(sources[i], "number", where, i, 0, 1000));
    if (!numbers.insert(v.number).second) Fail(where + ".number", "number is used twice");
    house.video_sources.push_back(v);
  }
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
