#include "client/shell/setup/client_settings.h"

#include <vector>

#include "client/platform/password_store.h"
#include "client/platform/settings_writer.h"
#include "core/profile/profile.h"
#include "core/status.h"

namespace hv {

namespace {

// What the setup flow does with a value when it writes "Client Settings".
enum class eSetupWrite {
  kNever,      // read only ("Dont Save User Settings" decides, "UserName"...: kept by sites)
  kAlways,     // written
  kUserLogin,  // written, or deleted when "Dont Save User Settings" is 1
};

// One row per value, in the order start-up reads them: a number or a text member, and where
// the setup flow writes it (write_order 1 first; 0 when it does not).
struct SettingRow {
  const char* name;
  uint32_t cClientSettings::*number;
  swString cClientSettings::*text;
  int write_order;
  eSetupWrite setup_write;
};

constexpr SettingRow kRows[] = {
    {"Dont Save User Settings", &cClientSettings::dont_save_user_settings, nullptr, 12,
     eSetupWrite::kAlways},
    {"Address", nullptr, &cClientSettings::address, 1, eSetupWrite::kAlways},
    {"Port", &cClientSettings::port, nullptr, 2, eSetupWrite::kAlways},
    {"UserName", nullptr, &cClientSettings::user_name, 3, eSetupWrite::kAlways},
    {"Password", nullptr, &cClientSettings::password, 4, eSetupWrite::kAlways},
    {"Auto Login", &cClientSettings::auto_login, nullptr, 5, eSetupWrite::kAlways},
    {"LoginSelName", nullptr, &cClientSettings::login_sel_name, 6, eSetupWrite::kAlways},
    {"LoginAddress", nullptr, &cClientSettings::login_address, 7, eSetupWrite::kAlways},
    {"LoginPort", &cClientSettings::login_port, nullptr, 8, eSetupWrite::kAlways},
    {"LoginUserName", nullptr, &cClientSettings::login_user_name, 13, eSetupWrite::kUserLogin},
    {"LoginPassword", nullptr, &cClientSettings::login_password, 14, eSetupWrite::kUserLogin},
    {"Max Log Entries", &cClientSettings::max_log_entries, nullptr, 9, eSetupWrite::kAlways},
    {"Tray Icon Type", &cClientSettings::tray_icon_type, nullptr, 10, eSetupWrite::kAlways},
    {"Max Snapshots", &cClientSettings::max_snapshots, nullptr, 11, eSetupWrite::kAlways},
    // Desktop integration, written with the options after them.
    {"Check Connection On Resume", &cClientSettings::check_connection_on_resume, nullptr, 15,
     eSetupWrite::kAlways},
    {"Reconnect Quickly", &cClientSettings::reconnect_quickly, nullptr, 16, eSetupWrite::kAlways},
    {"Desktop Notifications", &cClientSettings::desktop_notifications, nullptr, 17,
     eSetupWrite::kAlways},
    {"Notify Sensors", nullptr, &cClientSettings::notify_sensors, 18, eSetupWrite::kAlways},
    {"Store Passwords In Keyring", &cClientSettings::store_passwords_in_keyring, nullptr, 19,
     eSetupWrite::kAlways},
    {"Record History", &cClientSettings::record_history, nullptr, 20, eSetupWrite::kAlways},
    {"Keep History", &cClientSettings::keep_history_days, nullptr, 21, eSetupWrite::kAlways},
    {"History Size Limit", &cClientSettings::history_size_mb, nullptr, 22, eSetupWrite::kAlways},
};
constexpr int kRowCount = static_cast<int>(sizeof(kRows) / sizeof(kRows[0]));
// The rows from this write order on are the desktop integration's.
constexpr int kFirstDesktopIntegrationOrder = 15;

// A value never stored keeps the setting's default.
void ReadRow(const cRegistryWords& words, const SettingRow& row, cClientSettings* settings) {
  if (row.number != nullptr) {
    uint32_t& value = settings->*row.number;
    ReadProfileNumber(words.company, words.application, cClientSettings::kSection, row.name, &value,
                      value)
        .Ignore("the setting's default stands");
  } else {
    swString& value = settings->*row.text;
    // A list of sensor names may well be longer than one connection value.
    std::vector<char> buffer(row.text == &cClientSettings::notify_sensors
                                 ? cClientSettings::kListBufferSize
                                 : cClientSettings::kTextBufferSize);
    ReadProfileString(words.company, words.application, cClientSettings::kSection, row.name,
                      value.CStr(), buffer.data(), static_cast<uint32_t>(buffer.size()))
        .Ignore("the setting's default stands");
    value = buffer.data();
  }
}

// The keyring's key of a password row ("Client Settings\Password").
swString KeyringKey(const SettingRow& row) {
  swString key;
  key.Format("%s\\%s", cClientSettings::kSection, row.name);
  return key;
}

bool IsPasswordRow(const SettingRow& row) {
  return row.text == &cClientSettings::password || row.text == &cClientSettings::login_password;
}

// Files a password row in the keyring; true when it is there now.
bool StoreInKeyring(const cRegistryWords& words, const SettingRow& row,
                    const cClientSettings& settings, cPasswordStore* keyring) {
  const swString& password = settings.*row.text;
  const swString key = KeyringKey(row);
  if (password.GetLength() == 0) {
    return keyring->Remove(words.company, words.application, key.CStr()).ok();
  }
  return keyring->Store(words.company, words.application, key.CStr(), password.CStr()).ok();
}

// True when the row's value is deleted rather than written.
bool Forgotten(const SettingRow& row, const cClientSettings& settings) {
  return row.setup_write == eSetupWrite::kUserLogin && settings.dont_save_user_settings == 1;
}

// Writes the row's value to the registry; a password the keyring holds leaves an empty text.
void WriteRow(cSettingsWriter& writer, const SettingRow& row, const cClientSettings& settings,
              bool in_keyring = false) {
  if (Forgotten(row, settings)) {
    writer.Delete(cClientSettings::kSection, row.name);
  } else if (row.number != nullptr) {
    writer.Number(cClientSettings::kSection, row.name, settings.*row.number);
  } else {
    writer.Text(cClientSettings::kSection, row.name, in_keyring ? "" : (settings.*row.text).CStr());
  }
}

}  // namespace

cClientSettings ReadClientSettings(const cRegistryWords& words) {
  cClientSettings settings;  // the defaults
  for (const SettingRow& row : kRows) ReadRow(words, row, &settings);
  return settings;
}

void ReadClientSettings(const cRegistryWords& words, cClientSettings* settings) {
  if (settings != nullptr) *settings = ReadClientSettings(words);
}

Status WriteClientSettingsAfterSetup(const cRegistryWords& words, const cClientSettings& settings,
                                     cPasswordStore* keyring) {
  if (!ClientSettingsMayBeSaved(words.company, words.application)) return Status::Ok();
  // The keyring first: it may wait for the user to unlock it, and the registry's values are
  // then written in one transaction, which other programs wait for. A password goes to the
  // keyring before its registry value is emptied, and leaves it only after the value is gone.
  bool in_keyring[kRowCount] = {};
  for (int i = 0; i < kRowCount; ++i) {
    const SettingRow& row = kRows[i];
    in_keyring[i] = keyring != nullptr && IsPasswordRow(row) && !Forgotten(row, settings) &&
                    StoreInKeyring(words, row, settings, keyring);
  }
  Status saved;
  {
    cSettingsWriter writer(words.company, words.application);
    for (int order = 1; order <= kRowCount; ++order) {
      for (int i = 0; i < kRowCount; ++i) {
        if (kRows[i].write_order == order) WriteRow(writer, kRows[i], settings, in_keyring[i]);
      }
    }
    saved = writer.Finish();
  }
  if (keyring == nullptr) return saved;
  for (const SettingRow& row : kRows) {
    if (Forgotten(row, settings)) {
      KeepFirstFailure(&saved, RemovePassword(*keyring, words.company, words.application,
                                              KeyringKey(row).CStr()));
    }
  }
  return saved;
}

void ReadKeyringPasswords(const cRegistryWords& words, cPasswordStore* keyring,
                          cClientSettings* settings) {
  if (keyring == nullptr || settings == nullptr) return;
  for (const SettingRow& row : kRows) {
    if (!IsPasswordRow(row)) continue;
    swString password;
    if (keyring->Lookup(words.company, words.application, KeyringKey(row).CStr(), &password).ok()) {
      settings->*row.text = password;
    }
  }
}

Status MoveClientPasswords(const cRegistryWords& words, cPasswordStore* keyring, bool to_keyring) {
  if (keyring == nullptr || !ClientSettingsMayBeSaved(words.company, words.application)) {
    return Status::Ok();
  }
  // The passwords whose registry value changes, with their new value. The keyring is asked
  // first (it may wait for the user), then the registry's values go in one transaction.
  struct Moved {
    const SettingRow* row;
    swString value;
  };
  std::vector<Moved> moved;
  for (const SettingRow& row : kRows) {
    if (!IsPasswordRow(row)) continue;
    // Only what is stored moves: a value never written (or deleted by "Dont Save User
    // Settings") is not written now.
    char buffer[cClientSettings::kTextBufferSize];
    const bool in_registry =
        ReadProfileString(words.company, words.application, cClientSettings::kSection, row.name, "",
                          buffer, sizeof(buffer))
            .ok();
    swString stored;
    const bool in_keyring =
        keyring->Lookup(words.company, words.application, KeyringKey(row).CStr(), &stored).ok();
    if (to_keyring) {
      if (!in_registry || buffer[0] == '\0') continue;
      cClientSettings stored_values;
      stored_values.*row.text = buffer;
      if (StoreInKeyring(words, row, stored_values, keyring)) moved.push_back({&row, swString()});
    } else if (in_keyring) {
      moved.push_back({&row, stored});
    }
  }
  if (moved.empty()) return Status::Ok();
  Status saved;
  {
    cSettingsWriter writer(words.company, words.application);
    for (const Moved& m : moved)
      writer.Text(cClientSettings::kSection, m.row->name, m.value.CStr());
    saved = writer.Finish();
  }
  // A password leaves the keyring only once the registry holds it again.
  if (!to_keyring && saved.ok()) {
    for (const Moved& m : moved) {
      KeepFirstFailure(&saved, RemovePassword(*keyring, words.company, words.application,
                                              KeyringKey(*m.row).CStr()));
    }
  }
  return saved;
}

Status WriteDesktopIntegrationSettings(const cRegistryWords& words,
                                       const cClientSettings& settings) {
  if (!ClientSettingsMayBeSaved(words.company, words.application)) return Status::Ok();
  cSettingsWriter writer(words.company, words.application);
  for (const SettingRow& row : kRows) {
    if (row.write_order >= kFirstDesktopIntegrationOrder) WriteRow(writer, row, settings);
  }
  return writer.Finish();
}

bool ClientSettingsMayBeSaved(const char* company, const char* application) {
  uint32_t save = 1;
  ReadProfileNumber(company, application, cClientSettings::kSection, "Save Settings", &save, 1)
      .Ignore("settings are saved unless told otherwise");
  return save == 1;
}

bool ClientSettingsMayBeSaved(const cRegistryWords& words) {
  return ClientSettingsMayBeSaved(words.company, words.application);
}

}  // namespace hv
