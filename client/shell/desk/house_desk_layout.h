// The main window's layout (dialog resource 102) and the ids of its controls. Positions are
// the initial layout in dialog units; the main window measures its resizing metrics from
// them once the window exists.
#ifndef HV_CLIENT_SHELL_DESK_HOUSE_DESK_LAYOUT_H_
#define HV_CLIENT_SHELL_DESK_HOUSE_DESK_LAYOUT_H_

#include <cstdint>

#include "client/ui/dialog_layout.h"

namespace hv {

namespace desk {

constexpr int32_t kResourceId = 102;

constexpr int32_t kTopPaneFrame = 1514;  // hidden: where the split view's top view goes
constexpr int32_t kTabControl = 1449;
constexpr int32_t kTabPagesFrame = 1515;  // hidden: where the tabbed views go
constexpr int32_t kSplitView = 1516;
constexpr int32_t kShowAdditionalInfo = 1819;
constexpr int32_t kAllowUserLogMessages = 1820;
constexpr int32_t kConnectionLabel = 1823;
constexpr int32_t kTrafficIndicator = 1184;
constexpr int32_t kConnectionText = 1144;
constexpr int32_t kClientCountLabel = 1354;
constexpr int32_t kClientCount = 1355;
constexpr int32_t kServerTimeButton = 1358;
constexpr int32_t kServerTimeText = 1356;
constexpr int32_t kDawnDusk = 1821;
constexpr int32_t kAddLogMessage = 1426;
constexpr int32_t kLogMessageText = 1242;
constexpr int32_t kHide = 1007;
constexpr int32_t kExit = 1;
constexpr int32_t kCancel = 2;  // Escape and the close box
constexpr int32_t kLogOut = 1541;
constexpr int32_t kEmailSupport = 1238;
constexpr int32_t kSetup = 1000;
constexpr int32_t kVersionInfo = 1369;
constexpr int32_t kDayNight = 1251;
constexpr int32_t kSendX10Code = 1317;
constexpr int32_t kHelp = 1532;
constexpr int32_t kPauseMacros = 1187;
constexpr int32_t kMute = 1268;
constexpr int32_t kHistory = 1650;
constexpr int32_t kWebsite = 1638;

// The system menu's about entry, and the range of system commands that open it.
constexpr int32_t kAboutCommand = 16;
constexpr int32_t kAboutCommandLast = 31;

// The tab menu (popup menu 203 "Tab Menu").
constexpr int32_t kShowOnTopCommand = 32776;
constexpr int32_t kCreateSeparateDialogCommand = 32777;

// Help context of the main window.
constexpr int32_t kHelpContext = 1000;

}  // namespace desk

// The layout of resource 102.
const cDialogLayout& HouseDeskLayout();

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_HOUSE_DESK_LAYOUT_H_
