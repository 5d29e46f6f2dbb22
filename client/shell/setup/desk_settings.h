// cDeskSettings: the registry values the main window reads and writes, in the sections
// "Main Window", "WindowSize" and "Client Settings" of the application's key, and where the
// passwords are kept (the registry store or the desktop's keyring). The application owns
// one for the whole run; it borrows the registry words, the client settings, the keyring and
// the activity log, and finds the client storage through `storage` (it may be replaced or
// gone). A save the store refuses is told to the user as an Error entry, once until a save
// works again; the values keep their former ones and the program goes on.
#ifndef HV_CLIENT_SHELL_SETUP_DESK_SETTINGS_H_
#define HV_CLIENT_SHELL_SETUP_DESK_SETTINGS_H_

#include <functional>

#include "client/shell/desk/tab_arrangement.h"
#include "client/shell/setup/saved_sites.h"
#include "client/ui/rect.h"
#include "core/status.h"

namespace hv {

class cActivityLog;
class cClientSettings;
class cClientStorage;
class cMonitorCommandFile;
class cPasswordStore;
class cRegistryWords;

class cDeskSettings {
 public:
  // `keyring` is the desktop's (null when there is none); `log` is where failed saves are
  // told (null: nowhere).
  cDeskSettings(const cRegistryWords& words, cClientSettings& client, cPasswordStore* keyring,
                std::function<cClientStorage*()> storage, cActivityLog* log = nullptr);

  cClientSettings& Client() const { return client_; }
  const cRegistryWords& Words() const { return words_; }

  // The keyring passwords go to: the desktop's, when "Store Passwords In Keyring" is 1 and
  // it answers; else null (passwords stay in the registry store).
  cPasswordStore* Keyring() const;
  // The desktop's keyring whatever the setting says, when it answers; else null.
  cPasswordStore* AvailableKeyring() const;
  // "Store Passwords In Keyring" changed: every stored password moves to where the setting
  // now keeps them (nothing moves without a keyring, or when settings may not be saved).
  // Ok, or the first failure, for the caller to report with the rest of its save.
  [[nodiscard]] Status MovePasswords() const;

  // "Split View", "Show Additional Information", "Allow User Log Messages", "Current Tab
  // View", "Top Child Dialog Type", "Top Child Dialog Name", with their defaults.
  cArrangementChoices ReadMainWindow() const;
  void WriteMainWindow(const cArrangementChoices& choices) const;

  // "Main X1", "Main Y1", "Main X2", "Main Y2" (0 when missing).
  cRect ReadWindowSize() const;
  void WriteWindowSize(const cRect& rect) const;

  // After a successful setup, unless "Save Settings" is other than 1: the connection, the
  // login and the options, in their order; then "LoginUserName" and "LoginPassword" are
  // deleted when "Dont Save User Settings" is 1, else written. Ok, or the first failure.
  [[nodiscard]] Status WriteClientSettingsAfterSetup() const;
  // The desktop integration's values of "Client Settings". Ok, or the first failure.
  [[nodiscard]] Status WriteDesktopIntegrationSettings() const;
  // Tells the user of a failed save (nothing for ok), once until a save works again.
  void ReportSave(const Status& saved) const;

  cSiteRegistry SiteRegistry() const;
  // The client storage's command file monitor, or null.
  cMonitorCommandFile* CommandFileMonitor() const;

 private:
  const cRegistryWords& words_;
  cClientSettings& client_;
  cPasswordStore* keyring_;
  std::function<cClientStorage*()> storage_;
  cActivityLog* log_;
  mutable bool told_ = false;  // a failed save was told and none has worked since
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_DESK_SETTINGS_H_
