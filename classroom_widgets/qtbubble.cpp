#include "classroom_widgets/qtbubble.h"

#include "widgets/compositing.h"

#include <QBitmap>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace {
// The pictures are 40 pixels high; the body (where the text goes) is their top 28 pixels.
constexpr int kHeight = 40;
constexpr int kBodyHeight = 28;

QString picture(const QString &file) { return QStringLiteral(":/res/Resources/") + file; }
} // namespace

QtBubble::QtBubble(QWidget *parent) : QWidget(parent) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedHeight(kHeight);

  labelLeft = addPicture("labelLeft", QStringLiteral("bubble_left.png"), false);
  labelBodyLeft = addPicture("labelBodyLeft", QStringLiteral("bubble_body.png"), true);
  labelCenter = addPicture("labelCenter", QStringLiteral("bubble_center.png"), false);
  labelBodyRight = addPicture("labelBodyRight", QStringLiteral("bubble_body.png"), true);
  labelRight = addPicture("labelRight", QStringLiteral("bubble_right.png"), false);

  labelText = new QLabel(this);
  labelText->setObjectName(QStringLiteral("labelText"));
  labelText->setAlignment(Qt::AlignCenter);
  labelText->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);\nfont: 9pt \"微软雅黑\";"));
  setFixedWidth(0);
}

QLabel *QtBubble::addPicture(const char *name, const QString &file, bool stretched) {
  auto *label = new QLabel(this);
  label->setObjectName(QString::fromLatin1(name));
  label->setPixmap(QPixmap(picture(file)));
  label->setScaledContents(stretched);
  return label;
}

void QtBubble::setText(const QString &text, int width) {
  setFixedWidth(width);
  labelText->setFixedWidth(width);
  labelText->setText(text);
  layoutRow();
  show();
}

QString QtBubble::text() const { return labelText->text(); }

void QtBubble::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  layoutRow();
}

// Caps and tip keep their pictures' widths; the two bodies share what is left. A bubble too
// narrow for its caps (the hidden bubble has width 0) shows no picture at all.
void QtBubble::layoutRow() {
  const int w = width();
  const int left = labelLeft->pixmap(Qt::ReturnByValue).width();
  const int right = labelRight->pixmap(Qt::ReturnByValue).width();
  const int tip = labelCenter->pixmap(Qt::ReturnByValue).width();
  const bool fits = w >= left + right + tip;
  for (QLabel *l : {labelLeft, labelBodyLeft, labelCenter, labelBodyRight, labelRight}) l->setVisible(fits);
  labelText->setGeometry(0, 0, w, kBodyHeight);
  if (!fits) return;
  const int bodies = w - left - right - tip;
  const int bodyLeft = bodies / 2;
  labelLeft->setGeometry(0, 0, left, kHeight);
  labelBodyLeft->setGeometry(left, 0, bodyLeft, kHeight);
  labelCenter->setGeometry(left + bodyLeft, 0, tip, kHeight);
  labelBodyRight->setGeometry(left + bodyLeft + tip, 0, bodies - bodyLeft, kHeight);
  labelRight->setGeometry(w - right, 0, right, kHeight);
  if (!compositing::translucentWindowsBlend()) shapeToPictures();
}

// Without a compositing manager the transparent parts would show black: cut the window to
// the shape of its pictures instead.
void QtBubble::shapeToPictures() {
  QImage shape(size(), QImage::Format_ARGB32_Premultiplied);
  shape.fill(Qt::transparent);
  {
    QPainter p(&shape);
    for (QLabel *l : {labelLeft, labelBodyLeft, labelCenter, labelBodyRight, labelRight})
      p.drawPixmap(l->geometry(), l->pixmap(Qt::ReturnByValue));
  }
  setMask(QBitmap::fromImage(shape.createAlphaMask()));
}
