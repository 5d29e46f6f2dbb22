// housesim's house file as anyone may write it: the input is the whole file. A file that is
// refused says why and leaves the house it was to replace alone; a file that is taken keeps
// every text within what one answer block holds, and the house it describes can be served:
// each item is found by its name and answers a change, and the clock can run its macros out.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_target.h"
#include "sim/house.h"
#include "sim/house_data.h"
#include "sim/house_file.h"
#include "sim/sim_clock.h"

namespace hv {

namespace {

using hv::sim::HouseData;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz house_file: %s\n", what);
  std::abort();
}

void CheckText(const std::string& text, bool may_be_empty) {
  if (text.size() > hv::sim::kMaxHouseText) Fail("a text longer than the limit");
  if (text.find('\0') != std::string::npos) Fail("a text holds a NUL byte");
  if (!may_be_empty && text.empty()) Fail("an empty name");
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  HouseData house;
  house.users.push_back({"untouched", "untouched"});
  const hv::Status parsed = hv::sim::ParseHouseJson(text, &house);
  if (!parsed.ok()) {
    if (parsed.message().empty()) Fail("a refused file gave no reason");
    if (house.users.size() != 1 || house.users[0].name != "untouched" || !house.switches.empty()) {
      Fail("a refused file changed the house");
    }
    return 0;
  }
  for (const auto& user : house.users) CheckText(user.name, false);
  for (const auto& item : house.switches)
    CheckText(item.name, false), CheckText(item.description, true);
  for (const auto& item : house.sensors)
    CheckText(item.name, false), CheckText(item.description, true);
  for (const auto& item : house.macros)
    CheckText(item.name, false), CheckText(item.description, true);
  for (const auto& item : house.modes)
    CheckText(item.name, false), CheckText(item.description, true);
  for (const auto& item : house.video_sources) CheckText(item.name, false);
  CheckText(house.facts.control_file, true);

  hv::sim::FakeSimClock clock;
  hv::sim::House served(house, clock, 16);
  for (const auto& item : house.switches) {
    if (served.FindSwitch(item.name) == nullptr) Fail("a switch is not found by its name");
    if (!served.SetSwitchStatus(item.name, 16, 0, "fuzz").ok())
      Fail("a found switch is not changed");
  }
  for (const auto& item : house.sensors) {
    if (served.FindSensor(item.name) == nullptr) Fail("a sensor is not found by its name");
    if (!served.SetSensorStatus(item.name, 2, 0, "fuzz").ok())
      Fail("a found sensor is not changed");
  }
  for (const auto& item : house.macros) {
    if (served.FindMacro(item.name) == nullptr) Fail("a macro is not found by its name");
    // A start is declined while macros are paused or the macro is disabled; it never fails.
    if (served.SetMacroStatus(item.name, 3, "fuzz").failed()) Fail("a found macro is not found");
  }
  for (const auto& item : house.modes) {
    if (served.FindMode(item.name) == nullptr) Fail("a mode is not found by its name");
    if (!served.SetModeStatus(item.name, true, "fuzz").ok()) Fail("a found mode is not changed");
  }
  for (const auto& item : house.video_sources) {
    if (served.FindVideoSource(item.name) == nullptr) Fail("a camera is not found by its name");
  }
  // Every macro run ends: a house whose runs never end would keep the server busy forever.
  for (int i = 0; i < 64 && served.NextDeadlineMs() != UINT64_MAX; ++i) {
    const uint64_t next = served.NextDeadlineMs();
    if (next > clock.NowMs()) clock.Advance(next - clock.NowMs());
    served.Tick();
  }
  return 0;
}
