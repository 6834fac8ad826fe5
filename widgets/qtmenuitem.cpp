#include "widgets/qtmenuitem.h"

#include "ui_qtmenuitem.h"
#include "widgets/qtimagebutton.h"

#include <QMouseEvent>

QtMenuItem::QtMenuItem(QWidget *parent) : QWidget(parent), ui(new Ui::QtMenuItem) {
  ui->setupUi(this);
  ui->labelText->setStyleSheet(textStyle());
  ui->widgetRow->setAttribute(Qt::WA_StyledBackground);
  setCursor(Qt::PointingHandCursor);
  setHovered(false);
}

QtMenuItem::QtMenuItem(const QString &iconName, const QString &text, QWidget *parent)
    : QtMenuItem(parent) {
  setIconName(iconName);
  setText(text);
}

QtMenuItem::~QtMenuItem() { delete ui; }

QString QtMenuItem::textStyle() {
  return QStringLiteral("color: rgb(37, 27, 24);\nfont: 75 12px \"微软雅黑\";");
}

QString QtMenuItem::hoverStyle() { return QStringLiteral("background-color: rgb(235, 236, 237);"); }

void QtMenuItem::setIconName(const QString &name) {
  m_iconName = name;
  ui->labelIcon->setPixmap(QPixmap(QtImageButton::resourcePath(name + QStringLiteral(".png"))));
}

void QtMenuItem::setText(const QString &text) { ui->labelText->setText(text); }

QString QtMenuItem::text() const { return ui->labelText->text(); }

void QtMenuItem::setSeparatorVisible(bool visible) { ui->lineSeparator->setVisible(visible); }

QLabel *QtMenuItem::labelIcon() const { return ui->labelIcon; }

QLabel *QtMenuItem::labelText() const { return ui->labelText; }

void QtMenuItem::setHovered(bool hovered) {
  m_hovered = hovered;
  // The style is set on the row by object name so that it does not cascade onto the labels.
  ui->widgetRow->setStyleSheet(hovered ? QStringLiteral("#widgetRow { %1 }").arg(hoverStyle())
                                       : QStringLiteral("#widgetRow { background: transparent; }"));
}

void QtMenuItem::enterEvent(QEvent *event) {
  QWidget::enterEvent(event);
  setHovered(true);
}

void QtMenuItem::leaveEvent(QEvent *event) {
  QWidget::leaveEvent(event);
  setHovered(false);
}

void QtMenuItem::mousePressEvent(QMouseEvent *event) {
  // Accepting the press makes the release come here.
  event->accept();
}

void QtMenuItem::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->pos())) emit clicked();
}
