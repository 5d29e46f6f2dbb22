// The profile routines over the per-user registry store, or an INI file when one is named.
// The calls share one open connection to the store (see profile_store.h); each read still
// sees what other programs committed, and each write outside a batch commits on its own.
#include "core/profile/profile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/profile/ini_profile.h"
#include "core/profile/profile_key.h"
#include "core/profile/profile_store.h"
#include "core/profile/registry_store.h"

namespace hv {

namespace {

bool UseIni(const char* ini_file) {
  return ini_file != nullptr && *ini_file != '\0' && !IniUsesRegistry(ini_file);
}

// Copies `text` into the buffer, cut to fit, always terminated.
void CopyOut(const std::string& text, char* buffer, uint32_t size) {
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

// Value names, each terminated, with an empty name at the end; names that do not fit whole
// are left out.
void CopyNames(const std::vector<std::string>& names, char* buffer, uint32_t size) {
  uint32_t at = 0;
  for (const std::string& name : names) {
    if (at + name.size() + 2 > size) break;
    std::memcpy(buffer + at, name.c_str(), name.size() + 1);
    at += static_cast<uint32_t>(name.size()) + 1;
  }
  buffer[at] = '\0';
  if (at + 1 < size) buffer[at + 1] = '\0';
}

// Decimal text as a 32-bit number, as the registry's readers convert a text asked for as a
// number. False when the text holds no number.
bool ParseDecimal(const std::string& text, uint32_t* number) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(start, &end, 10);
  if (end == start || errno == ERANGE) return false;
  if (value < INT32_MIN || value > static_cast<long long>(UINT32_MAX)) return false;
  *number = static_cast<uint32_t>(value);
  return true;
}

int WriteIni(const char* ini_file, const char* section, const char* name, const void* data,
             uint32_t type) {
  swIniFile ini;
  if (!ini.Load(ini_file)) return 2;
  std::string section_name = section != nullptr ? section : "";
  if (name == nullptr) {
    if (!ini.EraseSection(section_name)) return 3;
  } else if (data == nullptr) {
    if (!ini.HasSection(section_name)) return 1;
    if (!ini.Erase(section_name, name)) return 3;
  } else if (type == kProfileNumber) {
    uint32_t number;
    std::memcpy(&number, data, sizeof(number));
    ini.Set(section_name, name, std::to_string(static_cast<long>(static_cast<int32_t>(number))));
  } else if (type == kProfileText) {
    std::string text = static_cast<const char*>(data);
    // One line per entry: a line break would make the rest of the text an entry of its own.
    if (text.find_first_of("\r\n") != std::string::npos) return 1;
    ini.Set(section_name, name, text);
  } else {
    return 1;
  }
  return ini.Save(ini_file) ? 0 : 2;
}

}  // namespace

int WriteProfile(const char* company, const char* application, const char* section,
                 const char* name, const void* data, uint32_t type, const char* ini_file) {
  if (UseIni(ini_file)) return WriteIni(ini_file, section, name, data, type);

  std::string key = ComposeProfileKey(company, application, section);
  swProfileStoreLease lease;
  swRegistryStore* store = lease.get();
  if (store == nullptr) return 1;
  if (name == nullptr) {
    int rc = store->DeleteKey(key);
    return rc == kStoreOk ? 0 : rc == kStoreNoKey ? 1 : 3;
  }
  if (data == nullptr) {
    int rc = store->DeleteValue(key, name);
    return rc == kStoreOk ? 0 : rc == kStoreNoKey ? 1 : 3;
  }
  swRegistryValue value;
  value.name = name;
  if (type == kProfileText) {
    value.type = kRegistryText;
    value.data = static_cast<const char*>(data);
  } else if (type == kProfileNumber) {
    uint32_t number;
    std::memcpy(&number, data, sizeof(number));
    value.type = kRegistryNumber;
    value.data = swRegistryValue::NumberData(number);
  } else {
    return 1;  // other types carry no length through this routine
  }
  return store->SetValue(key, value) == kStoreOk ? 0 : 1;
}

int ReadProfileString(const char* company, const char* application, const char* section,
                      const char* name, const char* default_text, char* buffer, uint32_t size,
                      const char* ini_file) {
  if (buffer == nullptr || size == 0) return 2;
  std::string fallback = default_text != nullptr ? default_text : "";

  if (UseIni(ini_file)) {
    swIniFile ini;
    std::string section_name = section != nullptr ? section : "";
    if (ini.Load(ini_file) && ini.HasSection(section_name)) {
      if (name == nullptr) {
        CopyNames(ini.Names(section_name), buffer, size);
        return 0;
      }
      if (const std::string* text = ini.Get(section_name, name)) {
        CopyOut(*text, buffer, size);
        return 0;
      }
    }
    CopyOut(fallback, buffer, size);
    return 1;
  }

  std::string key = ComposeProfileKey(company, application, section);
  swProfileStoreLease lease;
  swRegistryStore* store = lease.get();
  if (store != nullptr) {
    if (name == nullptr) {
      std::vector<swRegistryValue> values;
      if (store->ListValues(key, &values) == kStoreOk) {
        std::vector<std::string> names;
        names.reserve(values.size());
        for (const auto& value : values) names.push_back(value.name);
        CopyNames(names, buffer, size);
        return 0;
      }
    } else {
      swRegistryValue value;
      if (store->GetValue(key, name, &value) == kStoreOk) {
        // Whatever the type, the stored bytes: a number gives its 4 raw bytes.
        CopyOut(value.data, buffer, size);
        return 0;
      }
    }
  }
  CopyOut(fallback, buffer, size);
  return 1;
}

int ReadProfileNumber(const char* company, const char* application, const char* section,
                      const char* name, uint32_t* number, uint32_t default_number,
                      const char* ini_file) {
  if (number == nullptr) return 1;
  *number = default_number;
  if (name == nullptr) return 1;

  if (UseIni(ini_file)) {
    swIniFile ini;
    if (!ini.Load(ini_file)) return 1;
    const std::string* text = ini.Get(section != nullptr ? section : "", name);
    return text != nullptr && ParseDecimal(*text, number) ? 0 : 1;
  }

  swProfileStoreLease lease;
  swRegistryStore* store = lease.get();
  if (store == nullptr) return 1;
  swRegistryValue value;
  if (store->GetValue(ComposeProfileKey(company, application, section), name, &value) != kStoreOk) {
    return 1;
  }
  uint32_t read = 0;
  bool ok = value.type == kRegistryText ? ParseDecimal(value.data, &read) : value.AsNumber(&read);
  if (!ok) return 1;  // unreadable: the default stands
  *number = read;
  return 0;
}

bool ProfileKeyExists(const char* key_path) {
  if (key_path == nullptr) return false;
  swProfileStoreLease lease;
  swRegistryStore* store = lease.get();
  return store != nullptr && store->KeyExists(key_path);
}

}  // namespace hv
