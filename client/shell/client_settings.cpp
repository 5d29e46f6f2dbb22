#include "client/shell/client_settings.h"

#include "core/profile/profile.h"

namespace {

// One row per value, in the order start-up reads them: a number or a text member.
struct SettingRow {
  const char* name;
  uint32_t cClientSettings::*number;
  swString cClientSettings::*text;
};

constexpr SettingRow kRows[] = {
    {"Dont Save User Settings", &cClientSettings::dont_save_user_settings, nullptr},
    {"Address", nullptr, &cClientSettings::address},
    {"Port", &cClientSettings::port, nullptr},
    {"UserName", nullptr, &cClientSettings::user_name},
    {"Password", nullptr, &cClientSettings::password},
    {"Auto Login", &cClientSettings::auto_login, nullptr},
    {"LoginSelName", nullptr, &cClientSettings::login_sel_name},
    {"LoginAddress", nullptr, &cClientSettings::login_address},
    {"LoginPort", &cClientSettings::login_port, nullptr},
    {"LoginUserName", nullptr, &cClientSettings::login_user_name},
    {"LoginPassword", nullptr, &cClientSettings::login_password},
    {"Max Log Entries", &cClientSettings::max_log_entries, nullptr},
    {"Tray Icon Type", &cClientSettings::tray_icon_type, nullptr},
    {"Max Snapshots", &cClientSettings::max_snapshots, nullptr},
};

}  // namespace

cClientSettings ReadClientSettings(const cRegistryWords& words) {
  cClientSettings settings;  // the defaults
  for (const SettingRow& row : kRows) {
    if (row.number != nullptr) {
      uint32_t& value = settings.*row.number;
      (void)ReadProfileNumber(words.company, words.application, cClientSettings::kSection, row.name,
                              &value, value);
    } else {
      swString& value = settings.*row.text;
      char buffer[cClientSettings::kTextBufferSize];
      (void)ReadProfileString(words.company, words.application, cClientSettings::kSection, row.name,
                              value.CStr(), buffer, sizeof(buffer));
      value = buffer;
    }
  }
  return settings;
}

void ReadClientSettings(const cRegistryWords& words, cClientSettings* settings) {
  if (settings != nullptr) *settings = ReadClientSettings(words);
}

bool ClientSettingsMayBeSaved(const cRegistryWords& words) {
  uint32_t save = 1;
  (void)ReadProfileNumber(words.company, words.application, cClientSettings::kSection,
                          "Save Settings", &save, 1);
  return save == 1;
}
