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
#include "core/system_error.h"

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

Status Failure(int32_t code, const std::string& what, const std::string& why) {
  return Status(Where::kProfile, code, what + ": " + why);
}

// What the store said, in words, for a failure's message.
std::string StoreReason(const Status& store) {
  if (!store.message().empty()) return store.message();
  switch (store.code()) {
    case kStoreNoKey: return "the key is not there";
    case kStoreNoValue: return "the value is not there";
    case kStoreBadKey: return "the key or value name is not valid";
    default: return "the registry store refused it (" + store.ToString() + ")";
  }
}

// The default was delivered; `why` says what stopped the read when it was more than a missing
// value.
Status DefaultDelivered(std::string why = {}) {
  return why.empty() ? Status::Declined() : Status(Where::kProgram, kDeclined, std::move(why));
}

Status WriteIni(const char* ini_file, const char* section, const char* name, const void* data,
                uint32_t type) {
  const std::string file = ini_file;
  swIniFile ini;
  if (!ini.Load(file)) return Failure(kProfileNoIniFile, file, SystemReason(errno));
  std::string section_name = section != nullptr ? section : "";
  const std::string entry = "[" + section_name + "] " + (name != nullptr ? name : "");
  if (name == nullptr) {
    if (!ini.EraseSection(section_name)) {
      return Failure(kProfileDeleteFailed, file + " " + entry, "the section is not there");
    }
  } else if (data == nullptr) {
    if (!ini.HasSection(section_name)) {
      return Failure(kProfileKeyFailed, file + " " + entry, "the section is not there");
    }
    if (!ini.Erase(section_name, name)) {
      return Failure(kProfileDeleteFailed, file + " " + entry, "the entry is not there");
    }
  } else if (type == kProfileNumber) {
    uint32_t number;
    std::memcpy(&number, data, sizeof(number));
    ini.Set(section_name, name, std::to_string(static_cast<long>(static_cast<int32_t>(number))));
  } else if (type == kProfileText) {
    std::string text = static_cast<const char*>(data);
    // One line per entry: a line break would make the rest of the text an entry of its own.
    if (text.find_first_of("\r\n") != std::string::npos) {
      return Failure(kProfileKeyFailed, file + " " + entry, "a text of more than one line");
    }
    ini.Set(section_name, name, text);
  } else {
    return Failure(kProfileKeyFailed, file + " " + entry,
                   "value type " + std::to_string(type) + " cannot be written");
  }
  if (!ini.Save(file)) return Failure(kProfileNoIniFile, file, SystemReason(errno));
  return Status::Ok();
}

// A deletion's result as WriteProfile gives it: kProfileKeyFailed when the key is not there,
// kProfileDeleteFailed for anything else that stopped it.
Status DeleteResult(const Status& deleted, const std::string& what) {
  if (deleted.ok()) return Status::Ok();
  return Failure(
      deleted.Is(Where::kRegistry, kStoreNoKey) ? kProfileKeyFailed : kProfileDeleteFailed, what,
      StoreReason(deleted));
}

}  // namespace

Status WriteProfile(const char* company, const char* application, const char* section,
                    const char* name, const void* data, uint32_t type, const char* ini_file) {
  if (UseIni(ini_file)) return WriteIni(ini_file, section, name, data, type);

  std::string key = ComposeProfileKey(company, application, section);
  const std::string what = name != nullptr ? key + " \"" + name + "\"" : key;
  swProfileStoreLease lease;
  swRegistryStore* store = lease.get();
  if (store == nullptr) return Failure(kProfileKeyFailed, what, StoreReason(lease.why()));
  if (name == nullptr) {
    return DeleteResult(store->DeleteKey(key), what);
  }
  if (data == nullptr) {
    return DeleteResult(store->DeleteValue(key, name), what);
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
    // Other types carry no length through this routine.
    return Failure(kProfileKeyFailed, what,
                   "value type " + std::to_string(type) + " cannot be written");
  }
  if (Status set = store->SetValue(key, value); !set.ok()) {
    return Failure(kProfileKeyFailed, what, StoreReason(set));
  }
  return Status::Ok();
}

Status ReadProfileString(const char* company, const char* application, const char* section,
                         const char* name, const char* default_text, char* buffer, uint32_t size,
                         const char* ini_file) {
  if (buffer == nullptr || size == 0) {
    return Status(Where::kProfile, kProfileNoRoom, "no buffer to read a value into");
  }
  std::string fallback = default_text != nullptr ? default_text : "";

  if (UseIni(ini_file)) {
    swIniFile ini;
    std::string section_name = section != nullptr ? section : "";
    const bool loaded = ini.Load(ini_file);
    if (loaded && ini.HasSection(section_name)) {
      if (name == nullptr) {
        CopyNames(ini.Names(section_name), buffer, size);
        return Status::Ok();
      }
      if (const std::string* text = ini.Get(section_name, name)) {
        CopyOut(*text, buffer, size);
        return Status::Ok();
      }
    }
    CopyOut(fallback, buffer, size);
    return DefaultDelivered(loaded ? "" : std::string(ini_file) + " cannot be read");
  }

  std::string key = ComposeProfileKey(company, application, section);
  swProfileStoreLease lease;
  swRegistryStore* store = lease.get();
  Status read = lease.why();
  if (store != nullptr) {
    if (name == nullptr) {
      std::vector<swRegistryValue> values;
      read = store->ListValues(key, &values);
      if (read.ok()) {
        std::vector<std::string> names;
        names.reserve(values.size());
        for (const auto& value : values) names.push_back(value.name);
        CopyNames(names, buffer, size);
        return Status::Ok();
      }
    } else {
      swRegistryValue value;
      read = store->GetValue(key, name, &value);
      if (read.ok()) {
        // Whatever the type, the stored bytes: a number gives its 4 raw bytes.
        CopyOut(value.data, buffer, size);
        return Status::Ok();
      }
    }
  }
  CopyOut(fallback, buffer, size);
  return DefaultDelivered(read.failed() ? key + ": " + StoreReason(read) : "");
}

Status ReadProfileNumber(const char* company, const char* application, const char* section,
                         const char* name, uint32_t* number, uint32_t default_number,
                         const char* ini_file) {
  if (number == nullptr) {
    return Status(Where::kProfile, kProfileNoRoom, "no number to read a value into");
  }
  *number = default_number;
  if (name == nullptr) return DefaultDelivered();

  if (UseIni(ini_file)) {
    swIniFile ini;
    if (!ini.Load(ini_file)) return DefaultDelivered(std::string(ini_file) + " cannot be read");
    const std::string* text = ini.Get(section != nullptr ? section : "", name);
    return text != nullptr && ParseDecimal(*text, number) ? Status::Ok() : DefaultDelivered();
  }

  std::string key = ComposeProfileKey(company, application, section);
  swProfileStoreLease lease;
  swRegistryStore* store = lease.get();
  if (store == nullptr) return DefaultDelivered(key + ": " + StoreReason(lease.why()));
  swRegistryValue value;
  if (Status read = store->GetValue(key, name, &value); !read.ok()) {
    return DefaultDelivered(read.failed() ? key + ": " + StoreReason(read) : "");
  }
  uint32_t read = 0;
  bool ok = value.type == kRegistryText ? ParseDecimal(value.data, &read) : value.AsNumber(&read);
  if (!ok) return DefaultDelivered();  // unreadable: the default stands
  *number = read;
  return Status::Ok();
}

bool ProfileKeyExists(const char* key_path) {
  if (key_path == nullptr) return false;
  swProfileStoreLease lease;
  swRegistryStore* store = lease.get();
  return store != nullptr && store->KeyExists(key_path);
}

}  // namespace hv
