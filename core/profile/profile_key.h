// The registry key of a profile setting: "Software\" + company + "\" + application + "\" +
// section. `*`, `?` and `\` are left out of the application and section names; an empty
// application or section is left out with its separator; a null or empty company is the
// library's default company word. The path is limited to 1022 characters: appending stops at
// 1023, and a path that reached that length loses its last character.
#ifndef HV_CORE_PROFILE_PROFILE_KEY_H_
#define HV_CORE_PROFILE_PROFILE_KEY_H_

#include <string>

namespace hv {

// The library's company word when a caller gives none.
constexpr const char* kDefaultProfileCompany = "Orvane LLC";
constexpr size_t kMaxProfileKeyLength = 1022;

std::string ComposeProfileKey(const char* company, const char* application, const char* section);

}  // namespace hv

#endif  // HV_CORE_PROFILE_PROFILE_KEY_H_
