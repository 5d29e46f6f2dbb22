#include "client/ui/qt/qt_file_dialog.h"

#include <QFile>
#include <QFileDialog>

#include "client/ui/qt/qt_window.h"
#include "client/ui/qt/text_codec.h"

namespace hv {

bool cQtFileDialog::AskSaveFileName(cWindow* owner, const char* caption, const char* suggested,
                                    const char* filter, swString* path) {
  if (!answers_.empty()) {
    const std::optional<swString> answer = answers_.front();
    answers_.pop_front();
    if (!answer.has_value()) return false;
    *path = *answer;
    return true;
  }
  auto* window = dynamic_cast<cQtWindow*>(owner);
  // A suggested path is the file system's bytes; the dialog shows them as the desktop does.
  const QString chosen = QFileDialog::getSaveFileName(
      window != nullptr ? window->Dialog() : nullptr, DecodeText(caption),
      QFile::decodeName(suggested != nullptr ? suggested : ""), DecodeText(filter));
  if (chosen.isEmpty()) return false;
  const QByteArray bytes = QFile::encodeName(chosen);
  *path = swString(bytes.constData());
  return true;
}

}  // namespace hv
