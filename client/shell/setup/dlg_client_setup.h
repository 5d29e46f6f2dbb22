// CDlgClientSetup: the "Setup" dialog where the user picks the server to connect to from the
// saved sites (or types a new one) and edits the program-wide options "Max Log Entries",
// "Tray Icon Type" and "Max Snapshots".
//
// Use: construct with the presets (the current connection), DoModal(&result), and after kResultOk
// read Values(). The dialog changes the caller's cClientSetupSettings while it runs, even
// when it is later cancelled: the three options whenever the controls are read, and
// "Auto Login" (to 0) as soon as "Don't save user settings" is checked. On OK it stores the
// site under its name in "Client Data" and its name as "Default Name", unless the registry
// value "Save Settings" of "Client Settings" is other than 1. Writing "Client Settings"
// after a successful connection is the caller's business.
#ifndef HV_CLIENT_SHELL_SETUP_DLG_CLIENT_SETUP_H_
#define HV_CLIENT_SHELL_SETUP_DLG_CLIENT_SETUP_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "client/shell/setup/saved_sites.h"
#include "client/ui/modal_dialog.h"
#include "client/ui/window.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cClock;
class cMonitorCommandFile;
class cToolkit;

// The dialog's values: presets going in, results coming out after OK.
struct cClientSetupValues {
  swString site_name;
  swString address;
  int32_t port = 1025;
  swString user_name;
  swString password;
  bool auto_login = false;
  bool dont_save = false;  // "Don't save user settings"
  int32_t max_log_entries = 250;
  int32_t max_snapshots = 100;
  // Desktop integration: taken over on OK only.
  bool check_connection_on_resume = true;
  bool reconnect_quickly = true;
  bool desktop_notifications = false;
  swString notify_sensors;  // sensor names, ';' between them
  bool store_passwords_in_keyring = false;
  // The house's history: taken over on OK only.
  bool record_history = true;
  int32_t keep_history_days = 365;
  int32_t history_size_mb = 200;
};

// The program-wide settings the dialog reads and changes in memory.
struct cClientSetupSettings {
  int32_t max_log_entries = 250;
  int32_t tray_icon_type = 2;  // 0 "None", 1 "Static", 2 "Flashing"
  int32_t max_snapshots = 100;
  int32_t auto_login = 0;
  swString login_sel_name;  // the saved site the automatic login came from; only read
};

// What the dialog works with besides its values; everything must outlive the dialog.
struct cClientSetupServices {
  cToolkit* toolkit = nullptr;
  const cClock* clock = nullptr;  // the monitoring dialog shows "now" from it
  cSiteRegistry registry;         // company and application words
  // The client storage's command file monitor, or null when the storage holds none.
  cMonitorCommandFile* monitor = nullptr;
  // Shows the help topic of a context id (F1); may be empty.
  std::function<void(int32_t context_id)> show_help;
  // The desktop has a tray; without one the dialog says that "Tray Icon Type" cannot hide
  // the window there.
  bool tray_available = true;
  // A keyring answers; without one the dialog says that passwords stay in the settings.
  bool keyring_available = true;
};

// Control ids of the dialog (resource 175).
enum : int32_t {
  kSetupResourceId = 175,
  kSetupNameBox = 1367,
  kSetupAddress = 1338,
  kSetupPort = 1342,
  kSetupUserName = 1343,
  kSetupPassword = 1240,
  kSetupAutoLogin = 1428,
  kSetupDontSave = 1827,
  kSetupMaxLogEntries = 1368,
  kSetupTrayIconType = 1388,
  kSetupMaxSnapshots = 1369,
  kSetupCmdFileSetup = 1689,
  kSetupDeleteSettings = 1828,
  kSetupNoTrayNote = 1829,
  // Desktop integration.
  kSetupCheckOnResume = 1840,
  kSetupReconnectQuickly = 1841,
  kSetupDesktopNotifications = 1842,
  kSetupNotifySensors = 1843,
  kSetupKeyring = 1844,
  kSetupNoKeyringNote = 1845,
  // The house's history.
  kSetupRecordHistory = 1846,
  kSetupKeepHistory = 1847,
  kSetupHistorySize = 1848,
};
constexpr int32_t kSetupHelpContext = 1039;

class CDlgClientSetup : public cModalDialog {
 public:
  CDlgClientSetup(const cClientSetupServices& services, cWindow* parent,
                  cClientSetupSettings& settings, const cClientSetupValues& presets);
  ~CDlgClientSetup() override;
  CDlgClientSetup(const CDlgClientSetup&) = delete;
  CDlgClientSetup& operator=(const CDlgClientSetup&) = delete;

  // DoModal runs the dialog: kResultOk or kResultCancel, or hv::kNotFound when the window
  // cannot be made.
  const cClientSetupValues& Values() const { return values_; }
  // The saved sites written or deleted while the dialog ran: ok, or the first failure, for the
  // caller to tell the user once.
  const Status& SitesSaved() const { return sites_saved_; }

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;
  void OnHelp() override;

 private:
  const cDialogLayout& Layout() const override;
  void OnInitDialog() override;
  void OnDialogEnded() override;
  void ShowValues();
  void LoadSiteList();
  void SelectSite();
  // Enables the auto-login box unless "Don't save user settings" is checked; when checked,
  // clears the box (and with `turn_off_auto_login` the program-wide "Auto Login").
  void ApplyDontSaveRule(bool turn_off_auto_login);
  // Reads every control into the values and the three options; false (after the range
  // message) when a number is not acceptable.
  bool TakeValuesOver();
  void OnDontSave();
  void OnDeleteSettings();
  void OnCmdFileSetup();
  void OnOk() override;

  cClientSetupServices services_;
  cClientSetupSettings& settings_;
  cClientSetupValues values_;
  Status sites_saved_;
  // The saved sites behind the name box's entries; an entry's value is its index here.
  std::vector<cNamedSavedSite> sites_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_DLG_CLIENT_SETUP_H_
