#include "sim/house_file.h"

#include <cmath>
#include <initializer_list>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/file/whole_file.h"
#include "core/status.h"
#include "sim/json_text.h"

namespace hv::sim {
namespace {

using nlohmann::json;

// The first problem found while reading a house. Readers go on after a problem with harmless
// defaults (so the code reads straight through), and only the first one is reported.
class Problems {
 public:
  void Fail(const std::string& where, const std::string& what) {
    if (status_.ok()) status_ = Status(Where::kSim, kUnexpectedType, where + ": " + what);
  }
  bool any() const { return !status_.ok(); }
  const Status& status() const { return status_; }

 private:
  Status status_;
};

// False (with the problem noted) when `object` is not an object or holds a key not allowed.
bool CheckKeys(Problems& p, const json& object, const std::string& where,
               std::initializer_list<const char*> allowed) {
  if (!object.is_object()) {
    p.Fail(where, "expected an object");
    return false;
  }
  for (auto it = object.begin(); it != object.end(); ++it) {
    bool known = false;
    for (const char* key : allowed) known = known || it.key() == key;
    if (!known) {
      p.Fail(where, "unknown key \"" + it.key() + "\"");
      return false;
    }
  }
  return true;
}

std::string Text(Problems& p, const json& object, const char* key, const std::string& where,
                 const std::string& fallback, bool required = false) {
  const auto found = object.find(key);
  if (found == object.end()) {
    if (required) p.Fail(where, std::string("missing \"") + key + "\"");
    return fallback;
  }
  const std::string* text = found->get_ptr<const std::string*>();
  if (text == nullptr) {
    p.Fail(where + "." + key, "expected a text");
    return fallback;
  }
  if (text->size() > kMaxHouseText) p.Fail(where + "." + key, "text is too long");
  if (text->find('\0') != std::string::npos) p.Fail(where + "." + key, "text holds a NUL byte");
  return *text;
}

double Number(Problems& p, const json& object, const char* key, const std::string& where,
              double fallback, double low, double high) {
  const auto found = object.find(key);
  if (found == object.end()) return fallback;
  if (!found->is_number()) {
    p.Fail(where + "." + key, "expected a number");
    return fallback;
  }
  const double v = found->get<double>();
  if (!std::isfinite(v) || v < low || v > high) {
    std::ostringstream range;
    range << "must be from " << low << " to " << high;
    p.Fail(where + "." + key, range.str());
    return fallback;
  }
  return v;
}

bool Flag(Problems& p, const json& object, const char* key, const std::string& where,
          bool fallback) {
  const auto found = object.find(key);
  if (found == object.end()) return fallback;
  if (!found->is_boolean()) {
    p.Fail(where + "." + key, "expected true or false");
    return fallback;
  }
  return found->get<bool>();
}

// A word from a fixed list, or (when numbers_allowed) a code number.
uint32_t Choice(Problems& p, const json& object, const char* key, const std::string& where,
                uint32_t fallback, std::initializer_list<std::pair<const char*, uint32_t>> words,
                bool numbers_allowed = false) {
  const auto found = object.find(key);
  if (found == object.end()) return fallback;
  const json& value = *found;
  if (numbers_allowed && value.is_number_unsigned() && value.get<uint64_t>() <= 255) {
    return static_cast<uint32_t>(value.get<uint64_t>());
  }
  if (const std::string* text = value.get_ptr<const std::string*>()) {
    for (const auto& [word, code] : words) {
      if (*text == word) return code;
    }
  }
  std::string list;
  for (const auto& [word, code] : words) list += (list.empty() ? "" : ", ") + std::string(word);
  p.Fail(where + "." + key,
         "expected one of " + list + (numbers_allowed ? " or a code from 0 to 255" : ""));
  return fallback;
}

X10Address Address(Problems& p, const json& object, const std::string& where) {
  X10Address address;
  const std::string text = Text(p, object, "address", where, "");
  if (!text.empty() && !ParseX10Address(text, &address)) {
    p.Fail(where + ".address", "expected an X10 address from A1 to P16");
  }
  return address;
}

int Minutes(Problems& p, const json& object, const char* key, const std::string& where,
            int fallback) {
  if (!object.contains(key)) return fallback;
  const std::string text = Text(p, object, key, where, "");
  int hours = 0;
  int minutes = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d:%d%c", &hours, &minutes, &tail) != 2 || hours < 0 ||
      hours > 23 || minutes < 0 || minutes > 59) {
    p.Fail(where + "." + key, "expected a time of day as HH:MM");
    return fallback;
  }
  return hours * 60 + minutes;
}

const json& List(Problems& p, const json& root, const char* key) {
  static const json kEmpty = json::array();
  const auto found = root.find(key);
  if (found == root.end()) return kEmpty;
  if (!found->is_array()) {
    p.Fail(key, "expected a list");
    return kEmpty;
  }
  return *found;
}

std::string ItemName(Problems& p, const json& item, const std::string& where,
                     std::set<std::string>* seen) {
  std::string name = Text(p, item, "name", where, "", true);
  if (name.empty()) {
    p.Fail(where + ".name", "an empty name would end the client's list");
  } else if (!seen->insert(name).second) {
    p.Fail(where + ".name", "\"" + name + "\" is listed twice");
  }
  return name;
}

// The objects of the list `key`, each checked against `keys` and named (a name may stand
// only once in a list); `read_rest` reads the other fields of one, given where it stands
// ("switches[2]") and its place in the list. Reading stops at the first problem.
template <class Item, class ReadRest>
std::vector<Item> NamedItems(Problems& p, const json& root, const char* key,
                             std::initializer_list<const char*> keys, ReadRest read_rest) {
  std::vector<Item> items;
  std::set<std::string> seen;
  const json& list = List(p, root, key);
  for (size_t i = 0; i < list.size() && !p.any(); ++i) {
    const std::string where = std::string(key) + "[" + std::to_string(i) + "]";
    if (!CheckKeys(p, list[i], where, keys)) break;
    Item item;
    item.name = ItemName(p, list[i], where, &seen);
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

HouseData Read(Problems& p, const json& root) {
  HouseData house;
  if (!CheckKeys(p, root, "house",
                 {"server", "users", "switches", "sensors", "macros", "modes", "video_sources"})) {
    return house;
  }

  if (root.contains("server")) {
    const json& server = root.at("server");
    if (!CheckKeys(p, server, "server",
                   {"control_file", "dawn", "dusk", "dark", "paused", "muted"})) {
      return house;
    }
    house.facts.control_file = Text(p, server, "control_file", "server", house.facts.control_file);
    house.facts.dawn_minutes = Minutes(p, server, "dawn", "server", house.facts.dawn_minutes);
    house.facts.dusk_minutes = Minutes(p, server, "dusk", "server", house.facts.dusk_minutes);
    house.facts.dark = Flag(p, server, "dark", "server", false);
    house.facts.paused = Flag(p, server, "paused", "server", false);
    house.facts.muted = Flag(p, server, "muted", "server", false);
  }

  house.users = NamedItems<UserAccount>(
      p, root, "users", {"name", "password"},
      [&p](const json& item, const std::string& where, size_t, UserAccount& user) {
        user.password = Text(p, item, "password", where, "");
      });
  if (house.users.empty()) p.Fail("users", "at least one user is needed to log in");

  house.switches = NamedItems<SwitchItem>(
      p, root, "switches", {"name", "description", "kind", "io_kind", "status", "value", "address"},
      [&p](const json& item, const std::string& where, size_t, SwitchItem& s) {
        s.description = Text(p, item, "description", where, "");
        s.kind = Choice(p, item, "kind", where, kX10Switch,
                        {{"x10", kX10Switch}, {"io", kIoSwitch}, {"paddle", kIoPaddleSwitch}});
        s.io_kind = static_cast<uint32_t>(Number(p, item, "io_kind", where, 0, 0, 255));
        s.status = Choice(p, item, "status", where, kOff, kStatusWords, true);
        s.value = Number(p, item, "value", where, s.status == kOn ? 100 : 0, 0, 100);
        s.address = Address(p, item, where);
      });

  house.sensors = NamedItems<SensorItem>(
      p, root, "sensors",
      {"name", "description", "kind", "io_kind", "status", "value", "role", "address"},
      [&p](const json& item, const std::string& where, size_t, SensorItem& s) {
        s.description = Text(p, item, "description", where, "");
        s.kind =
            Choice(p, item, "kind", where, kX10Sensor, {{"x10", kX10Sensor}, {"io", kIoSensor}});
        s.io_kind = static_cast<uint32_t>(Number(p, item, "io_kind", where, 0, 0, 255));
        s.status = Choice(p, item, "status", where, kOff, kStatusWords, true);
        s.value = Number(p, item, "value", where, 0, -1e6, 1e6);
        uint32_t role = Choice(p, item, "role", where, 0,
                               {{"other", 0}, {"motion", 1}, {"door", 2}, {"temperature", 3}});
        s.role = static_cast<SensorRole>(role);
        s.address = Address(p, item, where);
      });

  house.macros = NamedItems<MacroItem>(
      p, root, "macros",
      {"name", "description", "status", "startup", "trigger_when", "triggers", "actions",
       "stop_sensors", "run_seconds"},
      [&p](const json& item, const std::string& where, size_t, MacroItem& m) {
        m.description = Text(p, item, "description", where, "");
        m.status = Choice(p, item, "status", where, kMacroMonitoring,
                          {{"disabled", kMacroDisabled},
                           {"monitoring", kMacroMonitoring},
                           {"running", kMacroRunning}});
        m.startup = Flag(p, item, "startup", where, false);
        m.trigger_when = Choice(p, item, "trigger_when", where, 0, {{"any", 0}, {"all", 1}});
        m.trigger_count = static_cast<uint32_t>(Number(p, item, "triggers", where, 0, 0, 1000));
        m.action_count = static_cast<uint32_t>(Number(p, item, "actions", where, 0, 0, 1000));
        m.stop_sensor_count =
            static_cast<uint32_t>(Number(p, item, "stop_sensors", where, 0, 0, 1000));
        m.run_ms =
            static_cast<uint32_t>(Number(p, item, "run_seconds", where, 5, 0.01, 86400) * 1000);
      });

  house.modes =
      NamedItems<ModeItem>(p, root, "modes", {"name", "description", "active"},
                           [&p](const json& item, const std::string& where, size_t, ModeItem& m) {
                             m.description = Text(p, item, "description", where, "");
                             m.active = Flag(p, item, "active", where, false);
                           });

  std::set<uint32_t> numbers;
  house.video_sources = NamedItems<VideoSource>(
      p, root, "video_sources", {"name", "number"},
      [&p, &numbers](const json& item, const std::string& where, size_t index, VideoSource& v) {
        v.number = static_cast<uint32_t>(Number(p, item, "number", where, index, 0, 1000));
        if (!numbers.insert(v.number).second) p.Fail(where + ".number", "number is used twice");
      });
  return house;
}

}  // namespace

Status ParseHouseJson(const std::string& text, HouseData* out) {
  json root;
  Status parsed = ParseJsonText(text, &root);
  if (!parsed.ok()) return parsed;
  Problems problems;
  HouseData house = Read(problems, root);
  if (problems.any()) return problems.status();
  *out = std::move(house);
  return Status::Ok();
}

Status LoadHouseFile(const std::string& path, HouseData* out) {
  std::string content;
  Status read = ReadWholeFile(path, kMaxHouseFileBytes, &content);
  if (!read.ok()) return read;  // its message names the file already
  Status parsed = ParseHouseJson(content, out);
  if (parsed.ok()) return parsed;
  return Status(parsed.where(), parsed.code(), path + ": " + parsed.message());
}

HouseData DemoHouse() {
  HouseData house;
  // The demo is compiled in and covered by a test, so it always parses.
  if (!ParseHouseJson(DemoHouseJson(), &house).ok()) house.users.push_back({"demo", "demo"});
  return house;
}

}  // namespace hv::sim
