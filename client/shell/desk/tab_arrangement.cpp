#include "client/shell/desk/tab_arrangement.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "client/shell/desk/house_desk_layout.h"
#include "client/ui/menu.h"
#include "client/ui/tab_control.h"
#include "client/ui/toolkit.h"
#include "client/ui/window.h"
#include "client/views/view_factory.h"
#include "client/views/view_feeds.h"
#include "core/status.h"

namespace hv {

namespace {

const int32_t kInformationControls[] = {desk::kConnectionLabel,  desk::kConnectionText,
                                        desk::kTrafficIndicator, desk::kClientCountLabel,
                                        desk::kClientCount,      desk::kServerTimeButton,
                                        desk::kServerTimeText,   desk::kDawnDusk};
const int32_t kUserMessageControls[] = {desk::kAddLogMessage, desk::kLogMessageText};

}  // namespace

cTabArrangement::cTabArrangement(cToolkit& toolkit, cViewFactory& factory, cTabChildOwner* owner)
    : toolkit_(toolkit), factory_(factory), owner_(owner) {}

cTabArrangement::~cTabArrangement() { Detach(); }

void cTabArrangement::Attach(cWindow& window, const cArrangementChoices& choices) {
  window_ = &window;
  choices_ = choices;
  if (cButton* box = window.Button(desk::kSplitView)) box->SetCheck(choices.split_view);
  if (cButton* box = window.Button(desk::kShowAdditionalInfo)) {
    box->SetCheck(choices.additional_information);
  }
  if (cButton* box = window.Button(desk::kAllowUserLogMessages)) {
    box->SetCheck(choices.user_log_messages);
  }
  metrics_.Measure(window).Ignore(
      "a window without the controls the layout needs keeps its first layout; it still works");
  if (metrics_.IsMeasured()) {
    window.SetMinimumSize(metrics_.MinimumWidth(), metrics_.MinimumHeight());
  }
  tab_menu_ = toolkit_.CreatePopupMenu();
  if (tab_menu_ != nullptr) {
    tab_menu_->AppendItem(desk::kShowOnTopCommand, "Show On Top");
    tab_menu_->AppendItem(desk::kCreateSeparateDialogCommand, "Create Separate Dialog");
  }
}

void cTabArrangement::Detach() {
  views_.ForEach([](cTabChildDlg& view) { view.CloseChild(0); });
  top_view_ = nullptr;
  current_video_view_ = nullptr;
  views_.DeleteAll();
  tab_menu_.reset();
  window_ = nullptr;
}

cTabControl* cTabArrangement::Tabs() const {
  return window_ != nullptr ? window_->TabControl(desk::kTabControl) : nullptr;
}

bool cTabArrangement::Checked(int32_t id) const {
  cButton* box = window_ != nullptr ? window_->Button(id) : nullptr;
  return box != nullptr && box->GetCheck() != 0;
}

bool cTabArrangement::SplitView() const { return Checked(desk::kSplitView); }

cArrangementChoices cTabArrangement::Choices() const {
  cArrangementChoices choices = choices_;
  // A video tab still waiting for its source stays the choice for the next start.
  if (waiting_video_tab_ != 0) choices.current_tab_view = waiting_video_tab_;
  if (window_ != nullptr) {
    choices.split_view = Checked(desk::kSplitView);
    choices.additional_information = Checked(desk::kShowAdditionalInfo);
    choices.user_log_messages = Checked(desk::kAllowUserLogMessages);
  }
  return choices;
}

void cTabArrangement::ForEachList(bool asking, const std::function<void(cListViewFeed&)>& fn) {
  views_.ForEach([&](cTabChildDlg& view) {
    if (asking && !RowOfKind(view.Kind()).asks_for_items) return;
    if (cListViewFeed* list = view.Feeds().list) fn(*list);
  });
}

std::unique_ptr<cTabChildDlg> cTabArrangement::MakeView(ViewKind kind, int32_t placement,
                                                        const swString& name) {
  if (window_ == nullptr) return nullptr;
  std::unique_ptr<cTabChildDlg> view = factory_.MakeView(kind, placement);
  if (view == nullptr) return nullptr;
  view->SetOwner(owner_);
  view->SetName(name.CStr());
  if (placement == kPlacementTop) {
    if (cVideoFeed* video = FeedOf<cVideoFeed>(*view)) video->SetSharedView(current_video_view_);
  }
  const int32_t host = placement == kPlacementTab ? desk::kTabControl : 0;
  if (!view->Create(toolkit_, factory_.ViewLayout(kind), *window_, host).ok()) return nullptr;
  return view;
}

void cTabArrangement::CreateFixedViews() {
  for (const ViewKindRow& row : kViewKindRows) {
    if (row.tab_code == kNoFixedTab) continue;
    views_.Add(MakeView(row.kind, kPlacementTab, swString(row.caption)));
  }
}

void cTabArrangement::SelectTab(int32_t index) {
  cTabControl* tabs = Tabs();
  if (tabs == nullptr) return;
  const bool was_selecting = selecting_;
  selecting_ = true;
  tabs->Select(index);
  selecting_ = was_selecting;
}

void cTabArrangement::FallBackToLog(int32_t waiting_code) {
  waiting_video_tab_ = IsVideoTabCode(waiting_code) ? waiting_code : 0;
  choices_.current_tab_view = kLogTabCode;
  cTabControl* tabs = Tabs();
  for (int32_t index = 0; tabs != nullptr && index < tabs->TabCount(); ++index) {
    if (static_cast<int64_t>(tabs->TabValue(index)) == kLogTabCode) SelectTab(index);
  }
}

void cTabArrangement::InsertFixedTabs() {
  cTabControl* tabs = Tabs();
  if (tabs == nullptr) return;
  const int32_t saved = choices_.current_tab_view;
  bool selected = false;
  for (const ViewKindRow& row : kViewKindRows) {
    if (row.tab_code == kNoFixedTab) continue;
    const bool chosen = row.tab_code == saved;
    const bool was_selecting = selecting_;
    selecting_ = true;  // inserting the first tab may select it on its own
    const int32_t index =
        tabs->InsertTab(tabs->TabCount(), row.caption, static_cast<cItemValue>(row.tab_code));
    selecting_ = was_selecting;
    if (chosen) {
      SelectTab(index);
      selected = true;
    }
  }
  // A saved video tab only comes with the server's answer, and an unknown code never: until
  // then the window shows the Activity Log, selected, rather than a blank page.
  if (!selected) FallBackToLog(saved);
}

void cTabArrangement::RemoveVideoTabs() {
  cTabControl* tabs = Tabs();
  if (tabs == nullptr) return;
  const bool was_selecting = selecting_;
  selecting_ = true;  // deleting the selected tab moves the toolkit's selection elsewhere
  const int32_t chosen = choices_.current_tab_view;
  bool removed = false;
  for (int32_t index = tabs->TabCount() - 1; index >= 0; --index) {
    if (!IsVideoTabCode(static_cast<int64_t>(tabs->TabValue(index)))) continue;
    const swString caption = tabs->TabCaption(index);
    tabs->DeleteTab(index);
    removed = true;
    views_.ForEach([&](cTabChildDlg& view) {
      if (view.Name() == caption && &view != top_view_) {
        if (&view == current_video_view_) current_video_view_ = nullptr;
        if (top_view_ != nullptr) {
          if (cVideoFeed* video = FeedOf<cVideoFeed>(*top_view_)) {
            // The top view must not keep pointing at a view that is going away.
            video->SetSharedView(nullptr);
          }
        }
      }
    });
    // Only tabbed views go with their tab: the top view stays until it is rebuilt.
    while (cTabChildDlg* view = views_.Find(caption.CStr(), kPlacementTab)) views_.Delete(view);
  }
  selecting_ = was_selecting;
  if (removed && IsVideoTabCode(chosen)) {
    FallBackToLog(chosen);
    UpdateVisibility();
  }
}

void cTabArrangement::DropVideoViews() {
  RemoveVideoTabs();
  if (top_view_ != nullptr && top_view_->Kind() == ViewKind::kVideo) {
    cTabChildDlg* old = top_view_;
    top_view_ = nullptr;
    views_.Delete(old);
  }
}

Status cTabArrangement::AddVideoSource(const swString& name, uint32_t number) {
  cTabControl* tabs = Tabs();
  if (tabs == nullptr) return Status::Declined(Where::kUi);
  for (int32_t index = 0; index < tabs->TabCount(); ++index) {
    if (tabs->TabCaption(index) == name) return Status::Declined(Where::kUi);
  }
  // A hostile number must not wrap into the codes of the fixed tabs.
  const int64_t code = std::min<int64_t>(int64_t{kFirstVideoTabCode} + number, INT32_MAX);
  const int32_t index =
      tabs->InsertTab(tabs->TabCount(), name.CStr(), static_cast<cItemValue>(code));

  std::unique_ptr<cTabChildDlg> view = MakeView(ViewKind::kVideo, kPlacementTab, name);
  if (view != nullptr) {
    current_video_view_ = views_.Add(std::move(view));
    // A top view of this source made before its tab (the saved choice at start) draws its
    // pictures from the new tab view from now on.
    if (top_view_ != nullptr && top_view_->Name() == name) {
      if (cVideoFeed* video = FeedOf<cVideoFeed>(*top_view_)) {
        video->SetSharedView(current_video_view_);
      }
    }
  }
  UpdateLayout();
  // The chosen video tab is back: select it by its code (not by its turn of arrival) and
  // show its view with it, so the selection and the page always agree.
  if (waiting_video_tab_ != 0 && code == waiting_video_tab_) {
    waiting_video_tab_ = 0;
    SelectTab(index);
    choices_.current_tab_view = static_cast<int32_t>(code);
    UpdateVisibility();
  }
  return Status::Ok();
}

void cTabArrangement::UpdateLayout() {
  if (window_ == nullptr) return;
  cDeskRows rows;
  rows.split_view = Checked(desk::kSplitView);
  rows.additional_information = Checked(desk::kShowAdditionalInfo);
  rows.user_log_messages = Checked(desk::kAllowUserLogMessages);
  for (int32_t id : kInformationControls) {
    if (cControl* control = window_->Control(id)) control->Show(rows.additional_information);
  }
  for (int32_t id : kUserMessageControls) {
    if (cControl* control = window_->Control(id)) control->Show(rows.user_log_messages);
  }
  const cRect client = window_->ClientRect();
  const cRect pane = metrics_.Arrange(*window_, client.Width(), client.Height(), rows);
  if (rows.split_view && top_view_ != nullptr) top_view_->MoveChild(pane, true);

  cTabControl* tabs = Tabs();
  if (tabs == nullptr) return;
  const cRect area = tabs->DisplayArea();
  cTabChildDlg* selected = nullptr;
  views_.ForEach([&](cTabChildDlg& view) {
    if (view.Placement() != kPlacementTab) return;
    if (MatchesCurrentTab(view)) {
      selected = &view;
      return;
    }
    view.MoveChild(area, true);
  });
  if (selected != nullptr) selected->MoveChild(area, true);
}

swString cTabArrangement::SelectedCaption() const {
  cTabControl* tabs = Tabs();
  if (tabs == nullptr || tabs->Selection() < 0) return swString();
  return tabs->TabCaption(tabs->Selection());
}

bool cTabArrangement::MatchesCurrentTab(const cTabChildDlg& view) const {
  const int32_t code = choices_.current_tab_view;
  const ViewKindRow& row = RowOfKind(view.Kind());
  if (row.tab_code == kNoFixedTab) {
    // A tab per source: the view of the selected one, found by its caption.
    return IsVideoTabCode(code) && view.Name() == SelectedCaption();
  }
  return row.tab_code == code;
}

void cTabArrangement::UpdateVisibility() {
  const bool split = Checked(desk::kSplitView);
  views_.ForEach([&](cTabChildDlg& view) {
    if (&view == top_view_) {
      view.ShowChild(split);
    } else if (view.Placement() == kPlacementTab) {
      view.ShowChild(MatchesCurrentTab(view));
    }
  });
}

void cTabArrangement::OnSelectionChanged() {
  if (selecting_) return;
  cTabControl* tabs = Tabs();
  if (tabs == nullptr || tabs->Selection() < 0) return;
  const int64_t code = static_cast<int64_t>(tabs->TabValue(tabs->Selection()));
  choices_.current_tab_view = static_cast<int32_t>(std::min<int64_t>(code, INT32_MAX));
  waiting_video_tab_ = 0;  // the user has chosen
  UpdateVisibility();
}

void cTabArrangement::EvaluateInitialSelection() {
  const int32_t waiting = waiting_video_tab_;
  OnSelectionChanged();
  waiting_video_tab_ = waiting;
}

void cTabArrangement::OnTabRightClick(cPoint screen_point) {
  cTabControl* tabs = Tabs();
  if (tabs == nullptr || window_ == nullptr) return;
  // The client area's screen origin, reckoned from the frame: equal side and bottom borders,
  // the rest of the height is the title bar.
  const cRect frame = window_->WindowRect();
  const cRect client = window_->ClientRect();
  const int32_t border = std::max(0, (frame.Width() - client.Width()) / 2);
  const int32_t title = std::max(0, frame.Height() - client.Height() - border);
  const cRect rect = tabs->Rect();
  const cPoint local{screen_point.x - frame.left - border - rect.left,
                     screen_point.y - frame.top - title - rect.top};
  const int32_t index = tabs->TabAt(local);
  right_clicked_tab_ = index >= 0 ? static_cast<int32_t>(std::min<int64_t>(
                                        static_cast<int64_t>(tabs->TabValue(index)), INT32_MAX))
                                  : choices_.current_tab_view;
  window_->Activate();
  if (tab_menu_ != nullptr) HandleTabMenu(tab_menu_->Track(screen_point));
}

void cTabArrangement::HandleTabMenu(int32_t command) {
  // "Create Separate Dialog" does nothing yet.
  if (command == desk::kShowOnTopCommand) ShowOnTop();
}

void cTabArrangement::ShowOnTop() {
  if (window_ == nullptr) return;
  if (const std::optional<ViewKind> fixed = ViewKindOfTabCode(right_clicked_tab_)) {
    choices_.top_kind = *fixed;
    choices_.top_name = RowOfKind(*fixed).caption;
  } else {
    const swString caption = SelectedCaption();
    if (Tabs() == nullptr || Tabs()->Selection() < 0) return;
    cVideoFeed* top = top_view_ != nullptr ? FeedOf<cVideoFeed>(*top_view_) : nullptr;
    if (top != nullptr && top->IsPreviewInTab() == 1) {
      cTabChildDlg* tabbed_view = views_.Find(top_view_->Name().CStr(), kPlacementTab);
      if (cVideoFeed* tabbed =
              tabbed_view != nullptr ? FeedOf<cVideoFeed>(*tabbed_view) : nullptr) {
        tabbed->SetPreviewInTab(1);
      }
    }
    choices_.top_kind = ViewKind::kVideo;
    choices_.top_name = caption;
    current_video_view_ = views_.Find(caption.CStr(), kPlacementTab);
  }
  if (!Checked(desk::kSplitView)) {
    if (cButton* box = window_->Button(desk::kSplitView)) box->SetCheck(1);
    UpdateLayout();
    UpdateVisibility();
    window_->Repaint();
  }
  RecreateTopView().Ignore(
      "a top view that cannot be made leaves the top pane empty; the tabs work on");
}

Status cTabArrangement::RecreateTopView() {
  if (window_ == nullptr) return Status::Declined(Where::kUi);
  if (top_view_ != nullptr) {
    cTabChildDlg* old = top_view_;
    top_view_ = nullptr;
    views_.Delete(old);
  }
  std::unique_ptr<cTabChildDlg> view =
      MakeView(choices_.top_kind, kPlacementTop, choices_.top_name);
  if (view == nullptr) return Status(Where::kUi, hv::kNotFound, "the top view could not be made");
  if (RowOfKind(choices_.top_kind).asks_for_items) {
    // A request it cannot send, the view reports itself as an activity entry.
    if (cListViewFeed* list = view->Feeds().list)
      list->RequestItems().Ignore("reported by the view");
  }
  top_view_ = views_.Add(std::move(view));
  UpdateLayout();
  UpdateVisibility();
  if (top_view_ != nullptr && top_view_->Kind() == ViewKind::kVideo &&
      IsVideoTabCode(choices_.current_tab_view)) {
    const swString caption = SelectedCaption();
    ForEachViewFeed<cVideoFeed>([&](cTabChildDlg& tabbed, cVideoFeed& feed) {
      // It can only decline (a view with no list yet), which leaves nothing to do here.
      if (tabbed.Name() == caption) feed.RebuildThumbnails().Ignore("nothing to rebuild");
    });
  }
  return Status::Ok();
}

void cTabArrangement::TakeCurrentVideoViewFromTopName() {
  cTabChildDlg* view = views_.Find(choices_.top_name.CStr(), kPlacementTab);
  if (view != nullptr) current_video_view_ = view;
}

void cTabArrangement::OnResized(int32_t /*width*/, int32_t /*height*/) {
  if (window_ == nullptr || !metrics_.IsMeasured() || resizing_) return;
  resizing_ = true;
  UpdateLayout();
  resizing_ = false;
}

}  // namespace hv
