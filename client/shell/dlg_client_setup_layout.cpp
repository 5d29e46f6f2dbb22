#include "client/shell/dlg_client_setup_layout.h"

#include "client/shell/dlg_client_setup.h"

namespace hv {

namespace {

constexpr int32_t kStatic = -1;  // labels nobody addresses

cDialogLayout MakeLayout() {
  cDialogLayout layout;
  layout.resource_id = kSetupResourceId;
  layout.title = "Setup";
  layout.width = 262;
  layout.height = 262;
  using K = cControlLayout;  // kind, id, caption, x, y, width, height[, styles]
  using E = eControlKind;
  layout.controls = {
      K{E::kLabel, kStatic, "Name:", 7, 10, 58, 8},
      K{E::kComboBox, kSetupNameBox, "", 68, 7, 122, 14, kComboSorted | kComboEditable},
      K{E::kLabel, kStatic, "IP Address:", 7, 28, 58, 8},
      K{E::kEdit, kSetupAddress, "", 68, 25, 122, 14},
      K{E::kLabel, kStatic, "Port:", 7, 46, 58, 8},
      K{E::kEdit, kSetupPort, "", 68, 43, 44, 14, kEditNumber},
      K{E::kLabel, kStatic, "User Name:", 7, 64, 58, 8},
      K{E::kEdit, kSetupUserName, "", 68, 61, 122, 14},
      K{E::kLabel, kStatic, "Password:", 7, 82, 58, 8},
      K{E::kEdit, kSetupPassword, "", 68, 79, 122, 14, kEditPassword},
      K{E::kCheckBox, kSetupAutoLogin, "Automatically log in at startup", 7, 99, 183, 10},
      K{E::kCheckBox, kSetupDontSave, "Don't save user settings", 7, 113, 183, 10},
      K{E::kLabel, kStatic, "Max Log Entries:", 7, 134, 58, 8},
      K{E::kEdit, kSetupMaxLogEntries, "", 68, 131, 44, 14, kEditNumber},
      K{E::kLabel, kStatic, "Tray Icon Type:", 7, 152, 58, 8},
      K{E::kComboBox, kSetupTrayIconType, "", 68, 149, 70, 14, kComboSorted},
      K{E::kLabel, kSetupNoTrayNote, "This desktop has no tray", 142, 152, 113, 8, kControlHidden},
      K{E::kLabel, kStatic, "Max Snapshots:", 7, 170, 58, 8},
      K{E::kEdit, kSetupMaxSnapshots, "", 68, 167, 44, 14, kEditNumber},
      K{E::kDefaultButton, kResultOk, "OK", 200, 7, 55, 14},
      K{E::kPushButton, kResultCancel, "Cancel", 200, 25, 55, 14},
      K{E::kPushButton, kSetupDeleteSettings, "Delete Settings", 200, 43, 55, 14},
      K{E::kPushButton, kSetupCmdFileSetup, "&Cmd File Setup", 195, 167, 60, 14},
      // Desktop integration.
      K{E::kCheckBox, kSetupCheckOnResume, "Check the connection when the computer wakes", 7, 188,
        248, 10},
      K{E::kCheckBox, kSetupReconnectQuickly, "Reconnect quickly when the connection is lost", 7,
        201, 248, 10},
      K{E::kCheckBox, kSetupDesktopNotifications, "Show desktop notifications", 7, 214, 248, 10},
      K{E::kLabel, kStatic, "Notify sensors:", 7, 230, 58, 8},
      K{E::kEdit, kSetupNotifySensors, "", 68, 227, 187, 14},
      K{E::kCheckBox, kSetupKeyring, "Store passwords in the desktop keyring", 7, 245, 150, 10},
      K{E::kLabel, kSetupNoKeyringNote, "No keyring answers here", 160, 246, 95, 8, kControlHidden},
  };
  return layout;
}

}  // namespace

const cDialogLayout& ClientSetupLayout() {
  static const cDialogLayout layout = MakeLayout();
  return layout;
}

}  // namespace hv
