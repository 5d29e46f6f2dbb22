// The house a simulator serves, as a house file (or the built-in demo) describes it: the
// accounts, items and server facts. Plain values; House adds the live behaviour.
#ifndef HV_SIM_HOUSE_DATA_H_
#define HV_SIM_HOUSE_DATA_H_

#include <cstdint>
#include <string>
#include <vector>

namespace hv::sim {

// X10 function and sensor codes, as the wire carries them in statuses and log entries.
enum X10Code : uint32_t {
  kAllUnitsOff = 0,
  kAllLightsOn = 1,
  kOn = 2,
  kOff = 3,
  kDim = 4,
  kBright = 5,
  kAllLightsOff = 6,
  kPresetDim = 10,
  kToggle = 16,
  kTemperature = 17,
  kDoorOpen = 20,
  kDoorClosed = 21,
  kMotion = 36,
  kMotionStopped = 37,
  kNoFunction = 254,
};

enum MacroState : uint32_t { kMacroDisabled = 1, kMacroMonitoring = 2, kMacroRunning = 3 };

// Activity entry types.
enum EntryType : uint32_t {
  kEntryInfo = 1,
  kEntryWarning = 2,
  kEntryError = 3,
  kEntrySensor = 4,
  kEntryX10Sensor = 5,
  kEntrySwitch = 6,
  kEntryMacro = 7,
  kEntryVideo = 10,
  kEntryTemperature = 11,
  kEntryUser = 12,
  kEntryUserMessage = 13,
  kEntrySetMode = 15,
};

enum SwitchKind : uint32_t { kX10Switch = 1, kIoSwitch = 2, kIoPaddleSwitch = 3 };
enum SensorKind : uint32_t { kX10Sensor = 1, kIoSensor = 2 };
static_assert(uint32_t{kX10Switch} == uint32_t{kX10Sensor},
              "a device item starts out as an X10 one");

// What the animation does with a sensor.
enum class SensorRole { kOther, kMotion, kDoor, kTemperature };

// An X10 address: house code 0..15 (letter A..P), unit 0..15 (1..16). -1 when the item has none.
struct X10Address {
  int house = -1;
  int unit = -1;
  bool IsSet() const { return house >= 0 && unit >= 0; }
};

// What switches and sensors share: the wire carries both in the same form.
struct DeviceItem {
  std::string name;
  std::string description;
  uint32_t kind = kX10Switch;  // a SwitchKind or a SensorKind
  uint32_t io_kind = 0;
  uint32_t status = kOff;
  double value = 0;
  X10Address address;
};

struct SwitchItem : DeviceItem {};

struct SensorItem : DeviceItem {
  SensorRole role = SensorRole::kOther;
};

struct MacroItem {
  std::string name;
  std::string description;
  uint32_t status = kMacroMonitoring;
  bool startup = false;
  uint32_t trigger_when = 0;  // 0 any active, 1 all active
  uint32_t trigger_count = 0;
  uint32_t action_count = 0;
  uint32_t stop_sensor_count = 0;
  uint32_t run_ms = 5000;       // how long one run lasts
  uint64_t run_ends_at_ms = 0;  // while running: when the run ends
};

struct ModeItem {
  std::string name;
  std::string description;
  bool active = false;
};

struct VideoSource {
  std::string name;
  uint32_t number = 0;
};

struct UserAccount {
  std::string name;
  std::string password;
};

struct ServerFacts {
  std::string control_file = "C:\\Varnholt\\Data\\House.vhc";
  int dawn_minutes = 6 * 60 + 45;  // minutes after local midnight
  int dusk_minutes = 19 * 60 + 30;
  bool dark = false;
  bool paused = false;
  bool muted = false;
};

struct HouseData {
  std::vector<UserAccount> users;
  std::vector<SwitchItem> switches;
  std::vector<SensorItem> sensors;
  std::vector<MacroItem> macros;
  std::vector<ModeItem> modes;
  std::vector<VideoSource> video_sources;
  ServerFacts facts;
};

// "A1".."P16" -> address; false for anything else.
bool ParseX10Address(const std::string& text, X10Address* out);
std::string FormatX10Address(const X10Address& address);

}  // namespace hv::sim

#endif  // HV_SIM_HOUSE_DATA_H_
