#include "client/views/devices/item_list_view.h"

#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "client/ui/image_list.h"
#include "client/ui/report_list.h"
#include "client/ui/toolkit.h"
#include "client/ui/window.h"
#include "client/views/devices/item_view_icons.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/item_view_requests.h"
#include "client/views/title_label.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr int32_t kIconWidth = 20;
constexpr int32_t kIconHeight = 16;
constexpr int32_t kIconColourDepth = 24;
// The icons are drawn on magenta, which the list shows as transparent.
constexpr uint32_t kIconTransparent = RgbColour(255, 0, 255);

}  // namespace

cItemListView::cItemListView(int32_t placement, const cItemViewServices& services,
                             const cItemViewDescription& description)
    : cTabChildDlg(description.kind, placement), services_(services), description_(description) {}

cItemListView::~cItemListView() {
  // The watcher lets go of the list first: the list goes with the window.
  check_box_.Attach(nullptr);
  if (Window() != nullptr) Window()->SetEvents(nullptr);
  DestroyWindow();
}

cReportList* cItemListView::List() const {
  return Window() != nullptr ? Window()->ReportList(description_.list_id) : nullptr;
}

int32_t cItemListView::RowCount() const {
  cReportList* list = List();
  return list != nullptr ? list->RowCount() : 0;
}

Status cItemListView::OnInitDialog() {
  cWindow& window = *Window();
  StyleTitleLabel(window);
  cReportList* list = List();
  if (list == nullptr) return Status(Where::kUi, hv::kNotFound);

  const std::span<const eItemViewIcon> icons = description_.icons;
  if (!icons.empty()) {
    images_ = Toolkit()->CreateImageList(kIconWidth, kIconHeight, kIconColourDepth);
    for (eItemViewIcon icon : icons) {
      if (images_ == nullptr) break;
      const cEmbeddedFile file = ItemViewIconFile(icon);
      cBitmap picture;
      // A picture that does not load leaves its place empty rather than shifting the
      // pictures after it to the wrong rows.
      if (!LoadPictureFromMemory(file.data, file.size, &picture).ok()) {
        picture.Allocate(kIconWidth, kIconHeight, 0xFF000000u | kIconTransparent)
            .Ignore("a picture that cannot be made is as empty as the one it stands for");
      }
      images_->Add(picture, kIconTransparent);
    }
    list->SetImageList(images_.get());
  }

  swString settings_name = description_.settings_name;
  if (Placement() == kPlacementTop) settings_name.Append("Top");
  column_settings_.Init(services_.company, services_.application, settings_name.CStr(), list)
      .Ignore("it fails only without a list, and the list is there");
  list->SetListStyles(kListCheckBoxes | kListFullRowSelect | kListHeaderDragDrop |
                      kListShowSelectionAlways);
  const std::span<const cItemColumn> columns = description_.columns;
  for (size_t i = 0; i < columns.size(); ++i) {
    list->InsertColumn(static_cast<int32_t>(i), columns[i].text, columns[i].width);
  }
  column_settings_.Restore().Ignore("bound to the list above, it cannot fail");

  if (ListLayout().Measure(window, description_.list_id, kSideButtonIds[0]).ok()) {
    SetLayoutList(description_.list_id);
  }
  for (int32_t id : kSideButtonIds) {
    if (cControl* button = window.Control(id)) button->Show(false);
  }
  check_box_.Attach(list);
  check_box_.SetUpdateHandler(description_.list_id, this);
  window.SetEvents(this);
  initialised_ = true;
  return Status::Ok();
}

void cItemListView::ReleaseRows() {
  if (cReportList* list = List()) list->DeleteAllRows();
  names_.Clear();
}

void cItemListView::SaveSettings() {
  // A view whose list was never made has no columns, and no failed save to tell of.
  if (List() != nullptr) ReportSettingsSave(column_settings_.Save());
}

void cItemListView::EmptyList() { ReleaseRows(); }

Status cItemListView::RequestItems() {
  ReleaseRows();
  cItemViewRequests* requests = services_.requests;
  if (requests == nullptr || !requests->IsConnected()) return Status::Ok();
  const Status status = description_.send_get_items(*requests);
  // No list is coming after a failed request, so nothing is taken until the next one.
  accepting_ = !status.failed();
  if (status.failed()) ReportSendFailure(description_.get_items_failure);
  return Status::Ok();
}

Status cItemListView::AddRow(const swString& name, const std::vector<swString>& texts,
                             int32_t image, bool checked) {
  const Status gate = GateItem(name);
  return gate.ok() ? AppendRow(name, texts, image, checked) : gate;
}

Status cItemListView::GateItem(const swString& name) {
  if (!initialised_ || List() == nullptr || !accepting_) return Status::Declined(Where::kUi);
  if (name.GetLength() == 0) {
    accepting_ = false;
    return Status::Declined(Where::kUi);
  }
  return Status::Ok();
}

bool cItemListView::TakesStatusChanges() const { return initialised_ && List() != nullptr; }

Status cItemListView::AppendRow(const swString& name, const std::vector<swString>& texts,
                                int32_t image, bool checked) {
  cReportList* list = List();
  if (list == nullptr) return Status::Declined(Where::kUi);
  const swString* copy = names_.Append(name);
  const char* first = texts.empty() ? "" : texts[0].CStr();
  const int32_t row =
      list->InsertRow(list->RowCount(), first, image, reinterpret_cast<cItemValue>(copy));
  if (row < 0 || row != names_.Count() - 1) {
    // The list and the index must agree row for row; start both afresh rather than let
    // status changes reach the wrong rows.
    ReleaseRows();
    return Status(Where::kUi, hv::kOutOfMemory);
  }
  for (size_t column = 1; column < texts.size(); ++column) {
    list->SetCellText(row, static_cast<int32_t>(column), texts[column].CStr());
  }
  list->SetCheck(row, checked);
  return Status::Ok();
}

std::span<const int32_t> cItemListView::RowsNamed(const swString& name) const {
  if (!initialised_) return {};
  return names_.Rows(name);
}

Status cItemListView::ShowRowStatus(const swString& name, const char* status, const char* data,
                                    bool checked) {
  if (!TakesStatusChanges()) return Status::Declined(Where::kUi);
  cReportList* list = List();
  for (int32_t row : RowsNamed(name)) {
    list->SetCellText(row, 0, status);
    if (data != nullptr) list->SetCellText(row, 1, data);
    list->SetCheck(row, checked);
  }
  return Status::Ok();
}

const swString* cItemListView::NameOfRow(int32_t row) const {
  cReportList* list = List();
  if (list == nullptr) return nullptr;
  const auto* name = reinterpret_cast<const swString*>(list->RowValue(row));
  // Only a copy this view made is a name; anything else the row holds is not read.
  return names_.RowOf(name) >= 0 ? name : nullptr;
}

Status cItemListView::OnListCheck(int32_t row, int32_t /*context*/) {
  if (row < 0) return Status::Ok();
  const swString* name = NameOfRow(row);
  if (name == nullptr) return Status(Where::kUi, hv::kNotFound);
  cItemViewRequests* requests = services_.requests;
  if (requests == nullptr || !requests->IsConnected()) return Status::Ok();
  cReportList* list = List();
  // A copy: the request may pump events, and a refresh in between frees the row's name.
  const swString sent_name = *name;
  const hv::cLifetime::cWatch alive = LifeWatch();
  const Status sent = description_.send_toggle(*requests, sent_name, list->GetCheck(row));
  // The send ran the event loop: the view may have been replaced meanwhile.
  if (!alive.Alive()) return Status::Declined(Where::kUi);
  if (sent.failed()) ReportSendFailure(description_.toggle_failure);
  return Status::Ok();
}

void cItemListView::OnContextMenu(int32_t control_id, cPoint screen_point) {
  cFavouriteMarks* favourites = services_.favourites;
  cReportList* list = List();
  if (control_id != description_.list_id || favourites == nullptr || list == nullptr ||
      !description_.favourite) {
    return;
  }
  const eFavouriteKind kind = *description_.favourite;
  // The row under the mouse (the list reports the press of the right button too), or the
  // selected one when the menu came from the keyboard.
  int32_t row = list->HitTest(cPoint{check_box_.LastX(), check_box_.LastY()});
  if (row < 0) row = list->NextSelected(-1);
  const swString* name = row >= 0 ? NameOfRow(row) : nullptr;
  if (name == nullptr) return;
  std::unique_ptr<cPopupMenu> menu = Toolkit()->CreatePopupMenu();
  if (menu == nullptr) return;
  // A copy: the menu waits for the user, and a refresh meanwhile frees the row's name.
  const swString item_name = *name;
  const bool marked = favourites->IsFavourite(kind, item_name);
  menu->AppendItem(kFavouriteMenuCommand, kFavouriteMenuText);
  menu->CheckItem(kFavouriteMenuCommand, marked);
  if (menu->Track(screen_point) == kFavouriteMenuCommand) {
    // A name the tray list cannot hold stays unmarked, and the menu shows it so next time.
    (void)favourites->SetFavourite(kind, item_name, !marked);
  }
}

}  // namespace hv
