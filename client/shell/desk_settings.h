// cDeskSettings: the registry values the main window reads and writes, in the sections
// "Main Window", "WindowSize" and "Client Settings" of the application's key, and where the
// passwords are kept (the registry store or the desktop's keyring). The application owns
// one for the whole run; it borrows the registry words, the client settings and the
// keyring, and finds the client storage through `storage` (it may be replaced or gone).
#ifndef HV_CLIENT_SHELL_DESK_SETTINGS_H_
#define HV_CLIENT_SHELL_DESK_SETTINGS_H_

#include <functional>

#include "client/shell/saved_sites.h"
#include "client/shell/tab_arrangement.h"
#include "client/ui/rect.h"

namespace hv {

class cClientSettings;
class cClientStorage;
class cMonitorCommandFile;
class cPasswordStore;
class cRegistryWords;

class cDeskSettings {
 public:
  // `keyring` is the desktop's (null when there is none).
  cDeskSettings(const cRegistryWords& words, cClientSettings& client, cPasswordStore* keyring,
                std::function<cClientStorage*()> storage);

  cClientSettings& Client() const { return client_; }
  const cRegistryWords& Words() const { return words_; }

  // The keyring passwords go to: the desktop's, when "Store Passwords In Keyring" is 1 and
  // it answers; else null (passwords stay in the registry store).
  cPasswordStore* Keyring() const;
  // The desktop's keyring whatever the setting says, when it answers; else null.
  cPasswordStore* AvailableKeyring() const;
  // "Store Passwords In Keyring" changed: every stored password moves to where the setting
  // now keeps them (nothing moves without a keyring, or when settings may not be saved).
  void MovePasswords() const;

  // "Split View", "Show Additional Information", "Allow User Log Messages", "Current Tab
  // View", "Top Child Dialog Type", "Top Child Dialog Name", with their defaults.
  cArrangementChoices ReadMainWindow() const;
  void WriteMainWindow(const cArrangementChoices& choices) const;

  // "Main X1", "Main Y1", "Main X2", "Main Y2" (0 when missing).
  cRect ReadWindowSize() const;
  void WriteWindowSize(const cRect& rect) const;

  // After a successful setup, unless "Save Settings" is other than 1: the connection, the
  // login and the options, in their order; then "LoginUserName" and "LoginPassword" are
  // deleted when "Dont Save User Settings" is 1, else written.
  void WriteClientSettingsAfterSetup() const;

  cSiteRegistry SiteRegistry() const;
  // The client storage's command file monitor, or null.
  cMonitorCommandFile* CommandFileMonitor() const;

 private:
  const cRegistryWords& words_;
  cClientSettings& client_;
  cPasswordStore* keyring_;
  std::function<cClientStorage*()> storage_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_SETTINGS_H_
