// tQtControl: the cControl operations over a Qt widget, shared by every kind through this
// template. Captions are kept as the program gave them, so Text() returns exactly what
// SetText() was given; kinds the user types into read their widget instead.
#ifndef HV_CLIENT_UI_QT_QT_CONTROL_H_
#define HV_CLIENT_UI_QT_QT_CONTROL_H_

#include <QPalette>
#include <QStyle>
#include <QWidget>

#include "client/ui/control.h"
#include "client/ui/dialog_layout.h"
#include "client/ui/qt/text_codec.h"

namespace hv {

// The widget behind any control of this realisation.
class cQtWidgetHolder {
 public:
  virtual ~cQtWidgetHolder() = default;
  virtual QWidget* Widget() const = 0;
};

// A caption as Qt shows it: line breaks of the layouts are "\r\n".
inline QString CaptionText(const char* text) {
  QString caption = DecodeText(text);
  caption.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return caption;
}

template <class Interface>
class tQtControl : public Interface, public cQtWidgetHolder {
 public:
  tQtControl(QWidget* widget, const cControlLayout& layout)
      : widget_(widget), id_(layout.id), kind_(layout.kind), styles_(layout.styles) {}

  QWidget* Widget() const override { return widget_; }
  int32_t Id() const override { return id_; }
  void SetText(const char* text) override {
    text_ = text;
    ShowText(CaptionText(text));
  }
  swString Text() const override { return text_; }
  void Show(bool show) override { widget_->setVisible(show); }
  bool IsVisible() const override { return !widget_->isHidden(); }
  void Enable(bool enable) override { widget_->setEnabled(enable); }
  bool IsEnabled() const override { return widget_->isEnabled(); }
  void Move(const cRect& rect, bool repaint) override {
    widget_->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    if (repaint) widget_->update();
  }
  cRect Rect() const override {
    const QRect r = widget_->geometry();
    return cRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }
  void SetFocus() override { widget_->setFocus(Qt::OtherFocusReason); }
  bool HasFocus() const override { return widget_->hasFocus(); }
  void SetTextColour(uint32_t rgb) override {
    colour_ = rgb;
    QPalette palette = widget_->palette();
    const QColor colour =
        rgb == kDefaultColour
            ? widget_->style()->standardPalette().color(QPalette::WindowText)
            : QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                     static_cast<int>(rgb & 0xFF));
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget_->setPalette(palette);
  }
  uint32_t TextColour() const override { return colour_; }

  eControlKind Kind() const { return kind_; }
  uint32_t Styles() const { return styles_; }

 protected:
  // Puts the caption on the widget; kinds without one ignore it.
  virtual void ShowText(const QString& /*text*/) {}
  // For kinds whose widget holds the text the user types.
  void KeepText(const swString& text) { text_ = text; }

 private:
  QWidget* widget_;  // owned by the window's widget tree
  const int32_t id_;
  const eControlKind kind_;
  const uint32_t styles_;
  swString text_;
  uint32_t colour_ = kDefaultColour;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_CONTROL_H_
