#include "client/shell/setup/saved_sites.h"

#include <climits>
#include <cstring>
#include <vector>

#include "client/platform/password_store.h"
#include "client/platform/settings_writer.h"
#include "core/profile/profile.h"
#include "core/status.h"

namespace hv {

namespace {

// The name list starts at this size and doubles while the names fill it, so a long list of
// sites is never cut off; the cap keeps a damaged store from exhausting memory.
constexpr uint32_t kNameListSize = 16384;
constexpr uint32_t kNameListLimit = 16u * 1024 * 1024;
// Room for the longest fields the dialog keeps (254 characters each) so a stored site is
// never read back shortened.
constexpr uint32_t kSiteDataSize = 4096;

// Leading decimal digits (with an optional sign) as a number, 0 when there are none; values
// beyond the 32-bit range stop at its edges.
int64_t LeadingNumber(const swString& text) {
  const char* p = text.CStr();
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT64_C(0x80000000)) value = INT64_C(0x80000000);
  }
  value = negative ? -value : value;
  if (value > INT32_MAX) value = INT32_MAX;
  return value;
}

// The field at `*at` up to the next semicolon (or the end); moves `*at` past it.
swString NextField(const char** at) {
  const char* start = *at;
  const char* end = std::strchr(start, ';');
  if (end == nullptr) {
    *at = start + std::strlen(start);
    return swString(start);
  }
  *at = end + 1;
  return swString(start, static_cast<uint32_t>(end - start));
}

swString SiteKey(const char* name) {
  swString key;
  key.Format("%s\\%s", kClientDataSection, name);
  return key;
}

}  // namespace

cSavedSite ParseSavedSite(const char* data) {
  cSavedSite site;
  if (data == nullptr) return site;
  const char* at = data;
  site.address = NextField(&at);
  site.port = static_cast<int32_t>(LeadingNumber(NextField(&at)));
  site.user_name = NextField(&at);
  site.password = NextField(&at);
  const int64_t flag = LeadingNumber(NextField(&at));
  site.dont_save = static_cast<int16_t>(flag >= INT16_MIN && flag <= INT16_MAX ? flag : 0);
  return site;
}

swString FormatSavedSite(const cSavedSite& site) {
  swString data;
  if (site.dont_save != 0) {
    data.Format("%s;%d;;;1", site.address.CStr(), site.port);
  } else {
    data.Format("%s;%d;%s;%s;0", site.address.CStr(), site.port, site.user_name.CStr(),
                site.password.CStr());
  }
  return data;
}

Status LoadSavedSites(const cSiteRegistry& registry, std::vector<cNamedSavedSite>* sites) {
  if (sites == nullptr) return Status(Where::kSettings, hv::kMissingArgument);
  sites->clear();
  std::vector<char> names;
  for (uint32_t size = kNameListSize;; size *= 2) {
    if (size > kNameListLimit) {
      return Status(Where::kSettings, hv::kOutOfMemory, "the saved sites could not be read");
    }
    names.assign(size, '\0');
    ReadProfileString(registry.company, registry.application, kClientDataSection, nullptr, "",
                      names.data(), size)
        .Ignore("no sites stored is an empty list");
    // Names that do not fit are left out whole, so a list that fills more than half the
    // buffer may have lost some, and is read again into a larger one.
    size_t used = 0;
    while (used < size && names[used] != '\0') used += std::strlen(&names[used]) + 1;
    if (used * 2 < size) break;
  }

  std::vector<char> data(kSiteDataSize);
  for (size_t at = 0; at < names.size() && names[at] != '\0'; at += std::strlen(&names[at]) + 1) {
    const char* name = &names[at];
    data[0] = '\0';
    ReadProfileString(registry.company, registry.application, kClientDataSection, name, "",
                      data.data(), kSiteDataSize)
        .Ignore("a site that cannot be read is skipped below");
    if (data[0] == '\0') continue;
    cSavedSite site = ParseSavedSite(data.data());
    if (registry.keyring != nullptr && site.dont_save == 0 && site.password.GetLength() == 0) {
      swString password;
      if (registry.keyring
              ->Lookup(registry.company, registry.application, SiteKey(name).CStr(), &password)
              .ok()) {
        site.password = password;
      }
    }
    sites->push_back(cNamedSavedSite{swString(name), site});
  }
  return Status::Ok();
}

Status WriteSavedSite(const cSiteRegistry& registry, const char* name, const cSavedSite& site) {
  if (name == nullptr) return Status::Ok();
  Status saved;
  cSavedSite stored = site;
  if (registry.keyring != nullptr) {
    const swString key = SiteKey(name);
    if (site.dont_save != 0 || site.password.GetLength() == 0) {
      saved = RemovePassword(*registry.keyring, registry.company, registry.application, key.CStr());
    } else if (registry.keyring
                   ->Store(registry.company, registry.application, key.CStr(), site.password.CStr())
                   .ok()) {
      stored.password = "";
    }
  }
  cSettingsWriter writer(registry.company, registry.application);
  writer.Text(kClientDataSection, name, FormatSavedSite(stored).CStr());
  KeepFirstFailure(&saved, writer.Finish());
  return saved;
}

Status DeleteSavedSite(const cSiteRegistry& registry, const char* name) {
  Status saved;
  {
    cSettingsWriter writer(registry.company, registry.application);
    // A null name would delete the whole section, so only a real name reaches the store.
    if (name != nullptr && name[0] != '\0') writer.Delete(kClientDataSection, name);
    writer.Delete(kClientDataDefaultsSection, kDefaultNameValue);
    saved = writer.Finish();
  }
  if (name != nullptr && name[0] != '\0' && registry.keyring != nullptr) {
    KeepFirstFailure(&saved, RemovePassword(*registry.keyring, registry.company,
                                            registry.application, SiteKey(name).CStr()));
  }
  return saved;
}

swString ReadDefaultSiteName(const cSiteRegistry& registry) {
  std::vector<char> name(kSiteDataSize);
  ReadProfileString(registry.company, registry.application, kClientDataDefaultsSection,
                    kDefaultNameValue, "", name.data(), kSiteDataSize)
      .Ignore("no default site is an empty name");
  return swString(name.data());
}

Status WriteDefaultSiteName(const cSiteRegistry& registry, const char* name) {
  if (name == nullptr) return Status::Ok();
  cSettingsWriter writer(registry.company, registry.application);
  writer.Text(kClientDataDefaultsSection, kDefaultNameValue, name);
  return writer.Finish();
}

Status MoveSavedSitePasswords(const cSiteRegistry& registry, cPasswordStore* keyring) {
  if (keyring == nullptr) return Status::Ok();
  // Read with every place a password may be, then written the way `registry` keeps them.
  cSiteRegistry reading = registry;
  reading.keyring = keyring;
  std::vector<cNamedSavedSite> sites;
  if (Status loaded = LoadSavedSites(reading, &sites); !loaded.ok()) return loaded;
  Status saved;
  for (const cNamedSavedSite& named : sites) {
    const Status written = WriteSavedSite(registry, named.name.CStr(), named.site);
    KeepFirstFailure(&saved, written);
    if (written.ok() && registry.keyring == nullptr && named.site.password.GetLength() > 0) {
      // Back in the data now; the keyring's copy would only go stale.
      KeepFirstFailure(&saved, RemovePassword(*keyring, registry.company, registry.application,
                                              SiteKey(named.name.CStr()).CStr()));
    }
  }
  return saved;
}

}  // namespace hv
