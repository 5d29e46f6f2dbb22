// cTabChildDlg: what every data view (activity log, switches, sensors, macros, modes, video)
// offers the main window, which places, shows, polls and closes them all alike. A view is
// either a page of the main window's tab control or the top pane of its split view.
//
// A view owns its window (made by Create from the view's layout); the main window owns the
// view. Destroying the view destroys the window; a derived view that keeps row data or
// settings calls DestroyWindow() from its own destructor so that they are released and saved
// while it still exists.
#ifndef HV_CLIENT_VIEWS_TAB_CHILD_DLG_H_
#define HV_CLIENT_VIEWS_TAB_CHILD_DLG_H_

#include <cstdint>
#include <memory>

#include "client/platform/lifetime.h"
#include "client/ui/rect.h"
#include "client/views/list_layout.h"
#include "client/views/view_feeds.h"
#include "client/views/view_kind.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

struct cDialogLayout;
class cTabChildOwner;
class cToolkit;
class cWindow;

// Where a view lives.
enum : int32_t {
  kPlacementTop = 1,  // the top pane of the split view
  kPlacementTab = 2,  // a page of the tab control
};

// The entry a view shows when a request could not be sent.
constexpr int32_t kEntryTypeError = 3;
constexpr const char* kConnectionLostName = "Connection is lost";

class cTabChildDlg {
 public:
  cTabChildDlg(ViewKind kind, int32_t placement);
  virtual ~cTabChildDlg();
  cTabChildDlg(const cTabChildDlg&) = delete;
  cTabChildDlg& operator=(const cTabChildDlg&) = delete;

  // Moves the view window to the rectangle (in its host's client coordinates) and lays its
  // controls out for the new size.
  virtual void MoveChild(const cRect& rect, bool repaint);
  virtual void ShowChild(bool show);
  // These three cannot fail: a window closing, resizing or ticking goes on whatever one view
  // says, so they report nothing.
  // Empties the list (releasing row data first); saves the column settings when the window
  // has a size (a failed save goes to the owner); ends the dialog with `result`.
  virtual void CloseChild(int32_t result);
  // Lays the controls out inside `rect`, or inside the view's own client area when null.
  // The shared layout places the list (when one was measured).
  virtual void LayoutChild(const cRect* rect);
  // Periodic hook of the main window's timer. Does nothing here.
  virtual void PollChild();

  // Makes the view's window from `layout` in `parent` (inside its control host_control_id,
  // or its client area for 0) and runs OnInitDialog. Ok; kNotFound (Where::kUi) when the
  // window cannot be made or initialisation fails (the view then has no window).
  [[nodiscard]] Status Create(cToolkit& toolkit, const cDialogLayout& layout, cWindow& parent,
                              int32_t host_control_id);

  ViewKind Kind() const { return kind_; }
  // The feed of the view's kind (and its list, when it keeps one), through which the main
  // window hands it answers and requests.
  virtual ViewFeeds Feeds() = 0;
  int32_t Placement() const { return placement_; }
  const swString& Name() const { return name_; }
  void SetName(const char* name) { name_ = name; }
  cTabChildOwner* Owner() const { return owner_; }
  void SetOwner(cTabChildOwner* owner) { owner_ = owner; }
  cWindow* Window() const { return window_.get(); }
  cToolkit* Toolkit() const { return toolkit_; }

  // A view that is deleted while one of its calls waits is first retired: out of service
  // from then on, freed later. A call that waited asks its watch before it goes on.
  void Retire() { lifetime_.End(); }
  bool Retired() const { return lifetime_.Ended(); }
  hv::cLifetime::cWatch LifeWatch() const { return lifetime_.Watch(); }

 protected:
  // Runs once the window exists: columns, images, first rows, settings. Ok or a failure.
  [[nodiscard]] virtual Status OnInitDialog() { return Status::Ok(); }
  // Removes the rows, releasing what they own. Called on close and window destruction.
  virtual void ReleaseRows() {}
  // Saves what the view keeps across runs (column settings). Called on close and window
  // destruction, only when the window has a size.
  virtual void SaveSettings() {}

  // Releases rows and saves settings as on close, then destroys the window. Safe to call
  // twice; derived destructors call it while their own members still exist.
  void DestroyWindow();

  // Reports a request that could not be sent: an Error entry "Connection is lost" with the
  // message, shown in the activity log views and not stored; nothing without an owner.
  void ReportSendFailure(const char* message);
  // Hands a failed save of the view's settings to the owner, which tells the user; success,
  // declined, or no owner: nothing to tell.
  void ReportSettingsSave(const Status& saved) const;

  cListLayout& ListLayout() { return list_layout_; }
  // The control the shared layout places; set with the measurement.
  void SetLayoutList(int32_t list_id) { layout_list_id_ = list_id; }

 private:
  const ViewKind kind_;
  const int32_t placement_;
  swString name_;
  cTabChildOwner* owner_ = nullptr;
  cToolkit* toolkit_ = nullptr;
  std::unique_ptr<cWindow> window_;
  cListLayout list_layout_;
  int32_t layout_list_id_ = 0;
  hv::cLifetime lifetime_;
};

// The view's feed of type Feed, or null when its kind has another.
template <class Feed>
Feed* FeedOf(cTabChildDlg& view) {
  const ViewFeeds feeds = view.Feeds();
  Feed* const* feed = std::get_if<Feed*>(&feeds.kind);
  return feed != nullptr ? *feed : nullptr;
}

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TAB_CHILD_DLG_H_
