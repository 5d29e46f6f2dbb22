// Push buttons, check boxes and picture buttons of the Qt realisation.
#ifndef HV_CLIENT_UI_QT_QT_BUTTON_H_
#define HV_CLIENT_UI_QT_QT_BUTTON_H_

#include <QAbstractButton>
#include <QImage>
#include <functional>

#include "client/ui/button.h"
#include "client/ui/qt/qt_control.h"

namespace hv {

// Draws its picture stretched over the whole button, or at its own size at the top-left.
class cQtPictureButtonWidget : public QAbstractButton {
 public:
  explicit cQtPictureButtonWidget(QWidget* parent) : QAbstractButton(parent) {}
  void SetPicture(QImage picture, bool stretch);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  bool stretch_ = false;
};

class cQtButton : public tQtControl<cButton> {
 public:
  cQtButton(QWidget* parent, const cControlLayout& layout);

  // Runs `action` (in the thread of `context`, while it lives) once for every press of a
  // push button and every change of a check box that the user makes, by mouse, keyboard or
  // the accessibility interface (whose Toggle action changes a box without a click).
  // Changes the program makes with SetCheck do not run it.
  void OnUserAction(QObject* context, const std::function<void()>& action);

  void SetCheck(int32_t state) override;
  int32_t GetCheck() const override;
  void SetPicture(const cBitmap* picture, bool stretch) override;

  QAbstractButton* Button() const { return button_; }

 protected:
  void ShowText(const QString& text) override;

 private:
  QAbstractButton* button_;
  bool setting_check_ = false;  // the program itself is changing the box
};

// The picture as a QImage of its own (the bitmap may go away); null image for null.
QImage ImageFromBitmap(const cBitmap* bitmap);

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_BUTTON_H_
