// The INI-file alternative of the profile settings: the section is the INI section, the value
// name the INI key; numbers are written as decimal text. Names compare without regard to ASCII
// case. Writes replace the file atomically (temporary file, then rename). The client never
// uses it; it is kept small.
#ifndef HV_CORE_PROFILE_INI_PROFILE_H_
#define HV_CORE_PROFILE_INI_PROFILE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace hv {

// True when the file's section "Options" has a non-zero "Use Registry" entry.
bool IniUsesRegistry(const std::string& path);

// A parsed INI file: sections in file order, each with its entries in order.
class swIniFile {
 public:
  // Reads the file; a missing file reads as empty. False when it exists but cannot be read.
  bool Load(const std::string& path);
  // Writes the file through a temporary file in the same folder; false on failure, with errno
  // telling why.
  bool Save(const std::string& path) const;

  // Null when the section or entry does not exist.
  const std::string* Get(const std::string& section, const std::string& name) const;
  void Set(const std::string& section, const std::string& name, const std::string& value);
  bool Erase(const std::string& section, const std::string& name);
  bool EraseSection(const std::string& section);
  bool HasSection(const std::string& section) const;
  std::vector<std::string> Names(const std::string& section) const;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
  };
  Section* Find(const std::string& section);
  const Section* Find(const std::string& section) const;

  std::vector<Section> sections_;
};

}  // namespace hv

#endif  // HV_CORE_PROFILE_INI_PROFILE_H_
