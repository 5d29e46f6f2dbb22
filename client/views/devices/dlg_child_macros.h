// CDlgChildMacros: the server's macros with their state and a summary of their triggers and
// actions; clicking a row's check box starts the macro, or stops a running one. A row's box
// means "running": rows are listed unchecked, and the box follows the macro's state from its
// first status change on.
#ifndef HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_MACROS_H_
#define HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_MACROS_H_

#include <cstdint>

#include "client/views/devices/item_list_view.h"

namespace hv {

// Macro states.
enum : uint32_t {
  kMacroDisabled = 1,
  kMacroMonitoring = 2,
  kMacroInProgress = 3,
};

class CDlgChildMacros : public cItemListView, public cMacrosFeed {
 public:
  CDlgChildMacros(int32_t placement, const cItemViewServices& services);

  // Empties the list and sends Get macros. Always ok.
  Status RequestMacros() { return RequestItems(); }

  // The list as cTabChildDlg places it, and the title and info labels stretched to the
  // right margin with it.
  void LayoutChild(const cRect* rect) override;

  ViewFeeds Feeds() override { return {static_cast<cMacrosFeed*>(this), this}; }

  // cMacrosFeed
  // One Macro item: a new unchecked row at the end. Declined when the view takes no items now
  // or the item ends the list; kOutOfMemory when the list refuses the row; else ok.
  Status AddMacro(const MacroRecord& record) override;
  // Every row of that exact name shows the new state, checked exactly while in progress.
  // Declined when the view is not initialised; else ok.
  Status SetMacroStatus(const MacroStatusRecord& record) override;

  // "Any Active", "All Active" or "?".
  static const char* TriggerWhenText(uint32_t trigger_when);
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_MACROS_H_
