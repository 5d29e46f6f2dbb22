#include "client/shell/setup/desk_setup.h"

#include "client/platform/settings_writer.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/desk_settings.h"
#include "client/shell/setup/dlg_client_setup.h"
#include "client/ui/window.h"

namespace hv {

namespace {

cClientSetupValues PresetsOf(const cClientSettings& settings) {
  cClientSetupValues presets;
  presets.dont_save = settings.dont_save_user_settings != 0;
  presets.address = settings.address;
  presets.port = settings.port;
  presets.user_name = settings.user_name;
  presets.password = settings.password;
  presets.max_log_entries = settings.max_log_entries;
  presets.max_snapshots = settings.max_snapshots;
  presets.check_connection_on_resume = settings.check_connection_on_resume == 1;
  presets.reconnect_quickly = settings.reconnect_quickly == 1;
  presets.desktop_notifications = settings.desktop_notifications == 1;
  presets.notify_sensors = settings.notify_sensors;
  presets.store_passwords_in_keyring = settings.store_passwords_in_keyring == 1;
  presets.record_history = settings.record_history == 1;
  presets.keep_history_days = static_cast<int32_t>(settings.keep_history_days);
  presets.history_size_mb = static_cast<int32_t>(settings.history_size_mb);
  return presets;
}

// The connection of the dialog: it becomes the automatic login too when there is none yet,
// when it is the site the automatic login uses, or when the user asked for it.
void TakeConnection(const cClientSetupValues& values, cClientSettings& settings) {
  if (settings.login_sel_name.GetLength() == 0 || settings.login_sel_name == values.site_name ||
      values.auto_login) {
    settings.login_sel_name = values.site_name;
    settings.login_address = values.address;
    settings.login_port = values.port;
    settings.login_user_name = values.user_name;
    settings.login_password = values.password;
    settings.auto_login = values.auto_login ? 1 : 0;
  }
  settings.address = values.address;
  settings.port = values.port;
  settings.user_name = values.user_name;
  settings.password = values.password;
}

}  // namespace

bool cDeskSetup::Run(cWindow* parent) {
  cDeskSettings& desk = *services_.settings;
  cClientSettings& settings = desk.Client();
  cClientSetupSettings options;
  options.max_log_entries = settings.max_log_entries;
  options.tray_icon_type = settings.tray_icon_type;
  options.max_snapshots = settings.max_snapshots;
  options.auto_login = settings.auto_login;
  options.login_sel_name = settings.login_sel_name;

  cClientSetupServices services;
  services.toolkit = services_.toolkit;
  services.clock = services_.clock;
  services.registry = desk.SiteRegistry();
  services.monitor = desk.CommandFileMonitor();
  services.show_help = services_.show_help;
  if (services_.tray_available) services.tray_available = services_.tray_available();
  services.keyring_available = desk.AvailableKeyring() != nullptr;
  int32_t result = kResultCancel;
  cClientSetupValues values;
  // Everything the setup writes is one save to the user: a failure is told once, at the end.
  Status saved;
  {
    CDlgClientSetup dialog(services, parent, options, PresetsOf(settings));
    dialog.DoModal(&result).Ignore(
        "a dialog that cannot open leaves the result at Cancel, and Cancel changes nothing");
    values = dialog.Values();
    saved = dialog.SitesSaved();
  }
  settings.max_log_entries = options.max_log_entries;
  settings.tray_icon_type = options.tray_icon_type;
  settings.max_snapshots = options.max_snapshots;
  settings.auto_login = options.auto_login;
  if (result != kResultOk) {
    desk.ReportSave(saved);
    return false;
  }

  settings.dont_save_user_settings = values.dont_save ? 1 : 0;
  settings.check_connection_on_resume = values.check_connection_on_resume ? 1 : 0;
  settings.reconnect_quickly = values.reconnect_quickly ? 1 : 0;
  settings.desktop_notifications = values.desktop_notifications ? 1 : 0;
  settings.notify_sensors = values.notify_sensors;
  const bool keyring_was_on = settings.store_passwords_in_keyring == 1;
  settings.store_passwords_in_keyring = values.store_passwords_in_keyring ? 1 : 0;
  settings.record_history = values.record_history ? 1 : 0;
  settings.keep_history_days = static_cast<uint32_t>(values.keep_history_days);
  settings.history_size_mb = static_cast<uint32_t>(values.history_size_mb);
  if (services_.history_settings_changed) services_.history_settings_changed();
  KeepFirstFailure(&saved, desk.WriteDesktopIntegrationSettings());
  if (keyring_was_on != (settings.store_passwords_in_keyring == 1)) {
    KeepFirstFailure(&saved, desk.MovePasswords());
  }
  TakeConnection(values, settings);

  if (services_.reconnect().failed()) {
    if (services_.connect_failed) services_.connect_failed(parent);
  } else {
    KeepFirstFailure(&saved, desk.WriteClientSettingsAfterSetup());
  }
  desk.ReportSave(saved);
  return true;
}

}  // namespace hv
