#include "widgets/popwindow.h"

#include "ui_popwindow.h"
#include "widgets/housefont.h"
#include "widgets/popshadow.h"
#include "widgets/qtimagebutton.h"

#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

PopWindow::PopWindow(QWidget *parent) : QDialog(parent), ui(new Ui::PopWindow) {
  // Every dialog depends on the house font; make sure it resolves before the first one.
  housefont::install();
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(420, 543);
  ui->btnClose->setImageName(QStringLiteral("pop_close"));
  ui->btnClose->setToolTip(QStringLiteral("关闭"));
  connect(ui->btnClose, &QPushButton::clicked, this, &PopWindow::onBtnCloseClicked);
  m_shadow = new PopShadow(this);
  layoutTitleBar();
}

PopWindow::~PopWindow() { delete ui; }

void PopWindow::setTitle(const QString &text) {
  ui->labelTitle->setText(text);
  setWindowTitle(text);
}

QString PopWindow::title() const { return ui->labelTitle->text(); }

QVBoxLayout *PopWindow::mainLayout() const { return ui->verticalLayout; }

QLabel *PopWindow::titleLabel() const { return ui->labelTitle; }

QtImageButton *PopWindow::closeButton() const { return ui->btnClose; }

void PopWindow::beforeClose() {}

void PopWindow::onBtnCloseClicked() {
  beforeClose();
  close();
}

void PopWindow::initWidget() {
  if (!isVisible()) return;
  followShadow();
  m_shadow->show();
  // The shadow must stay beneath the window it belongs to.
  raise();
}

void PopWindow::layoutTitleBar() {
  ui->labelTitle->setGeometry(0, 0, width(), 42);
  ui->btnClose->setGeometry(width() - 31, 11, 20, 20);
}

void PopWindow::followShadow() { m_shadow->follow(geometry()); }

void PopWindow::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  QTimer::singleShot(0, this, &PopWindow::initWidget);
}

void PopWindow::hideEvent(QHideEvent *event) {
  m_shadow->hide();
  QDialog::hideEvent(event);
}

void PopWindow::closeEvent(QCloseEvent *event) {
  QDialog::closeEvent(event);
  if (event->isAccepted()) m_shadow->hide();
}

void PopWindow::moveEvent(QMoveEvent *event) {
  QDialog::moveEvent(event);
  followShadow();
}

void PopWindow::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  layoutTitleBar();
  followShadow();
}

void PopWindow::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  // Let the window system move the window as if its caption were dragged; where it cannot,
  // an ordinary drag of the frameless window does the same.
  if (QWidget *grabber = mouseGrabber()) grabber->releaseMouse();
  QWindow *handle = windowHandle();
  if (handle && handle->startSystemMove()) {
    event->ignore();
    return;
  }
  m_dragging = true;
  m_dragOffset = event->globalPos() - frameGeometry().topLeft();
  event->accept();
}

void PopWindow::mouseMoveEvent(QMouseEvent *event) {
  if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
    QDialog::mouseMoveEvent(event);
    return;
  }
  move(event->globalPos() - m_dragOffset);
  event->accept();
}

void PopWindow::mouseReleaseEvent(QMouseEvent *event) {
  m_dragging = false;
  QDialog::mouseReleaseEvent(event);
}
