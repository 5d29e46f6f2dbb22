#include "client/ui/headless/headless_window.h"

#include <algorithm>

#include "client/ui/headless/headless_button.h"
#include "client/ui/headless/headless_combo_box.h"
#include "client/ui/headless/headless_progress_bar.h"
#include "client/ui/headless/headless_report_list.h"
#include "client/ui/headless/headless_tab_control.h"
#include "client/ui/headless/headless_toolkit.h"

namespace hv {

namespace {

std::unique_ptr<cControl> MakeControl(cHeadlessControlHost& host, const cControlLayout& layout,
                                      const cRect& rect) {
  switch (layout.kind) {
    case eControlKind::kPushButton:
    case eControlKind::kDefaultButton:
    case eControlKind::kCheckBox:
    case eControlKind::kPictureButton:
    case eControlKind::kRadioButton: return std::make_unique<cHeadlessButton>(host, layout, rect);
    case eControlKind::kProgressBar:
      return std::make_unique<cHeadlessProgressBar>(host, layout, rect);
    case eControlKind::kComboBox: return std::make_unique<cHeadlessComboBox>(host, layout, rect);
    case eControlKind::kReportList:
    case eControlKind::kIconList: return std::make_unique<cHeadlessReportList>(host, layout, rect);
    case eControlKind::kTabControl:
      return std::make_unique<cHeadlessTabControl>(host, layout, rect);
    case eControlKind::kLabel:
    case eControlKind::kFrame:
    case eControlKind::kEdit: return std::make_unique<cHeadlessControl>(host, layout, rect);
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<cHeadlessWindow> cHeadlessWindow::Create(cHeadlessToolkit& toolkit,
                                                         const cDialogLayout& layout,
                                                         bool top_level) {
  std::unique_ptr<cHeadlessWindow> window(new cHeadlessWindow(toolkit, layout, top_level));
  for (const cControlLayout& control_layout : layout.controls) {
    const cRect rect = window->DialogUnitsToPixels(cRect{control_layout.x, control_layout.y,
                                                         control_layout.x + control_layout.width,
                                                         control_layout.y + control_layout.height});
    std::unique_ptr<cControl> control = MakeControl(*window, control_layout, rect);
    if (control == nullptr) return nullptr;
    if (control_layout.id > 0) {
      if (window->by_id_.count(control_layout.id) != 0) return nullptr;
      window->by_id_[control_layout.id] = control.get();
    }
    window->controls_.push_back(std::move(control));
  }
  return window;
}

cHeadlessWindow::cHeadlessWindow(cHeadlessToolkit& toolkit, const cDialogLayout& layout,
                                 bool top_level)
    : toolkit_(toolkit),
      resource_id_(layout.resource_id),
      top_level_(top_level),
      title_(layout.title) {
  rect_ = DialogUnitsToPixels(cRect{0, 0, layout.width, layout.height});
}

cHeadlessWindow::~cHeadlessWindow() = default;

cControl* cHeadlessWindow::Control(int32_t id) {
  auto found = by_id_.find(id);
  return found != by_id_.end() ? found->second : nullptr;
}

void cHeadlessWindow::AppendSystemMenuItem(int32_t command, const char* text) {
  system_menu_.push_back(cSystemMenuItem{command, text});
}

void cHeadlessWindow::MoveWindow(const cRect& rect, bool /*repaint*/) { rect_ = rect; }

void cHeadlessWindow::SetMinimumSize(int32_t width, int32_t height) {
  min_width_ = std::max(width, 0);
  min_height_ = std::max(height, 0);
}

cRect cHeadlessWindow::DialogUnitsToPixels(const cRect& dialog_units) const {
  return cRect{dialog_units.left * kPixelsPerDialogUnit, dialog_units.top * kPixelsPerDialogUnit,
               dialog_units.right * kPixelsPerDialogUnit,
               dialog_units.bottom * kPixelsPerDialogUnit};
}

void cHeadlessWindow::Activate() { visible_ = true; }

int32_t cHeadlessWindow::RunModal() {
  modal_ = true;
  visible_ = true;
  result_ = kResultCancel;
  // The test's script plays the user; without one the user closes the dialog at once.
  std::function<void(cHeadlessWindow&)> script = toolkit_.TakeModalScript();
  if (script) script(*this);
  modal_ = false;
  visible_ = false;
  return result_;
}

void cHeadlessWindow::EndDialog(int32_t result) {
  result_ = result;
  modal_ = false;
  visible_ = false;
}

void cHeadlessWindow::Notify(int32_t id, eCommandEvent event) {
  if (events_ != nullptr) events_->OnCommand(id, event);
}

bool cHeadlessWindow::Click(int32_t id) {
  auto* button = dynamic_cast<cHeadlessButton*>(Control(id));
  if (button == nullptr || !button->IsUsable()) return false;
  if (button->Kind() == eControlKind::kCheckBox) button->SetCheck(button->GetCheck() ? 0 : 1);
  if (button->Kind() == eControlKind::kRadioButton) {
    // As on the screen: the chosen one is set and the window's other radio buttons clear.
    for (const std::unique_ptr<cControl>& control : controls_) {
      auto* other = dynamic_cast<cHeadlessButton*>(control.get());
      if (other != nullptr && other->Kind() == eControlKind::kRadioButton) other->SetCheck(0);
    }
    button->SetCheck(1);
  }
  Notify(id, eCommandEvent::kClicked);
  return true;
}

bool cHeadlessWindow::Press(int32_t id) {
  auto* button = dynamic_cast<cHeadlessButton*>(Control(id));
  if (button == nullptr || !button->IsUsable()) return false;
  if (events_ != nullptr) events_->OnPressed(id, true);
  return true;
}

bool cHeadlessWindow::Release(int32_t id) {
  auto* button = dynamic_cast<cHeadlessButton*>(Control(id));
  if (button == nullptr || !button->IsUsable()) return false;
  if (events_ != nullptr) events_->OnPressed(id, false);
  return Click(id);
}

bool cHeadlessWindow::SelectRows(int32_t id, const std::vector<int32_t>& rows) {
  auto* list = dynamic_cast<cHeadlessReportList*>(Control(id));
  if (list == nullptr || !list->IsUsable()) return false;
  for (int32_t row = 0; row < list->RowCount(); ++row) list->SetSelected(row, false);
  for (int32_t row : rows) list->SetSelected(row, true);
  Notify(id, eCommandEvent::kSelectionChanged);
  return true;
}

bool cHeadlessWindow::DoubleClickRow(int32_t id, int32_t row) {
  auto* list = dynamic_cast<cHeadlessReportList*>(Control(id));
  if (list == nullptr || !list->IsUsable() || row < 0 || row >= list->RowCount()) return false;
  if (!SelectRows(id, {row})) return false;
  Notify(id, eCommandEvent::kDoubleClicked);
  return true;
}

bool cHeadlessWindow::Type(int32_t id, const char* text) {
  cControl* control = Control(id);
  if (control == nullptr || !control->IsVisible() || !control->IsEnabled()) return false;
  control->SetText(text);
  control->SetFocus();
  Notify(id, eCommandEvent::kTextChanged);
  return true;
}

bool cHeadlessWindow::Choose(int32_t id, int32_t index) {
  cControl* control = Control(id);
  if (control == nullptr || !control->IsVisible() || !control->IsEnabled()) return false;
  if (auto* combo = dynamic_cast<cComboBox*>(control)) {
    if (index < 0 || index >= combo->EntryCount()) return false;
    combo->Select(index);
  } else if (auto* tabs = dynamic_cast<cTabControl*>(control)) {
    if (index < 0 || index >= tabs->TabCount()) return false;
    tabs->Select(index);
  } else {
    return false;
  }
  Notify(id, eCommandEvent::kSelectionChanged);
  return true;
}

bool cHeadlessWindow::RightClick(int32_t id, cPoint screen_point) {
  cControl* control = id != 0 ? Control(id) : nullptr;
  if (id != 0 && (control == nullptr || !control->IsVisible() || !control->IsEnabled())) {
    return false;
  }
  toolkit_.SetCursorPosition(screen_point);
  if (events_ != nullptr) events_->OnContextMenu(id, screen_point);
  return true;
}

void cHeadlessWindow::PressEscape() { Notify(kResultCancel, eCommandEvent::kClicked); }

void cHeadlessWindow::PressHelp() {
  if (events_ != nullptr) events_->OnHelp();
}

void cHeadlessWindow::ResizeTo(int32_t width, int32_t height) {
  rect_.right = rect_.left + std::max(width, min_width_);
  rect_.bottom = rect_.top + std::max(height, min_height_);
  if (events_ != nullptr) events_->OnResized(rect_.Width(), rect_.Height());
}

}  // namespace hv
