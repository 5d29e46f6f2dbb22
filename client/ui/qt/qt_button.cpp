#include "client/ui/qt/qt_button.h"

#include <QCheckBox>
#include <QIcon>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include "client/picture/bitmap.h"
#include "client/ui/qt/double_size_icon.h"

namespace hv {

namespace {

QAbstractButton* MakeButton(QWidget* parent, const cControlLayout& layout) {
  switch (layout.kind) {
    case eControlKind::kCheckBox: return new QCheckBox(parent);
    case eControlKind::kRadioButton: return new QRadioButton(parent);
    case eControlKind::kPictureButton: return new cQtPictureButtonWidget(parent);
    case eControlKind::kDefaultButton: {
      auto* button = new QPushButton(parent);
      button->setDefault(true);
      return button;
    }
    default: return new QPushButton(parent);
  }
}

}  // namespace

QImage ImageFromBitmap(const cBitmap* bitmap) {
  if (bitmap == nullptr || bitmap->IsEmpty()) return QImage();
  // The bitmap's pixels are 0xAARRGGBB words, which is QImage::Format_ARGB32; copy() detaches
  // the image from the bitmap's memory.
  return QImage(reinterpret_cast<const uchar*>(bitmap->Pixels()), static_cast<int>(bitmap->Width()),
                static_cast<int>(bitmap->Height()), static_cast<qsizetype>(bitmap->BytesPerLine()),
                QImage::Format_ARGB32)
      .copy();
}

void cQtPictureButtonWidget::SetPicture(QImage picture, bool stretch) {
  picture_ = std::move(picture);
  stretch_ = stretch;
  update();
}

void cQtPictureButtonWidget::paintEvent(QPaintEvent* /*event*/) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  if (stretch_) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
  } else {
    painter.drawImage(QPoint(0, 0), picture_);
  }
}

cQtButton::cQtButton(QWidget* parent, const cControlLayout& layout)
    : tQtControl<cButton>(MakeButton(parent, layout), layout),
      button_(static_cast<QAbstractButton*>(Widget())) {
  SetText(layout.caption);
}

namespace {

// The caption as a screen reader should say it: "&Setup" is "Setup", "&&" one "&".
QString WithoutMnemonic(const QString& caption) {
  QString name;
  name.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&')) {
      if (i + 1 >= caption.size()) break;
      ++i;
    }
    name.append(caption[i]);
  }
  return name;
}

}  // namespace

void cQtButton::ShowText(const QString& text) {
  if (Kind() != eControlKind::kPictureButton && button_->icon().isNull()) button_->setText(text);
  button_->setAccessibleName(WithoutMnemonic(text));
}

void cQtButton::OnUserAction(QObject* context, const std::function<void()>& action) {
  if (button_->isCheckable()) {
    // Every way a user changes a box passes through toggled; only clicks emit clicked. A radio
    // button that another one of its group clears was not chosen, so only its checking counts.
    const bool radio = Kind() == eControlKind::kRadioButton;
    QObject::connect(button_, &QAbstractButton::toggled, context, [this, action, radio](bool on) {
      if (!setting_check_ && (on || !radio)) action();
    });
  } else {
    QObject::connect(button_, &QAbstractButton::clicked, context, [action] { action(); });
  }
}

void cQtButton::SetCheck(int32_t state) {
  if (!button_->isCheckable()) return;
  const bool was_setting = setting_check_;
  setting_check_ = true;
  button_->setChecked(state != 0);
  setting_check_ = was_setting;
}

int32_t cQtButton::GetCheck() const {
  return button_->isCheckable() && button_->isChecked() ? 1 : 0;
}

void cQtButton::SetPicture(const cBitmap* picture, bool stretch) {
  if (auto* picture_button = dynamic_cast<cQtPictureButtonWidget*>(button_)) {
    picture_button->SetPicture(ImageFromBitmap(picture), stretch);
  } else if (Kind() == eControlKind::kPushButton || Kind() == eControlKind::kDefaultButton) {
    const QImage image = ImageFromBitmap(picture);
    button_->setIcon(hv::IconAtOneAndTwoTimes(image));
    if (!image.isNull()) button_->setIconSize(image.size());
    button_->setText(image.isNull() ? CaptionText(Text().CStr()) : QString());
  }
}

}  // namespace hv
