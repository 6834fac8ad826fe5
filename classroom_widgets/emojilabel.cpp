#include "classroom_widgets/emojilabel.h"

EmojiLabel::EmojiLabel(int faceIndex, QWidget *parent) : QLabel(parent), faceIndex_(faceIndex) {}

void EmojiLabel::mousePressEvent(QMouseEvent *event) {
  QLabel::mousePressEvent(event);
  int index = faceIndex_;
  emit clicked(index);
}
