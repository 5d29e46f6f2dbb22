#include "client/shell/setup/dlg_client_setup.h"

#include <strings.h>
#include <climits>
#include <cstddef>
#include <iterator>

#include "client/cmdfile/dlg_command_file_monitoring.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/platform/settings_writer.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/dlg_client_setup_layout.h"
#include "client/ui/command_routes.h"
#include "client/ui/number_field.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "core/profile/profile.h"
#include "core/status.h"

namespace hv {

namespace {

struct cTrayIconChoice {
  const char* text;
  int32_t value;
};
constexpr cTrayIconChoice kTrayIconChoices[] = {{"None", 0}, {"Static", 1}, {"Flashing", 2}};

// The options are counts, so a negative one would make no sense to the program.
constexpr int32_t kMaxOptionNumber = INT32_MAX;

// Which control shows which of the dialog's values: ShowValues fills the controls from these
// rows and TakeValuesOver reads them back, so a value is bound to its control once. OK checks
// the numbers in the order of the rows: the first one out of its range is the one the user is
// told about.
struct cValueControl {
  int32_t id;
  swString cClientSetupValues::*text = nullptr;
  bool cClientSetupValues::*check = nullptr;
  int32_t cClientSetupValues::*number = nullptr;
  int32_t minimum = 0, maximum = 0;  // a number's range
};
using Values = cClientSetupValues;
constexpr cValueControl kValueControls[] = {
    {.id = kSetupNameBox, .text = &Values::site_name},
    {.id = kSetupAddress, .text = &Values::address},
    {.id = kSetupPort, .number = &Values::port, .minimum = 0, .maximum = 65535},
    {.id = kSetupUserName, .text = &Values::user_name},
    {.id = kSetupPassword, .text = &Values::password},
    {.id = kSetupAutoLogin, .check = &Values::auto_login},
    {.id = kSetupDontSave, .check = &Values::dont_save},
    {.id = kSetupCheckOnResume, .check = &Values::check_connection_on_resume},
    {.id = kSetupReconnectQuickly, .check = &Values::reconnect_quickly},
    {.id = kSetupDesktopNotifications, .check = &Values::desktop_notifications},
    {.id = kSetupNotifySensors, .text = &Values::notify_sensors},
    {.id = kSetupKeyring, .check = &Values::store_passwords_in_keyring},
    {.id = kSetupRecordHistory, .check = &Values::record_history},
    // A day and a megabyte at least: a store that keeps nothing is "Record History" off.
    {.id = kSetupKeepHistory, .number = &Values::keep_history_days, .minimum = 1, .maximum = 36500},
    {.id = kSetupHistorySize, .number = &Values::history_size_mb, .minimum = 1, .maximum = 1000000},
    {.id = kSetupMaxLogEntries, .number = &Values::max_log_entries, .maximum = kMaxOptionNumber},
    {.id = kSetupMaxSnapshots, .number = &Values::max_snapshots, .maximum = kMaxOptionNumber},
};

swString NumberText(int32_t number) {
  swString text;
  text.Format("%d", number);
  return text;
}

bool StartsWithNoCase(const swString& text, const swString& prefix) {
  return strncasecmp(text.CStr(), prefix.CStr(), prefix.GetLength()) == 0;
}

}  // namespace

CDlgClientSetup::CDlgClientSetup(const cClientSetupServices& services, cWindow* parent,
                                 cClientSetupSettings& settings, const cClientSetupValues& presets)
    : cModalDialog(services.toolkit, parent),
      services_(services),
      settings_(settings),
      values_(presets) {
  // The option fields always start from the program's own settings.
  values_.max_log_entries = settings_.max_log_entries;
  values_.max_snapshots = settings_.max_snapshots;
  values_.auto_login = settings_.auto_login == 1;
}

CDlgClientSetup::~CDlgClientSetup() = default;

const cDialogLayout& CDlgClientSetup::Layout() const { return ClientSetupLayout(); }

void CDlgClientSetup::OnDialogEnded() { sites_.clear(); }

void CDlgClientSetup::OnInitDialog() {
  cWindow& window = *Window();
  ShowValues();

  LoadSiteList();
  SetControlText(window, kSetupNameBox, ReadDefaultSiteName(services_.registry).CStr());
  SelectSite();

  if (cComboBox* tray = window.ComboBox(kSetupTrayIconType)) {
    tray->DeleteAllEntries();
    for (const cTrayIconChoice& choice : kTrayIconChoices) {
      tray->AddEntry(choice.text, static_cast<cItemValue>(choice.value));
    }
    tray->Select(-1);
    for (int32_t i = 0; i < tray->EntryCount(); ++i) {
      if (tray->EntryValue(i) == static_cast<cItemValue>(settings_.tray_icon_type)) tray->Select(i);
    }
  }

  if (cControl* note = window.Control(kSetupNoTrayNote)) note->Show(!services_.tray_available);
  if (cControl* note = window.Control(kSetupNoKeyringNote)) {
    note->Show(!services_.keyring_available);
  }

  // The values were just shown from the settings, so nothing needs reading back here; the
  // rule only has to hold for the box as it stands.
  ApplyDontSaveRule(true);
  SetControlText(window, kSetupMaxLogEntries, NumberText(settings_.max_log_entries).CStr());
  SetControlText(window, kSetupMaxSnapshots, NumberText(settings_.max_snapshots).CStr());
  SetCheck(window, kSetupAutoLogin, settings_.auto_login == 1);
}

void CDlgClientSetup::ShowValues() {
  cWindow& window = *Window();
  for (const cValueControl& row : kValueControls) {
    if (row.text != nullptr) SetControlText(window, row.id, (values_.*row.text).CStr());
    if (row.check != nullptr) SetCheck(window, row.id, values_.*row.check);
    if (row.number != nullptr) {
      SetControlText(window, row.id, NumberText(values_.*row.number).CStr());
    }
  }
}

void CDlgClientSetup::LoadSiteList() {
  cComboBox* names = Window()->ComboBox(kSetupNameBox);
  if (names == nullptr) return;
  // The box's text is what the user typed; refilling the list must not lose it.
  const swString typed = names->Text();
  names->DeleteAllEntries();
  sites_.clear();
  LoadSavedSites(services_.registry, &sites_)
      .Ignore("a name list too long to read leaves the box empty; the user can still type a site");
  for (size_t i = 0; i < sites_.size(); ++i) {
    names->AddEntry(sites_[i].name.CStr(), static_cast<cItemValue>(i));
  }
  names->SetText(typed.CStr());
}

void CDlgClientSetup::SelectSite() {
  cWindow& window = *Window();
  cComboBox* names = window.ComboBox(kSetupNameBox);
  if (names == nullptr) return;
  int32_t entry = names->Selection();
  if (entry < 0) {
    const swString typed = names->Text();
    for (int32_t i = 0; i < names->EntryCount(); ++i) {
      if (StartsWithNoCase(names->EntryText(i), typed)) {
        entry = i;
        break;
      }
    }
    // The box then names the site whose values it shows, so OK stores them under that name
    // instead of under the typed beginning.
    if (entry >= 0) names->Select(entry);
  }
  if (entry < 0) return;
  const cItemValue index = names->EntryValue(entry);
  if (index >= sites_.size()) return;
  const cNamedSavedSite& named = sites_[static_cast<size_t>(index)];
  const cSavedSite& site = named.site;
  SetControlText(window, kSetupAddress, site.address.CStr());
  SetControlText(window, kSetupPort, NumberText(site.port).CStr());
  SetControlText(window, kSetupUserName, site.user_name.CStr());
  SetControlText(window, kSetupPassword, site.password.CStr());
  SetCheck(window, kSetupDontSave, site.dont_save != 0);
  SetCheck(window, kSetupAutoLogin,
           named.name == settings_.login_sel_name && settings_.auto_login == 1);
  // A site whose user settings are not kept cannot log in by itself; the program-wide
  // setting is only changed when the user checks the box.
  ApplyDontSaveRule(false);
}

void CDlgClientSetup::ApplyDontSaveRule(bool turn_off_auto_login) {
  cWindow& window = *Window();
  cButton* auto_login = window.Button(kSetupAutoLogin);
  if (IsChecked(window, kSetupDontSave)) {
    if (turn_off_auto_login) settings_.auto_login = 0;
    if (auto_login != nullptr) {
      auto_login->SetCheck(0);
      auto_login->Enable(false);
    }
  } else if (auto_login != nullptr) {
    auto_login->Enable(true);
  }
}

bool CDlgClientSetup::TakeValuesOver() {
  cWindow& window = *Window();
  cMessageBox& message_box = services_.toolkit->MessageBox();
  // Nothing is taken over unless every number is in its range.
  int32_t numbers[std::size(kValueControls)] = {};
  for (size_t i = 0; i < std::size(kValueControls); ++i) {
    const cValueControl& row = kValueControls[i];
    if (row.number != nullptr &&
        !ReadNumberField(window, row.id, row.minimum, row.maximum, message_box, &numbers[i])) {
      return false;
    }
  }
  for (size_t i = 0; i < std::size(kValueControls); ++i) {
    const cValueControl& row = kValueControls[i];
    if (row.text != nullptr) values_.*row.text = ControlText(window, row.id);
    if (row.check != nullptr) values_.*row.check = IsChecked(window, row.id);
    if (row.number != nullptr) values_.*row.number = numbers[i];
  }

  settings_.max_log_entries = values_.max_log_entries;
  settings_.max_snapshots = values_.max_snapshots;
  if (cComboBox* tray = window.ComboBox(kSetupTrayIconType)) {
    const int32_t chosen = tray->Selection();
    if (chosen >= 0) settings_.tray_icon_type = static_cast<int32_t>(tray->EntryValue(chosen));
  }
  return true;
}

void CDlgClientSetup::OnCommand(int32_t id, eCommandEvent event) {
  static constexpr cCommandRoute<CDlgClientSetup> kRoutes[] = {
      {kSetupNameBox, eCommandEvent::kSelectionChanged, &CDlgClientSetup::SelectSite},
      {kSetupDontSave, eCommandEvent::kClicked, &CDlgClientSetup::OnDontSave},
      {kSetupDeleteSettings, eCommandEvent::kClicked, &CDlgClientSetup::OnDeleteSettings},
      {kSetupCmdFileSetup, eCommandEvent::kClicked, &CDlgClientSetup::OnCmdFileSetup},
  };
  AnswerCommand(kRoutes, id, event);
}

void CDlgClientSetup::OnHelp() {
  if (services_.show_help) services_.show_help(kSetupHelpContext);
}

void CDlgClientSetup::OnDontSave() {
  // The rule follows the box even when a number is refused: the box has changed by now.
  (void)TakeValuesOver();
  ApplyDontSaveRule(true);
}

void CDlgClientSetup::OnDeleteSettings() {
  if (!TakeValuesOver()) return;
  cWindow& window = *Window();
  // The name the user sees: the chosen entry's text, or what was typed over it.
  KeepFirstFailure(&sites_saved_, DeleteSavedSite(services_.registry, values_.site_name.CStr()));
  values_.port = 0;
  values_.address = "";
  values_.password = "";
  values_.user_name = "";
  values_.site_name = "";
  SetControlText(window, kSetupNameBox, "");
  LoadSiteList();
  if (cComboBox* names = window.ComboBox(kSetupNameBox)) names->Select(-1);
  SetControlText(window, kSetupNameBox, "");
  SetControlText(window, kSetupAddress, "");
  SetControlText(window, kSetupPort, "0");
  SetControlText(window, kSetupUserName, "");
  SetControlText(window, kSetupPassword, "");
}

void CDlgClientSetup::OnCmdFileSetup() {
  if (!TakeValuesOver()) return;
  if (services_.monitor == nullptr || services_.clock == nullptr) return;
  // The dialog edits a copy, so Cancel leaves the monitor exactly as it was.
  cMonitorCommandFile copy = *services_.monitor;
  CDlgCommandFileMonitoring dialog(*services_.toolkit, *services_.clock, Window(), copy,
                                   services_.show_help);
  int32_t result = kResultCancel;
  dialog.DoModal(&result).Ignore("a dialog that cannot open leaves the monitor as it was");
  if (result == kResultOk) *services_.monitor = copy;
}

void CDlgClientSetup::OnOk() {
  if (!TakeValuesOver()) return;
  if (ClientSettingsMayBeSaved(services_.registry.company, services_.registry.application) &&
      values_.site_name.GetLength() > 0) {
    cSavedSite site;
    site.address = values_.address;
    site.port = values_.port;
    site.user_name = values_.user_name;
    site.password = values_.password;
    site.dont_save = values_.dont_save ? 1 : 0;
    KeepFirstFailure(&sites_saved_,
                     WriteSavedSite(services_.registry, values_.site_name.CStr(), site));
    KeepFirstFailure(&sites_saved_,
                     WriteDefaultSiteName(services_.registry, values_.site_name.CStr()));
  }
  Window()->EndDialog(kResultOk);
}

}  // namespace hv
