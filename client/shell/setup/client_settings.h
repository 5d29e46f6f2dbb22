// cClientSettings: the values of the registry section "Client Settings" with their defaults,
// read once at start-up (ReadClientSettings). The application object owns the result.
#ifndef HV_CLIENT_SHELL_SETUP_CLIENT_SETTINGS_H_
#define HV_CLIENT_SHELL_SETUP_CLIENT_SETTINGS_H_

#include <cstdint>

#include "client/shell/setup/registry_words.h"

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cPasswordStore;

class cClientSettings {
 public:
  static constexpr const char* kSection = "Client Settings";
  // Texts are read into buffers of this many bytes, so they hold at most 254 characters.
  static constexpr uint32_t kTextBufferSize = 255;
  // "Notify Sensors" is a list and gets more room.
  static constexpr uint32_t kListBufferSize = 4096;

  uint32_t dont_save_user_settings = 0;  // "Dont Save User Settings"
  swString address;                      // "Address"
  uint32_t port = 1025;                  // "Port"
  swString user_name;                    // "UserName"
  swString password;                     // "Password", plain text
  uint32_t auto_login = 0;               // "Auto Login"
  swString login_sel_name;               // "LoginSelName"
  swString login_address;                // "LoginAddress"
  uint32_t login_port = 1025;            // "LoginPort"
  swString login_user_name;              // "LoginUserName"
  swString login_password;               // "LoginPassword"
  uint32_t max_log_entries = 250;        // "Max Log Entries"
  uint32_t tray_icon_type = 2;           // "Tray Icon Type": 0 none, 1 static, 2 flashing
  uint32_t max_snapshots = 100;          // "Max Snapshots"

  // Desktop integration. Each one off leaves the program as it was without it.
  uint32_t check_connection_on_resume = 1;  // "Check Connection On Resume"
  uint32_t reconnect_quickly = 1;           // "Reconnect Quickly"
  uint32_t desktop_notifications = 0;       // "Desktop Notifications"
  swString notify_sensors;                  // "Notify Sensors": names, ';' between them
  uint32_t store_passwords_in_keyring = 0;  // "Store Passwords In Keyring"
  // The house's history, written with the desktop integration.
  uint32_t record_history = 1;       // "Record History"
  uint32_t keep_history_days = 365;  // "Keep History"
  uint32_t history_size_mb = 200;    // "History Size Limit", in megabytes
};

// Reads every value of "Client Settings" below the given words, in the order start-up reads
// them; a missing or unreadable value takes its default.
cClientSettings ReadClientSettings(const cRegistryWords& words);
// The same into an existing object (every member is overwritten).
void ReadClientSettings(const cRegistryWords& words, cClientSettings* settings);

// After a successful setup, unless "Save Settings" is other than 1: the connection, the
// login and the options, in their order; then "LoginUserName" and "LoginPassword" are
// deleted when "Dont Save User Settings" is 1, else written. With a keyring, "Password" and
// "LoginPassword" are filed there and written empty; one the keyring refuses is written as
// before. A value the store refuses keeps its former one (the setup's values stay in use for
// this run): ok, or the save's first failure, the keyring's removals included.
[[nodiscard]] Status WriteClientSettingsAfterSetup(const cRegistryWords& words,
                                                   const cClientSettings& settings,
                                                   cPasswordStore* keyring = nullptr);

// With "Store Passwords In Keyring": "Password" and "LoginPassword" from the keyring, where
// it has them (a value still in the registry from before stays in use otherwise).
void ReadKeyringPasswords(const cRegistryWords& words, cPasswordStore* keyring,
                          cClientSettings* settings);
// Moves "Password" and "LoginPassword" into the keyring (`to_keyring`) or back into the
// registry, unless "Save Settings" is other than 1. A password the keyring refuses stays
// where it is; one the registry refuses stays in the keyring. Ok, or the first failure.
[[nodiscard]] Status MoveClientPasswords(const cRegistryWords& words, cPasswordStore* keyring,
                                         bool to_keyring);

// The desktop integration's values alone ("Check Connection On Resume" to "Store Passwords
// In Keyring"), unless "Save Settings" is other than 1. The setup's OK writes them at once:
// unlike the connection, they do not wait for a server that answers to be worth keeping.
// Ok, or the first value the store refused.
[[nodiscard]] Status WriteDesktopIntegrationSettings(const cRegistryWords& words,
                                                     const cClientSettings& settings);

// "Save Settings" of "Client Settings" (default 1): any value other than 1 keeps the client
// from writing "Client Settings", "Client Data" and "Client Data Defaults". Read before every
// such write; the client never writes it.
bool ClientSettingsMayBeSaved(const char* company, const char* application);
bool ClientSettingsMayBeSaved(const cRegistryWords& words);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_CLIENT_SETTINGS_H_
