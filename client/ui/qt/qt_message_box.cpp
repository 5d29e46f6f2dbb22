#include "client/ui/qt/qt_message_box.h"

#include <QMessageBox>

#include "client/ui/qt/qt_window.h"
#include "client/ui/qt/text_codec.h"

namespace hv {

cMessageBoxAnswer cQtMessageBox::Show(const char* text, const char* caption, cMessageBoxIcon icon,
                                      cMessageBoxButtons buttons, cWindow* owner) {
  ++shown_;
  if (!answers_.empty()) {
    const cMessageBoxAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  QMessageBox::Icon qt_icon = QMessageBox::NoIcon;
  switch (icon) {
    case cMessageBoxIcon::kInformation: qt_icon = QMessageBox::Information; break;
    case cMessageBoxIcon::kWarning: qt_icon = QMessageBox::Warning; break;
    case cMessageBoxIcon::kError: qt_icon = QMessageBox::Critical; break;
    case cMessageBoxIcon::kQuestion: qt_icon = QMessageBox::Question; break;
    case cMessageBoxIcon::kNone: break;
  }
  auto* window = dynamic_cast<cQtWindow*>(owner);
  const bool yes_no = buttons == cMessageBoxButtons::kYesNo;
  QMessageBox box(qt_icon, DecodeText(caption), DecodeText(text),
                  yes_no ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                  window != nullptr ? window->Dialog() : nullptr);
  box.setTextFormat(Qt::PlainText);
  const int chosen = box.exec();
  if (!yes_no) return cMessageBoxAnswer::kOk;
  return chosen == QMessageBox::Yes ? cMessageBoxAnswer::kYes : cMessageBoxAnswer::kNo;
}

}  // namespace hv
