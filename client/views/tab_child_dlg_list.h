// cTabChildDlgList: the views of the main window, tabbed and top pane together. The list
// owns its views. Walks are safe against views being added or deleted while they run (a
// view's handler may re-enter the main window): a view deleted during a walk is skipped
// from then on and destroyed when the outermost walk ends.
//
// Any wait runs the event loop, so a view may be deleted while a call of its own is still on
// the stack (its send waits and a reconnect rebuilds the views). With an event loop given,
// a deleted view is retired instead: hidden and out of the list at once, its lifetime ended
// so the waiting call can tell, and destroyed when the loop's outermost pass has ended.
#ifndef HV_CLIENT_VIEWS_TAB_CHILD_DLG_LIST_H_
#define HV_CLIENT_VIEWS_TAB_CHILD_DLG_LIST_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "client/platform/lifetime.h"
#include "client/views/tab_child_dlg.h"

namespace hv {

class cEventLoop;

class cTabChildDlgList {
 public:
  cTabChildDlgList() = default;
  ~cTabChildDlgList();
  cTabChildDlgList(const cTabChildDlgList&) = delete;
  cTabChildDlgList& operator=(const cTabChildDlgList&) = delete;

  // Deleted views are retired through `loop` from now on (not owned; must outlive the list,
  // or be given again as null first). Null ends retiring: views retired so far are destroyed
  // now (their windows must go before the window that hosts them), unless a walk runs.
  void SetRetirement(cEventLoop* loop);
  size_t RetiredCount() const { return doomed_.size(); }

  // Takes the view; returns it (null when view was null).
  cTabChildDlg* Add(std::unique_ptr<cTabChildDlg> view);
  // Removes and destroys the view. False when it is not in the list.
  bool Delete(cTabChildDlg* view);
  // Removes and destroys every view with exactly that name; returns how many.
  [[nodiscard]] int32_t DeleteNamed(const char* name);
  void DeleteAll();

  // The first view with exactly that name and placement (0 matches any placement), or null.
  cTabChildDlg* Find(const char* name, int32_t placement) const;
  bool Contains(const cTabChildDlg* view) const;
  int32_t Count() const;

  // Calls fn for every view in the order added; views added during the walk are not visited.
  void ForEach(const std::function<void(cTabChildDlg&)>& fn);

 private:
  void Compact();
  // Destroys the retired views unless a walk is still running.
  void ReleaseDoomed();

  std::vector<std::unique_ptr<cTabChildDlg>> views_;  // null: deleted during a walk
  std::vector<std::unique_ptr<cTabChildDlg>> doomed_;
  int32_t walking_ = 0;
  cEventLoop* retirement_ = nullptr;
  bool release_scheduled_ = false;
  hv::cLifetime lifetime_;  // the loop's release must not reach a list that has gone
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TAB_CHILD_DLG_LIST_H_
