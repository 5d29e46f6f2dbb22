// The house file: a JSON document (comments allowed) that describes the house a simulator
// serves. sim/demo-house.json is the built-in demo house and documents every field.
// Reading checks everything: unknown keys, wrong kinds, duplicate or empty names and values
// out of range are errors that name the offending field, so a typo never goes unnoticed.
#ifndef HV_SIM_HOUSE_FILE_H_
#define HV_SIM_HOUSE_FILE_H_

#include <cstdint>
#include <string>

#include "core/status.h"
#include "sim/house_data.h"

namespace hv::sim {

// The longest name or text a house file may hold; it keeps every answer within one block.
constexpr size_t kMaxHouseText = 1000;

// The largest house file read; a real house is a few kilobytes.
constexpr size_t kMaxHouseFileBytes = 16u << 20;

// Ok and *out filled; or kUnexpectedType (Where::kSim) with a message that says what is wrong
// and where, as "switches[2].value: must be from 0 to 100" (*out is then left alone).
Status ParseHouseJson(const std::string& text, HouseData* out);
// As ParseHouseJson on the file's content, with the path in front of the message. A file that
// cannot be read whole (a folder, a FIFO, no permission, no such file, changed while read)
// fails as ReadWholeFile reports it (Where::kFile), its message naming the file.
Status LoadHouseFile(const std::string& path, HouseData* out);

// The built-in demo house (the content of sim/demo-house.json, compiled in).
const char* DemoHouseJson();
HouseData DemoHouse();

}  // namespace hv::sim

#endif  // HV_SIM_HOUSE_FILE_H_
