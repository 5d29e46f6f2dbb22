#include "client/shell/house_desk_layout.h"

namespace hv {

namespace {

using namespace desk;

cDialogLayout MakeLayout() {
  cDialogLayout layout;
  layout.resource_id = kResourceId;
  layout.title = "Varnholt (TM) Client";
  layout.width = 444;
  layout.height = 300;
  layout.styles = kWindowResizable | kWindowMinimizeBox | kWindowMaximizeBox;
  using K = cControlLayout;  // kind, id, caption, x, y, width, height[, styles]
  using E = eControlKind;
  layout.controls = {
      K{E::kFrame, kTopPaneFrame, "", 7, 7, 369, 95, kControlHidden},
      K{E::kTabControl, kTabControl, "", 7, 104, 369, 117},
      K{E::kFrame, kTabPagesFrame, "", 13, 109, 357, 94, kControlHidden},
      K{E::kCheckBox, kSplitView, "Split View", 7, 227, 47, 10},
      K{E::kCheckBox, kShowAdditionalInfo, "Show Addtional Information", 61, 227, 114, 10},
      K{E::kCheckBox, kAllowUserLogMessages, "Allow User Log Messages", 182, 227, 100, 10},
      K{E::kLabel, kConnectionLabel, "Control File:", 7, 245, 38, 8},
      K{E::kLabel, kTrafficIndicator, "", 46, 245, 8, 8},
      K{E::kEdit, kConnectionText, "", 54, 242, 322, 14, kEditReadOnly},
      K{E::kLabel, kClientCountLabel, "Network Connections:", 7, 264, 80, 8},
      K{E::kLabel, kClientCount, "0", 88, 264, 14, 8},
      K{E::kPushButton, kServerTimeButton, "Server Time:", 104, 261, 45, 14},
      K{E::kLabel, kServerTimeText, "Unable to contact the server", 152, 264, 100, 8},
      K{E::kLabel, kDawnDusk, "", 260, 264, 116, 8, kLabelRightAligned},
      K{E::kDefaultButton, kAddLogMessage, "Add Log Message:", 7, 280, 67, 14},
      K{E::kEdit, kLogMessageText, "", 80, 280, 296, 14},
      K{E::kPushButton, kHide, "&Hide", 382, 7, 55, 14},
      K{E::kPushButton, kExit, "E&xit", 382, 25, 55, 14},
      K{E::kPushButton, kLogOut, "&Log Out", 382, 43, 55, 14},
      K{E::kPushButton, kEmailSupport, "&Email Support", 382, 61, 55, 14},
      K{E::kPushButton, kSetup, "&Setup", 382, 79, 55, 14},
      K{E::kPushButton, kVersionInfo, "&Version Info", 382, 97, 55, 14},
      K{E::kPushButton, kDayNight, "&Day/Night", 382, 115, 55, 14},
      K{E::kPushButton, kSendX10Code, "Send &X10 Code", 382, 133, 55, 14},
      K{E::kPushButton, kHelp, "Help", 382, 151, 55, 14},
      K{E::kCheckBox, kPauseMacros, "Pause\r\nMacros", 382, 169, 39, 21, kButtonMultiLine},
      K{E::kCheckBox, kMute, "Mute", 382, 190, 32, 10},
      K{E::kPictureButton, kWebsite, "", 398, 252, 39, 42},
  };
  return layout;
}

}  // namespace

const cDialogLayout& HouseDeskLayout() {
  static const cDialogLayout layout = MakeLayout();
  return layout;
}

}  // namespace hv
