#include "core/profile/profile_key.h"

namespace hv {

namespace {

// Appends while the path is below the limit; `filtered` leaves out the characters that a
// name cannot carry into a key path.
void AppendLimited(std::string* path, const char* text, bool filtered) {
  for (const char* c = text; *c != '\0'; ++c) {
    if (path->size() >= kMaxProfileKeyLength + 1) return;
    if (filtered && (*c == '*' || *c == '?' || *c == '\\')) continue;
    path->push_back(*c);
  }
}

}  // namespace

std::string ComposeProfileKey(const char* company, const char* application, const char* section) {
  std::string path = "Software\\";
  AppendLimited(&path, company != nullptr && *company != '\0' ? company : kDefaultProfileCompany,
                false);
  for (const char* name : {application, section}) {
    if (name == nullptr) continue;
    std::string part;
    AppendLimited(&part, name, true);
    if (part.empty()) continue;
    AppendLimited(&path, "\\", false);
    AppendLimited(&path, part.c_str(), false);
  }
  if (path.size() > kMaxProfileKeyLength) path.resize(kMaxProfileKeyLength);
  // A cut right after a separator would leave an empty last component.
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace hv
