#include "classroom_widgets/qtmessagetoolbar.h"

#include "widgets/qtimagebutton.h"

#include <QHBoxLayout>

QtMessageToolBar::QtMessageToolBar(QWidget *parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setStyleSheet(QStringLiteral("background-color: white;"));
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(8, 0, 8, 0);
  auto *emoji = addButton("btnEmoji", QStringLiteral("emoticon"), QStringLiteral("表情"));
  auto *shot = addButton("btnScreenShot", QStringLiteral("screen_shot"), QStringLiteral("截图 (Ctrl+Shift+A)"));
  row->addWidget(emoji);
  row->addWidget(shot);
  row->addStretch();
  connect(emoji, &QPushButton::clicked, this, &QtMessageToolBar::btnEmojiClicked);
  connect(shot, &QPushButton::clicked, this, &QtMessageToolBar::btnScreenShotClicked);
}

QtImageButton *QtMessageToolBar::addButton(const char *objectName, const QString &image, const QString &tip) {
  auto *button = new QtImageButton(image, this);
  button->setObjectName(QString::fromLatin1(objectName));
  button->setFixedSize(kButtonSide, kButtonSide);
  button->setToolTip(tip);
  return button;
}

void QtMessageToolBar::btnEmojiClicked() { emit emojiRequested(); }

void QtMessageToolBar::btnScreenShotClicked() { emit screenShotRequested(); }
