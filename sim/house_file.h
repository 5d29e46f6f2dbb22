// The house file: a JSON document (comments allowed) that describes the house a simulator
// serves. sim/demo-house.json is the built-in demo house and documents every field.
// Reading checks everything: unknown keys, wrong kinds, duplicate or empty names and values
// out of range are errors that name the offending field, so a typo never goes unnoticed.
#ifndef HV_SIM_HOUSE_FILE_H_
#define HV_SIM_HOUSE_FILE_H_

#include <cstdint>
#include <string>

#include "sim/house_data.h"

namespace hv::sim {

// The longest name or text a house file may hold; it keeps every answer within one block.
constexpr size_t kMaxHouseText = 1000;

// 0 and *out filled; or a negative status with *error saying what is wrong and where
// (*out is then left alone).
int32_t ParseHouseJson(const std::string& text, HouseData* out, std::string* error);
// As ParseHouseJson on the file's content; kCannotOpenFile when it cannot be read.
int32_t LoadHouseFile(const std::string& path, HouseData* out, std::string* error);

// The built-in demo house (the content of sim/demo-house.json, compiled in).
const char* DemoHouseJson();
HouseData DemoHouse();

}  // namespace hv::sim

#endif  // HV_SIM_HOUSE_FILE_H_
