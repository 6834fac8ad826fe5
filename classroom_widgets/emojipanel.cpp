#include "classroom_widgets/emojipanel.h"

#include "classroom_widgets/emojilabel.h"
#include "classroom_widgets/textedit.h"

#include <QGridLayout>
#include <QPixmap>

EmojiPanel::EmojiPanel(QWidget *parent) : QScrollArea(parent) {
  auto *grid = new QWidget(this);
  grid->setObjectName(QStringLiteral("emojiGrid"));
  grid->setFixedHeight(kGridHeight);
  auto *layout = new QGridLayout(grid);
  for (int n = 1; n <= TextEdit::kFaceCount; ++n) {
    auto *label = new EmojiLabel(n, grid);
    label->setObjectName(QStringLiteral("emoji%1").arg(TextEdit::emojiCode(n)));
    label->setPixmap(QPixmap(TextEdit::emojiImagePath(n)));
    label->setCursor(Qt::PointingHandCursor);
    const QPoint at = cellOf(n);
    layout->addWidget(label, at.y(), at.x());
    connect(label, &EmojiLabel::clicked, this, &EmojiPanel::faceClicked);
  }
  setWidget(grid);
  setWidgetResizable(true);
}

QPoint EmojiPanel::cellOf(int faceIndex) { return {(faceIndex - 1) % kColumns, (faceIndex - 1) / kColumns}; }

EmojiLabel *EmojiPanel::cell(int faceIndex) const {
  return widget()->findChild<EmojiLabel *>(QStringLiteral("emoji%1").arg(TextEdit::emojiCode(faceIndex)));
}
