// cDialogLayout: a window described as data: its size and title, and every control with its
// kind, id, caption and position. Positions are in dialog units, which each realisation
// scales by its font (a horizontal unit is a quarter of the average character width, a
// vertical unit an eighth of the character height), so layouts keep their proportions.
#ifndef HV_CLIENT_UI_DIALOG_LAYOUT_H_
#define HV_CLIENT_UI_DIALOG_LAYOUT_H_

#include <cstdint>
#include <vector>

namespace hv {

enum class eControlKind {
  kLabel,
  kFrame,  // an invisible area the code measures (kept hidden)
  kPushButton,
  kDefaultButton,  // the button Enter presses
  kCheckBox,
  kPictureButton,  // draws a picture instead of a caption
  kEdit,
  kComboBox,
  kReportList,
  kTabControl,
  kRadioButton,  // one of a group: choosing it clears the others of the window
  kProgressBar,  // shows a position of 0 to 100
  kIconList,     // a cReportList shown as pictures with column 0's text below them
};

// Control styles, combined with |.
enum : uint32_t {
  kControlHidden = 1u << 0,
  kControlDisabled = 1u << 1,
  kEditReadOnly = 1u << 2,
  kEditPassword = 1u << 3,  // characters masked
  kEditNumber = 1u << 4,    // digits only
  kComboSorted = 1u << 5,
  kComboEditable = 1u << 6,  // has an edit part
  kLabelRightAligned = 1u << 7,
  kButtonMultiLine = 1u << 8,
  kLabelWordWrap = 1u << 9,   // a long text wraps onto further lines, from the top
  kEditMultiLine = 1u << 10,  // several lines (CR LF ends a line), scrolled when they overflow
};

// Window styles, combined with |.
enum : uint32_t {
  kWindowResizable = 1u << 0,
  kWindowMinimizeBox = 1u << 1,
  kWindowMaximizeBox = 1u << 2,
};

struct cControlLayout {
  eControlKind kind = eControlKind::kLabel;
  int32_t id = 0;
  const char* caption = "";  // program text (8-bit)
  int32_t x = 0;             // dialog units
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t styles = 0;
};

struct cDialogLayout {
  int32_t resource_id = 0;  // the number the program knows the layout by
  const char* title = "";
  int32_t width = 0;  // dialog units
  int32_t height = 0;
  uint32_t styles = 0;
  std::vector<cControlLayout> controls{};
};

}  // namespace hv

#endif  // HV_CLIENT_UI_DIALOG_LAYOUT_H_
