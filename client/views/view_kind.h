// The kinds of data view the main window shows, and what sets each apart, one row per kind:
// the caption and code of its fixed tab, its dialog resource, and whether it asks the server
// for its list. What a kind's view is made of (its class, layout and feed) is named where
// views are made (view_maker.h), in switches over the kind that the compiler checks.
#ifndef HV_CLIENT_VIEWS_VIEW_KIND_H_
#define HV_CLIENT_VIEWS_VIEW_KIND_H_

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>

namespace hv {

// The numbers are stored ("Top Child Dialog Type" in "Main Window"): a kind keeps its number.
enum class ViewKind : int32_t {
  kActivityLog = 1,
  kSwitches = 2,
  kSensors = 3,
  kMacros = 4,
  kModes = 5,
  kVideo = 6,
};

// The tab code of a kind that has no fixed tab: video sources get a tab each.
constexpr int32_t kNoFixedTab = -1;
// A video source's tab is coded this plus the source's number; the codes are stored ("Current
// Tab View"), so every code from here up is a video tab's, and a new fixed tab takes the next
// free code below 0 (-2, -3, ...).
constexpr int32_t kFirstVideoTabCode = 5;

struct ViewKindRow {
  ViewKind kind;
  // The fixed tab's caption, and the view's name there; for a kind without a fixed tab, the
  // title of its views until they are named after their source.
  const char* caption;
  // The fixed tab's value, stored as "Current Tab View"; kNoFixedTab for none. Below
  // kFirstVideoTabCode.
  int32_t tab_code;
  int32_t resource_id;
  // The server fills the list on the view's request (a refresh asks again).
  bool asks_for_items;
};

// In the order of the fixed tabs, which is also the order of the kinds' numbers.
inline constexpr ViewKindRow kViewKindRows[] = {
    {ViewKind::kActivityLog, "Activity Log", 4, 202, false},
    {ViewKind::kSwitches, "Switches", 0, 199, true},
    {ViewKind::kSensors, "Sensors", 1, 200, true},
    {ViewKind::kMacros, "Macros", 2, 201, true},
    {ViewKind::kModes, "Modes", 3, 238, true},
    {ViewKind::kVideo, "Video", kNoFixedTab, 198, false},
};

constexpr int32_t ViewKindNumber(ViewKind kind) { return static_cast<int32_t>(kind); }

// The row of a kind; rows are looked up by number, which the check below keeps in step.
constexpr const ViewKindRow& RowOfKind(ViewKind kind) {
  return kViewKindRows[ViewKindNumber(kind) - 1];
}

// Names every kind once, so that -Wswitch points here at a new kind; the check below then
// wants its row, for a kind without one would be read past the end of the table.
constexpr size_t KindsNamed() {
  size_t named = 0;
  for (int32_t number = 1; number <= 64; ++number) {
    switch (static_cast<ViewKind>(number)) {
      case ViewKind::kActivityLog:
      case ViewKind::kSwitches:
      case ViewKind::kSensors:
      case ViewKind::kMacros:
      case ViewKind::kModes:
      case ViewKind::kVideo: ++named; break;
    }
  }
  return named;
}
static_assert(KindsNamed() == std::size(kViewKindRows), "every ViewKind needs its row");

constexpr bool RowsFollowTheNumbers() {
  int32_t number = 1;
  for (const ViewKindRow& row : kViewKindRows) {
    if (ViewKindNumber(row.kind) != number++ || row.tab_code >= kFirstVideoTabCode) return false;
  }
  return true;
}
static_assert(
    RowsFollowTheNumbers(),
    "kViewKindRows lists the kinds in number order, their tab codes below the video tabs'");

// The kind a stored number names; none for a number no kind has (a hand-edited setting).
constexpr std::optional<ViewKind> ViewKindOfNumber(int64_t number) {
  for (const ViewKindRow& row : kViewKindRows) {
    if (ViewKindNumber(row.kind) == number) return row.kind;
  }
  return std::nullopt;
}

// The kind whose fixed tab has that code; none for a video tab's code or an unknown one.
constexpr std::optional<ViewKind> ViewKindOfTabCode(int64_t code) {
  for (const ViewKindRow& row : kViewKindRows) {
    if (row.tab_code != kNoFixedTab && row.tab_code == code) return row.kind;
  }
  return std::nullopt;
}

constexpr bool IsVideoTabCode(int64_t code) { return code >= kFirstVideoTabCode; }

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIEW_KIND_H_
