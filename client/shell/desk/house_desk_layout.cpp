#include "client/shell/desk/house_desk_layout.h"

#include "client/ui/layout_rows.h"

namespace hv {

using namespace desk;

const cDialogLayout& HouseDeskLayout() {
  static const cDialogLayout kLayout = [] {
    cDialogLayout layout{.resource_id = kResourceId,
                         .title = "Varnholt (TM) Client",
                         .width = 444,
                         .height = 300,
                         .styles = kWindowResizable | kWindowMinimizeBox | kWindowMaximizeBox};
    using K = cControlLayout;  // kind, id, caption, x, y, width, height[, styles]
    using E = eControlKind;
    auto& controls = layout.controls;
    controls = {
        K{E::kFrame, kTopPaneFrame, "", 7, 7, 369, 95, kControlHidden},
        K{E::kTabControl, kTabControl, "", 7, 104, 369, 117},
        K{E::kFrame, kTabPagesFrame, "", 13, 109, 357, 94, kControlHidden},
        Check(kSplitView, "Split View", 7, 227, 47),
        Check(kShowAdditionalInfo, "Show Addtional Information", 61, 227, 114),
        Check(kAllowUserLogMessages, "Allow User Log Messages", 182, 227, 100),
        Label(kConnectionLabel, "Control File:", 7, 245, 38),
        Label(kTrafficIndicator, "", 46, 245, 8),
        Edit(kConnectionText, 54, 242, 322, kEditReadOnly),
        Label(kClientCountLabel, "Network Connections:", 7, 264, 80),
        Label(kClientCount, "0", 88, 264, 14),
        Button(kServerTimeButton, "Server Time:", 104, 261, 45),
        Label(kServerTimeText, "Unable to contact the server", 152, 264, 100),
        Label(kDawnDusk, "", 260, 264, 116, kLabelRightAligned),
        K{E::kDefaultButton, kAddLogMessage, "Add Log Message:", 7, 280, 67, 14},
        Edit(kLogMessageText, 80, 280, 296),
    };
    AddButtonColumn(layout, 382, 7,
                    {{kHide, "&Hide"},
                     {kExit, "E&xit"},
                     {kLogOut, "&Log Out"},
                     {kEmailSupport, "&Email Support"},
                     {kSetup, "&Setup"},
                     {kVersionInfo, "&Version Info"},
                     {kDayNight, "&Day/Night"},
                     {kSendX10Code, "Send &X10 Code"},
                     {kHelp, "Help"}});
    controls.push_back(
        K{E::kCheckBox, kPauseMacros, "Pause\r\nMacros", 382, 169, 39, 21, kButtonMultiLine});
    controls.push_back(Check(kMute, "Mute", 382, 190, 32));
    controls.push_back(Button(kHistory, "Histor&y...", 382, 204));
    // A picture button shows no caption; its caption is what a screen reader says.
    controls.push_back(K{E::kPictureButton, kWebsite, "Varnholt Web Site", 398, 252, 39, 42});
    return layout;
  }();
  return kLayout;
}

}  // namespace hv
