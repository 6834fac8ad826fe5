#include "widgets/popwindow.h"

#include "ui_popwindow.h"
#include "widgets/housefont.h"
#include "widgets/popshadow.h"
#include "widgets/qtimagebutton.h"
#include "widgets/shadowfollower.h"
#include "widgets/windowdragger.h"

#include <QMouseEvent>

PopWindow::PopWindow(QWidget *parent) : QDialog(parent), ui(new Ui::PopWindow) {
  // Every dialog depends on the house font; make sure it resolves before the first one.
  housefont::install();
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(420, 543);
  ui->btnClose->setImageName(QStringLiteral("pop_close"));
  ui->btnClose->setToolTip(QStringLiteral("关闭"));
  connect(ui->btnClose, &QPushButton::clicked, this, &PopWindow::onBtnCloseClicked);
  m_chrome = new ShadowFollower(this);
  layoutTitleBar();
}

PopWindow::~PopWindow() { delete ui; }

void PopWindow::setTitle(const QString &text) {
  ui->labelTitle->setText(text);
  setWindowTitle(text);
}

QString PopWindow::title() const { return ui->labelTitle->text(); }

PopShadow *PopWindow::shadow() const { return m_chrome->shadow(); }

QVBoxLayout *PopWindow::mainLayout() const { return ui->verticalLayout; }

QLabel *PopWindow::titleLabel() const { return ui->labelTitle; }

QtImageButton *PopWindow::closeButton() const { return ui->btnClose; }

void PopWindow::beforeClose() {}

void PopWindow::onBtnCloseClicked() {
  beforeClose();
  close();
}

void PopWindow::initWidget() { m_chrome->showShadow(); }

void PopWindow::layoutTitleBar() {
  ui->labelTitle->setGeometry(0, 0, width(), 42);
  ui->btnClose->setGeometry(width() - 31, 11, 20, 20);
}

void PopWindow::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  layoutTitleBar();
}

// A press that reaches the frame itself (no child took it) drags the window.
void PopWindow::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  WindowDragger::start(this, event);
  event->ignore();
}
