#include "client/shell/setup/dlg_client_setup_layout.h"

#include "client/shell/setup/dlg_client_setup.h"
#include "client/ui/layout_rows.h"

namespace hv {

const cDialogLayout& ClientSetupLayout() {
  static const cDialogLayout kLayout = [] {
    cDialogLayout layout{
        .resource_id = kSetupResourceId, .title = "Setup", .width = 262, .height = 292};
    cFormRows rows(layout, {.label_x = 7, .label_width = 58, .field_x = 68, .top = 7});
    rows.Field("Name:", ComboField(kSetupNameBox, 122, kComboSorted | kComboEditable));
    rows.Field("IP Address:", EditField(kSetupAddress, 122));
    rows.Field("Port:", EditField(kSetupPort, 44, kEditNumber));
    rows.Field("User Name:", EditField(kSetupUserName, 122));
    rows.Field("Password:", EditField(kSetupPassword, 122, kEditPassword));
    auto& controls = layout.controls;
    controls.push_back(Check(kSetupAutoLogin, "Automatically log in at startup", 7, 99, 183));
    controls.push_back(Check(kSetupDontSave, "Don't save user settings", 7, 113, 183));
    rows.At(131).Field("Max Log Entries:", EditField(kSetupMaxLogEntries, 44, kEditNumber));
    rows.Field("Tray Icon Type:", ComboField(kSetupTrayIconType, 70, kComboSorted))
        .BesideLabel(kSetupNoTrayNote, "This desktop has no tray", 142, 113, kControlHidden);
    rows.Field("Max Snapshots:", EditField(kSetupMaxSnapshots, 44, kEditNumber));
    AddButtonColumn(layout, 200, 7,
                    {{kResultOk, "OK", eControlKind::kDefaultButton},
                     {kResultCancel, "Cancel"},
                     {kSetupDeleteSettings, "Delete Settings"}});
    controls.push_back(Button(kSetupCmdFileSetup, "&Cmd File Setup", 195, 167, 60));
    // Desktop integration.
    controls.push_back(
        Check(kSetupCheckOnResume, "Check the connection when the computer wakes", 7, 188, 248));
    controls.push_back(Check(kSetupReconnectQuickly,
                             "Reconnect quickly when the connection is lost", 7, 201, 248));
    controls.push_back(
        Check(kSetupDesktopNotifications, "Show desktop notifications", 7, 214, 248));
    rows.At(227).Field("Notify sensors:", EditField(kSetupNotifySensors, 187));
    controls.push_back(Check(kSetupKeyring, "Store passwords in the desktop keyring", 7, 245, 150));
    controls.push_back(
        Label(kSetupNoKeyringNote, "No keyring answers here", 160, 246, 95, kControlHidden));
    // The house's history.
    controls.push_back(Check(kSetupRecordHistory, "Record &History", 7, 261, 70));
    // The two limits stand one under the other: side by side, the second label was cut off.
    rows.Row(259)
        .BesideLabel(kUnaddressed, "Keep History (days):", 80, 74)
        .BesideField(156, EditField(kSetupKeepHistory, 30, kEditNumber));
    rows.Row(275)
        .BesideLabel(kUnaddressed, "Size limit (MB):", 80, 74)
        .BesideField(156, EditField(kSetupHistorySize, 30, kEditNumber));
    return layout;
  }();
  return kLayout;
}

}  // namespace hv
