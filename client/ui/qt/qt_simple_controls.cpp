#include "client/ui/qt/qt_simple_controls.h"

#include <algorithm>

#include <QRegularExpressionValidator>

namespace hv {

cQtLabel::cQtLabel(QWidget* parent, const cControlLayout& layout)
    : tQtControl<cControl>(new QLabel(parent), layout), label_(static_cast<QLabel*>(Widget())) {
  label_->setTextFormat(Qt::PlainText);
  const bool wrap = (layout.styles & kLabelWordWrap) != 0;
  label_->setWordWrap(wrap);
  label_->setAlignment(
      ((layout.styles & kLabelRightAligned) != 0 ? Qt::AlignRight : Qt::AlignLeft) |
      (wrap ? Qt::AlignTop : Qt::AlignVCenter));
  SetText(layout.caption);
}

cQtFrame::cQtFrame(QWidget* parent, const cControlLayout& layout)
    : tQtControl<cControl>(new QFrame(parent), layout) {}

cQtEdit::cQtEdit(QWidget* parent, const cControlLayout& layout)
    : tQtControl<cControl>(new QLineEdit(parent), layout),
      edit_(static_cast<QLineEdit*>(Widget())) {
  edit_->setReadOnly((layout.styles & kEditReadOnly) != 0);
  if ((layout.styles & kEditPassword) != 0) edit_->setEchoMode(QLineEdit::Password);
  if ((layout.styles & kEditNumber) != 0) {
    edit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
  }
  SetText(layout.caption);
}

void cQtEdit::SetText(const char* text) {
  const bool was_setting = setting_text_;
  setting_text_ = true;
  edit_->setText(DecodeText(text));
  setting_text_ = was_setting;
}

void cQtEdit::OnUserEdit(QObject* context, const std::function<void()>& action) {
  // textEdited misses text that arrives through the accessibility bus, which is set with
  // setText like the program's own; only the program's changes are told apart here.
  QObject::connect(edit_, &QLineEdit::textChanged, context, [this, action] {
    if (!setting_text_) action();
  });
}

swString cQtEdit::Text() const { return EncodeText(edit_->text()); }

cQtProgressBar::cQtProgressBar(QWidget* parent, const cControlLayout& layout)
    : tQtControl<cProgressBar>(new QProgressBar(parent), layout),
      bar_(static_cast<QProgressBar*>(Widget())) {
  bar_->setRange(0, kFull);
  bar_->setValue(0);
}

void cQtProgressBar::SetPosition(int32_t position) {
  bar_->setValue(std::clamp(position, 0, static_cast<int32_t>(kFull)));
}

cQtTextArea::cQtTextArea(QWidget* parent, const cControlLayout& layout)
    : tQtControl<cControl>(new QPlainTextEdit(parent), layout),
      edit_(static_cast<QPlainTextEdit*>(Widget())) {
  edit_->setReadOnly((layout.styles & kEditReadOnly) != 0);
  SetText(layout.caption);
}

void cQtTextArea::SetText(const char* text) {
  KeepText(text != nullptr ? text : "");
  edit_->setPlainText(CaptionText(text));
}

swString cQtTextArea::Text() const {
  // Nobody can change a read-only area: its text is the program's own, byte for byte.
  if (edit_->isReadOnly()) return tQtControl<cControl>::Text();
  // What the user typed, with the program's CR LF line ends.
  QString text = edit_->toPlainText();
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return EncodeText(text);
}

}  // namespace hv
