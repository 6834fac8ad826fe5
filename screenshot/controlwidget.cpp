#include "screenshot/controlwidget.h"
#include "screenshot/oescreen.h"
#include "screenshot/shotgeometry.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace {
const QString kIconDir = QStringLiteral(":/res/Resources/oescreenshot/");
constexpr int kButtonSide = 25;
constexpr int kFinishWidth = 60;
constexpr int kChosenOffset = 6;

QString iconName(int n) { return QStringLiteral("control_%1.jpg").arg(n, 2, 10, QLatin1Char('0')); }
} // namespace

ControlWidget::ControlWidget(OEScreen *screen, QWidget *parent) : QWidget(parent), m_screen(screen) {
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addStretch();
  addToolButton("rectangleBtn", QStringLiteral("画矩形"), 1);
  addToolButton("drawRoundBtn", QStringLiteral("画圆"), 2);
  addToolButton("arrowBtn", QStringLiteral("画箭头"), 3);
  addToolButton("drawLineBtn", QStringLiteral("画笔"), 4);
  QToolButton *cancel = addButton("cancelBtn", QStringLiteral("退出截图"), iconName(5));
  QToolButton *finish = addButton("finishBtn", QStringLiteral("完成截图"), iconName(6));
  finish->setText(QStringLiteral("完成"));
  finish->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  finish->setFixedWidth(kFinishWidth);
  connect(cancel, &QToolButton::clicked, this, &ControlWidget::cancelBtn_slot);
  connect(finish, &QToolButton::clicked, this, &ControlWidget::finishBtn_slot);
  QMetaObject::connectSlotsByName(this);
}

QToolButton *ControlWidget::addButton(const char *name, const QString &tip, const QString &icon) {
  auto *button = new QToolButton(this);
  button->setObjectName(QLatin1String(name));
  button->setToolTip(tip);
  button->setIcon(QIcon(kIconDir + icon));
  button->setAutoRaise(true);
  button->setFixedHeight(kButtonSide);
  button->setMinimumWidth(kButtonSide);
  layout()->addWidget(button);
  return button;
}

// The drawing tools show which one is chosen: icon n, and n + 6 while checked.
void ControlWidget::addToolButton(const char *name, const QString &tip, int icon) {
  QToolButton *button = addButton(name, tip, iconName(icon));
  QIcon states = button->icon();
  states.addFile(kIconDir + iconName(icon + kChosenOffset), QSize(), QIcon::Normal, QIcon::On);
  button->setIcon(states);
  button->setCheckable(true);
  button->setAutoExclusive(true);
}

QWidget *ControlWidget::createBar(OEScreen *screen) {
  // The bar never takes the keyboard, so Escape and Enter keep reaching the tool.
  auto *bar = new QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                                       Qt::WindowDoesNotAcceptFocus);
  bar->setAttribute(Qt::WA_ShowWithoutActivating);
  bar->setObjectName(QStringLiteral("control"));
  bar->setAttribute(Qt::WA_StyledBackground);
  bar->setStyleSheet(QStringLiteral("QWidget#control{                               background-color: #eaecf0;}"));
  bar->setFixedSize(shotgeometry::kControlBarSize);
  auto *row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(new ControlWidget(screen, bar));
  return bar;
}

void ControlWidget::on_rectangleBtn_clicked() { m_screen->showDrawingLayer(QSLabel::Rectangle); }

void ControlWidget::on_drawRoundBtn_clicked() { m_screen->showDrawingLayer(QSLabel::Ellipse); }

void ControlWidget::on_arrowBtn_clicked() { m_screen->showDrawingLayer(QSLabel::Arrow); }

void ControlWidget::on_drawLineBtn_clicked() { m_screen->showDrawingLayer(QSLabel::Pen); }

void ControlWidget::cancelBtn_slot() {
  window()->close();
  m_screen->quitScreenshot();
}

void ControlWidget::finishBtn_slot() {
  m_screen->onSaveScreen();
  window()->close();
}
