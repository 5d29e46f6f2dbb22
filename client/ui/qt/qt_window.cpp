#include "client/ui/qt/qt_window.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include "client/picture/bitmap.h"
#include "client/ui/qt/double_size_icon.h"
#include "client/ui/qt/qt_button.h"
#include "client/ui/qt/qt_combo_box.h"
#include "client/ui/qt/qt_icon_list.h"
#include "client/ui/qt/qt_report_list.h"
#include "client/ui/qt/qt_simple_controls.h"
#include "client/ui/qt/qt_tab_control.h"
#include "client/ui/qt/qt_toolkit.h"

namespace hv {

void cQtDialogWidget::reject() {
  // Escape and the close box are the Cancel command; the program decides what it means.
  if (window_.Events() != nullptr) {
    window_.Events()->OnCommand(kResultCancel, eCommandEvent::kClicked);
  } else {
    QDialog::reject();
  }
}

void cQtDialogWidget::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (window_.Events() != nullptr) window_.Events()->OnResized(width(), height());
}

void cQtDialogWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && window_.Events() != nullptr) {
    window_.Events()->OnHelp();
    return;
  }
  // A view hosted inside another window is part of that window: Escape is the host's
  // (its close-box rule), never a reason for the view to close and leave a blank page.
  if (!window_.IsTopLevel() && event->key() == Qt::Key_Escape) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

void cQtDialogWidget::contextMenuEvent(QContextMenuEvent* event) {
  const int32_t id = window_.ControlIdOf(childAt(event->pos()));
  if (id == 0) {
    window_.ShowSystemMenu(event->globalPos());
  } else if (window_.Events() != nullptr) {
    window_.Events()->OnContextMenu(id, cPoint{event->globalPos().x(), event->globalPos().y()});
  }
}

std::unique_ptr<cQtWindow> cQtWindow::Create(cQtToolkit& toolkit, const cDialogLayout& layout,
                                             QWidget* parent, bool top_level) {
  std::unique_ptr<cQtWindow> window(new cQtWindow(toolkit, layout, parent, top_level));
  for (const cControlLayout& control : layout.controls) {
    if (!window->AddControl(control)) return nullptr;
  }
  return window;
}

cQtWindow::cQtWindow(cQtToolkit& toolkit, const cDialogLayout& layout, QWidget* parent,
                     bool top_level)
    : toolkit_(toolkit), top_level_(top_level), title_(layout.title) {
  Qt::WindowFlags flags = Qt::Widget;
  if (top_level) {
    flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if ((layout.styles & kWindowMinimizeBox) != 0) flags |= Qt::WindowMinimizeButtonHint;
    if ((layout.styles & kWindowMaximizeBox) != 0) flags |= Qt::WindowMaximizeButtonHint;
  }
  dialog_ = new cQtDialogWidget(*this, parent, flags);
  // QDialog turns a plain widget into a window of its own; a child view must stay inside
  // its host.
  if (!top_level) dialog_->setWindowFlags(Qt::Widget);
  dialog_->setWindowTitle(DecodeText(title_));
  const QFontMetrics metrics(dialog_->font());
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  base_x_ = std::max(1, (letters / 26 + 1) / 2);
  base_y_ = std::max(1, metrics.height());
  const cRect size = DialogUnitsToPixels(cRect{0, 0, layout.width, layout.height});
  dialog_->resize(size.Width(), size.Height());
  if (top_level && (layout.styles & kWindowResizable) == 0) {
    dialog_->setFixedSize(size.Width(), size.Height());
  }
}

cQtWindow::~cQtWindow() {
  // Widgets first, so no event can reach a control wrapper that is already gone.
  delete dialog_.data();
  controls_.clear();
}

bool cQtWindow::AddControl(const cControlLayout& layout) {
  if (layout.id > 0 && by_id_.count(layout.id) != 0) return false;
  QWidget* parent = dialog_;
  std::unique_ptr<cControl> control;
  const int32_t id = layout.id;
  switch (layout.kind) {
    case eControlKind::kLabel: control = std::make_unique<cQtLabel>(parent, layout); break;
    case eControlKind::kFrame: control = std::make_unique<cQtFrame>(parent, layout); break;
    case eControlKind::kProgressBar:
      control = std::make_unique<cQtProgressBar>(parent, layout);
      break;
    case eControlKind::kEdit: {
      if ((layout.styles & kEditMultiLine) != 0) {
        control = std::make_unique<cQtTextArea>(parent, layout);
        break;
      }
      auto edit = std::make_unique<cQtEdit>(parent, layout);
      edit->OnUserEdit(dialog_, [this, id] { Notify(id, eCommandEvent::kTextChanged); });
      control = std::move(edit);
      break;
    }
    case eControlKind::kPushButton:
    case eControlKind::kDefaultButton:
    case eControlKind::kCheckBox:
    case eControlKind::kRadioButton:
    case eControlKind::kPictureButton: {
      auto button = std::make_unique<cQtButton>(parent, layout);
      button->OnUserAction(dialog_, [this, id] { Notify(id, eCommandEvent::kClicked); });
      if (layout.kind != eControlKind::kCheckBox) {
        QObject::connect(button->Button(), &QAbstractButton::pressed, dialog_,
                         [this, id] { NotifyPressed(id, true); });
        QObject::connect(button->Button(), &QAbstractButton::released, dialog_,
                         [this, id] { NotifyPressed(id, false); });
      }
      control = std::move(button);
      break;
    }
    case eControlKind::kComboBox: {
      auto combo = std::make_unique<cQtComboBox>(parent, layout);
      NotifyOn(combo->Combo(), &QComboBox::activated, id, eCommandEvent::kSelectionChanged);
      if (combo->Combo()->isEditable()) {
        NotifyOn(combo->Combo()->lineEdit(), &QLineEdit::textEdited, id,
                 eCommandEvent::kTextChanged);
      }
      control = std::move(combo);
      break;
    }
    case eControlKind::kReportList: {
      auto list = std::make_unique<cQtReportList>(parent, layout);
      NotifyOn(list->View(), &QAbstractItemView::doubleClicked, id, eCommandEvent::kDoubleClicked);
      control = std::move(list);
      break;
    }
    case eControlKind::kIconList: {
      auto icons = std::make_unique<cQtIconList>(parent, layout);
      NotifyOn(icons->View(), &QAbstractItemView::doubleClicked, id, eCommandEvent::kDoubleClicked);
      NotifyOn(icons->View()->selectionModel(), &QItemSelectionModel::selectionChanged, id,
               eCommandEvent::kSelectionChanged);
      control = std::move(icons);
      break;
    }
    case eControlKind::kTabControl: {
      auto tabs = std::make_unique<cQtTabControl>(parent, layout);
      NotifyOn(tabs->Bar(), &QTabBar::currentChanged, id, eCommandEvent::kSelectionChanged);
      control = std::move(tabs);
      break;
    }
  }
  if (control == nullptr) return false;
  control->Move(DialogUnitsToPixels(
                    cRect{layout.x, layout.y, layout.x + layout.width, layout.y + layout.height}),
                false);
  if ((layout.styles & kControlHidden) != 0) control->Show(false);
  if ((layout.styles & kControlDisabled) != 0) control->Enable(false);
  if (auto* holder = dynamic_cast<cQtWidgetHolder*>(control.get())) {
    id_of_widget_[holder->Widget()] = id;
    // A label laid out right before an edit, a drop-down list or a progress bar names it, as
    // dialogs have always been read: keyboard users and screen readers get the label with the
    // field, and a progress bar says which progress it shows.
    if (layout.kind == eControlKind::kEdit || layout.kind == eControlKind::kComboBox ||
        layout.kind == eControlKind::kProgressBar) {
      if (last_label_ != nullptr) last_label_->setBuddy(holder->Widget());
    }
    last_label_ =
        layout.kind == eControlKind::kLabel ? qobject_cast<QLabel*>(holder->Widget()) : nullptr;
  }
  if (id > 0) by_id_[id] = control.get();
  controls_.push_back(std::move(control));
  return true;
}

void cQtWindow::Notify(int32_t id, eCommandEvent event) {
  if (events_ != nullptr) events_->OnCommand(id, event);
}

void cQtWindow::NotifyPressed(int32_t id, bool pressed) {
  if (events_ != nullptr) events_->OnPressed(id, pressed);
}

cControl* cQtWindow::Control(int32_t id) {
  auto found = by_id_.find(id);
  return found != by_id_.end() ? found->second : nullptr;
}

int32_t cQtWindow::ControlIdOf(QWidget* widget) const {
  for (QWidget* at = widget; at != nullptr && at != dialog_; at = at->parentWidget()) {
    auto found = id_of_widget_.find(at);
    if (found != id_of_widget_.end()) return found->second;
  }
  return 0;
}

void cQtWindow::ShowSystemMenu(const QPoint& screen_point) {
  if (system_menu_.empty()) return;
  QMenu menu;
  for (const cSystemMenuItem& item : system_menu_) {
    menu.addAction(DecodeText(item.text))->setData(item.command);
  }
  QAction* chosen = menu.exec(screen_point);
  if (chosen != nullptr && events_ != nullptr) events_->OnSystemCommand(chosen->data().toInt());
}

void cQtWindow::SetTitle(const char* title) {
  title_ = title;
  if (dialog_ != nullptr) dialog_->setWindowTitle(DecodeText(title));
}

void cQtWindow::SetIcon(const cBitmap& icon) {
  if (dialog_ != nullptr) dialog_->setWindowIcon(hv::IconAtOneAndTwoTimes(ImageFromBitmap(&icon)));
}

void cQtWindow::AppendSystemMenuItem(int32_t command, const char* text) {
  system_menu_.push_back(cSystemMenuItem{command, text});
}

cRect cQtWindow::WindowRect() const {
  if (dialog_ == nullptr) return cRect{};
  const QRect r = top_level_ ? dialog_->frameGeometry() : dialog_->geometry();
  return cRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

cRect cQtWindow::ClientRect() const {
  if (dialog_ == nullptr) return cRect{};
  return cRect{0, 0, dialog_->width(), dialog_->height()};
}

void cQtWindow::MoveWindow(const cRect& rect, bool repaint) {
  if (dialog_ == nullptr) return;
  if (top_level_) {
    // The rectangle is the outer frame; Qt sizes the inside.
    const QSize frame = dialog_->frameGeometry().size() - dialog_->size();
    dialog_->move(rect.left, rect.top);
    dialog_->resize(std::max(0, rect.Width() - frame.width()),
                    std::max(0, rect.Height() - frame.height()));
  } else {
    dialog_->setGeometry(rect.left, rect.top, std::max(0, rect.Width()),
                         std::max(0, rect.Height()));
  }
  if (repaint) dialog_->update();
}

void cQtWindow::SetMinimumSize(int32_t width, int32_t height) {
  if (dialog_ != nullptr) dialog_->setMinimumSize(std::max(0, width), std::max(0, height));
}

cRect cQtWindow::DialogUnitsToPixels(const cRect& dialog_units) const {
  return cRect{dialog_units.left * base_x_ / 4, dialog_units.top * base_y_ / 8,
               dialog_units.right * base_x_ / 4, dialog_units.bottom * base_y_ / 8};
}

void cQtWindow::Show(bool show) {
  if (dialog_ != nullptr) dialog_->setVisible(show);
}

bool cQtWindow::IsVisible() const { return dialog_ != nullptr && !dialog_->isHidden(); }

void cQtWindow::Activate() {
  if (dialog_ == nullptr) return;
  dialog_->showNormal();
  dialog_->raise();
  dialog_->activateWindow();
}

void cQtWindow::SetAlwaysOnTop(bool on) {
  if (dialog_ == nullptr || !top_level_ || IsAlwaysOnTop() == on) return;
  // Changing a window's flags hides it and may let the window manager place it anew; it
  // must stay where the user put it.
  const bool shown = dialog_->isVisible();
  const QPoint at = dialog_->pos();
  dialog_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
  dialog_->move(at);
  if (shown) dialog_->show();
}

bool cQtWindow::IsAlwaysOnTop() const {
  return dialog_ != nullptr && (dialog_->windowFlags() & Qt::WindowStaysOnTopHint) != 0;
}

void cQtWindow::Repaint() {
  if (dialog_ != nullptr) dialog_->update();
}

int32_t cQtWindow::RunModal() {
  if (dialog_ == nullptr) return kResultCancel;
  std::function<void(cWindow&)> script = toolkit_.TakeModalScript();
  if (script) {
    // The script plays the user inside the real modal loop; a script that forgets to end
    // the dialog must not leave the test waiting.
    QTimer::singleShot(0, dialog_, [this, script] {
      script(*this);
      if (dialog_ != nullptr && dialog_->isVisible()) dialog_->done(kResultCancel);
    });
  }
  return dialog_->exec();
}

void cQtWindow::EndDialog(int32_t result) {
  if (dialog_ != nullptr) dialog_->done(result);
}

}  // namespace hv
