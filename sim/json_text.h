// ParseJsonText: a JSON document (comments allowed) from text, without exceptions. A mistake
// is reported in our own words with the line and column where it stands and what was
// expected there, rather than in the JSON library's internal wording.
#ifndef HV_SIM_JSON_TEXT_H_
#define HV_SIM_JSON_TEXT_H_

#include <string>

#include <nlohmann/json.hpp>

#include "core/status.h"

namespace hv::sim {

// Ok with *root filled, or kUnexpectedType (Where::kSim) with a message such as
// "not valid JSON at line 3, column 7: found '}' where a name in double quotes was expected".
Status ParseJsonText(const std::string& text, nlohmann::json* root);

}  // namespace hv::sim

#endif  // HV_SIM_JSON_TEXT_H_
