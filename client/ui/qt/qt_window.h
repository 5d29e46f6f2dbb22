// cQtWindow: a window of the Qt realisation: a QDialog with the layout's controls as its
// child widgets, positioned in dialog units scaled by the dialog's font. A child window is
// the same dialog without a frame, placed inside its host widget.
#ifndef HV_CLIENT_UI_QT_QT_WINDOW_H_
#define HV_CLIENT_UI_QT_QT_WINDOW_H_

#include <QDialog>
#include <QPointer>
#include <map>
#include <memory>
#include <vector>

#include "client/ui/dialog_layout.h"
#include "client/ui/window.h"

class QLabel;

namespace hv {

class cQtToolkit;
class cQtWindow;

// The dialog widget; hands what the user does to its cQtWindow.
class cQtDialogWidget : public QDialog {
 public:
  cQtDialogWidget(cQtWindow& window, QWidget* parent, Qt::WindowFlags flags)
      : QDialog(parent, flags), window_(window) {}
  void reject() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  cQtWindow& window_;
};

class cQtWindow : public cWindow {
 public:
  // Null when the layout repeats an id above 0 or names an unknown kind of control.
  static std::unique_ptr<cQtWindow> Create(cQtToolkit& toolkit, const cDialogLayout& layout,
                                           QWidget* parent, bool top_level);
  ~cQtWindow() override;

  cControl* Control(int32_t id) override;
  void SetEvents(cWindowEvents* events) override { events_ = events; }
  void SetTitle(const char* title) override;
  swString Title() const override { return title_; }
  void SetIcon(const cBitmap& icon) override;
  void AppendSystemMenuItem(int32_t command, const char* text) override;
  cRect WindowRect() const override;
  cRect ClientRect() const override;
  void MoveWindow(const cRect& rect, bool repaint) override;
  void SetMinimumSize(int32_t width, int32_t height) override;
  cRect DialogUnitsToPixels(const cRect& dialog_units) const override;
  void Show(bool show) override;
  bool IsVisible() const override;
  void Activate() override;
  void Repaint() override;
  void SetAlwaysOnTop(bool on) override;
  bool IsAlwaysOnTop() const override;
  int32_t RunModal() override;
  void EndDialog(int32_t result) override;

  QDialog* Dialog() const { return dialog_; }
  // A window of its own, not a view placed inside another window.
  bool IsTopLevel() const { return top_level_; }
  cWindowEvents* Events() const { return events_; }
  // The id of the control that holds the widget (itself or an ancestor), or 0.
  int32_t ControlIdOf(QWidget* widget) const;
  // The system menu's entries, shown from a right click on the window's own background.
  void ShowSystemMenu(const QPoint& screen_point);

 private:
  cQtWindow(cQtToolkit& toolkit, const cDialogLayout& layout, QWidget* parent, bool top_level);
  bool AddControl(const cControlLayout& layout);
  void Notify(int32_t id, eCommandEvent event);
  // Each time `sender` emits `signal`, control `id` reports `event`.
  template <class Sender, class Signal>
  void NotifyOn(Sender* sender, Signal signal, int32_t id, eCommandEvent event) {
    QObject::connect(sender, signal, dialog_, [this, id, event] { Notify(id, event); });
  }
  void NotifyPressed(int32_t id, bool pressed);

  cQtToolkit& toolkit_;
  const bool top_level_;
  QPointer<cQtDialogWidget> dialog_;  // a child window's host may delete it first
  swString title_;
  int32_t base_x_ = 8;  // dialog base units of the dialog's font
  int32_t base_y_ = 16;
  cWindowEvents* events_ = nullptr;
  std::vector<std::unique_ptr<cControl>> controls_;
  std::map<int32_t, cControl*> by_id_;
  std::map<QWidget*, int32_t> id_of_widget_;
  QLabel* last_label_ = nullptr;  // while the layout is built: the label just added
  struct cSystemMenuItem {
    int32_t command;
    swString text;
  };
  std::vector<cSystemMenuItem> system_menu_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_WINDOW_H_
