#include "classroom_widgets/qtmessagetab.h"

#include "widgets/qtbackimagebutton.h"

#include <QHBoxLayout>

namespace {
const QSize kTabSize(124, 43);
const QString kSelectedImage = QStringLiteral("message_tab_selected");
const QString kUnselectedImage = QStringLiteral("message_tab");
} // namespace

QtMessageTab::QtMessageTab(QWidget *parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setStyleSheet(QStringLiteral("background-color: white;"));
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  btnMessage = addTab("btnMessage", QStringLiteral("讨论区"));
  btnMember = addTab("btnMember", QStringLiteral("成员"));
  row->addWidget(btnMessage);
  row->addWidget(btnMember);
  connect(btnMessage, &QPushButton::clicked, this, &QtMessageTab::btnMessageClicked);
  connect(btnMember, &QPushButton::clicked, this, &QtMessageTab::btnMemberClicked);
  select(btnMessage, btnMember);
}

QString QtMessageTab::selectedCaptionStyle() {
  return QStringLiteral("color:#251B18; font: 75 16px \"微软雅黑\";");
}

QString QtMessageTab::unselectedCaptionStyle() {
  return QStringLiteral("color:#CCCCCC; font: 75 16px \"微软雅黑\";");
}

QtBackImageButton *QtMessageTab::addTab(const char *objectName, const QString &caption) {
  auto *button = new QtBackImageButton(kUnselectedImage, this);
  button->setObjectName(QString::fromLatin1(objectName));
  button->setHoverImages(false);
  button->setFixedSize(kTabSize);
  button->setCaptionText(caption);
  return button;
}

void QtMessageTab::select(QtBackImageButton *chosen, QtBackImageButton *other) {
  chosen->setImageName(kSelectedImage);
  chosen->setCaptionStyle(selectedCaptionStyle());
  other->setImageName(kUnselectedImage);
  other->setCaptionStyle(unselectedCaptionStyle());
}

void QtMessageTab::btnMessageClicked() {
  select(btnMessage, btnMember);
  emit messageViewRequested();
}

void QtMessageTab::btnMemberClicked() {
  select(btnMember, btnMessage);
  emit memberViewRequested();
}
