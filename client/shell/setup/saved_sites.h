// Saved sites: the named server connections of the setup dialog, kept in the registry
// section "Client Data" (one text value per site, named by the site) with the last confirmed
// site's name in "Default Name" of "Client Data Defaults".
//
// A site's data is "address;port;user;password;0", or "address;port;;;1" when the user chose
// not to keep user name and password. The fields are cut at semicolons, so an address, user
// name or password that itself holds a semicolon does not come back whole: the password is
// cut there. Stored data already relies on this form, so it is kept as it is.
#ifndef HV_CLIENT_SHELL_SETUP_SAVED_SITES_H_
#define HV_CLIENT_SHELL_SETUP_SAVED_SITES_H_

#include <cstdint>
#include <vector>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

constexpr const char* kClientDataSection = "Client Data";
constexpr const char* kClientDataDefaultsSection = "Client Data Defaults";
constexpr const char* kDefaultNameValue = "Default Name";

struct cSavedSite {
  swString address;
  int32_t port = 0;
  swString user_name;
  swString password;
  int16_t dont_save = 0;  // 1: user name and password are not kept
};

struct cNamedSavedSite {
  swString name;
  cSavedSite site;
};

class cPasswordStore;

// The registry words (company and application) every saved-site routine addresses. With a
// keyring ("Store Passwords In Keyring"), a site's password is filed there under
// "Client Data\<name>" and its stored data holds an empty password; a keyring that refuses
// it leaves it in the data, so no password is ever lost.
struct cSiteRegistry {
  const char* company = nullptr;
  const char* application = nullptr;
  cPasswordStore* keyring = nullptr;  // not owned; null: passwords stay in the data
};

// Reads a site's stored data: fields cut at semicolons, missing trailing fields empty, port
// and flag read as leading decimal digits (0 when empty or not a number).
cSavedSite ParseSavedSite(const char* data);
// The stored form of a site: "%s;%d;;;1" when dont_save is set, else "%s;%d;%s;%s;0".
swString FormatSavedSite(const cSavedSite& site);

// Every saved site with non-empty data, in the order the registry lists the names.
// Ok; kOutOfMemory when the name list cannot be obtained (sites then empty);
// kMissingArgument without `sites`.
[[nodiscard]] Status LoadSavedSites(const cSiteRegistry& registry,
                                    std::vector<cNamedSavedSite>* sites);
// Writes the site under its name: ok, or the first failure (the store's, or a keyring that
// keeps a password the site no longer keeps).
[[nodiscard]] Status WriteSavedSite(const cSiteRegistry& registry, const char* name,
                                    const cSavedSite& site);
// Deletes the site of that name (nothing for an empty name) and "Default Name"; with a
// keyring, the site's password too. Ok, or the first failure.
[[nodiscard]] Status DeleteSavedSite(const cSiteRegistry& registry, const char* name);

// Rewrites every saved site so that its password is where `registry` keeps it: into the
// keyring when it has one, back into the data (and out of `keyring`) when not. Passwords
// that cannot be moved stay where they are. Ok, or the first failure.
[[nodiscard]] Status MoveSavedSitePasswords(const cSiteRegistry& registry, cPasswordStore* keyring);

// "Default Name" of "Client Data Defaults" ("" when missing); and its writing.
swString ReadDefaultSiteName(const cSiteRegistry& registry);
[[nodiscard]] Status WriteDefaultSiteName(const cSiteRegistry& registry, const char* name);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_SAVED_SITES_H_
