// cDeskSettings: the registry values the main window reads and writes, in the sections
// "Main Window", "WindowSize" and "Client Settings" of the application's key. A light view
// over the application object; make one where it is needed.
#ifndef HV_CLIENT_SHELL_DESK_SETTINGS_H_
#define HV_CLIENT_SHELL_DESK_SETTINGS_H_

#include "client/shell/saved_sites.h"
#include "client/shell/tab_arrangement.h"
#include "client/ui/rect.h"

namespace hv {

class CHouseDeskApp;
class cClientSettings;
class cMonitorCommandFile;

class cDeskSettings {
 public:
  explicit cDeskSettings(CHouseDeskApp& app) : app_(app) {}

  cClientSettings& Client() const;

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
  CHouseDeskApp& app_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_SETTINGS_H_
