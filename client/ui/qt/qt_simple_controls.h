// Labels, frames, edits and progress bars of the Qt realisation.
#ifndef HV_CLIENT_UI_QT_QT_SIMPLE_CONTROLS_H_
#define HV_CLIENT_UI_QT_QT_SIMPLE_CONTROLS_H_

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <functional>

#include "client/ui/progress_bar.h"
#include "client/ui/qt/qt_control.h"

namespace hv {

class cQtLabel : public tQtControl<cControl> {
 public:
  cQtLabel(QWidget* parent, const cControlLayout& layout);

 protected:
  void ShowText(const QString& text) override { label_->setText(text); }

 private:
  QLabel* label_;
};

// An invisible area the code measures.
class cQtFrame : public tQtControl<cControl> {
 public:
  cQtFrame(QWidget* parent, const cControlLayout& layout);
};

class cQtEdit : public tQtControl<cControl> {
 public:
  cQtEdit(QWidget* parent, const cControlLayout& layout);
  void SetText(const char* text) override;
  swString Text() const override;
  // Runs `action` each time the user changes the text: typed, pasted, or set through the
  // accessibility bus (a screen reader, voice control); never for SetText.
  void OnUserEdit(QObject* context, const std::function<void()>& action);

 private:
  QLineEdit* edit_;
  bool setting_text_ = false;
};

// An edit of several lines.
class cQtTextArea : public tQtControl<cControl> {
 public:
  cQtTextArea(QWidget* parent, const cControlLayout& layout);
  void SetText(const char* text) override;
  swString Text() const override;

 private:
  QPlainTextEdit* edit_;
};

class cQtProgressBar : public tQtControl<cProgressBar> {
 public:
  cQtProgressBar(QWidget* parent, const cControlLayout& layout);
  void SetPosition(int32_t position) override;
  int32_t Position() const override { return bar_->value(); }

 private:
  QProgressBar* bar_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_SIMPLE_CONTROLS_H_
