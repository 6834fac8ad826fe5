#include "widgets/qtmessageview.h"

#include "ui_qtmessageview.h"
#include "widgets/exlabel.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtimagebutton.h"

#include <QPixmap>

QtMessageView::QtMessageView(QWidget *parent) : QWidget(parent), ui(new Ui::QtMessageView) {
  ui->setupUi(this);
  setAttribute(Qt::WA_StyledBackground);
  ui->btnOK->setImageName(QStringLiteral("yellow_button"));
  ui->btnCancel->setImageName(QStringLiteral("gray_button"));
  ui->btnCancel->setCaptionStyle(QtBackImageButton::defaultCaptionStyle() +
                                 QStringLiteral("\ncolor: rgb(102, 102, 102);"));
  ui->btnOK->setCaptionStyle(QtBackImageButton::defaultCaptionStyle() +
                             QStringLiteral("\ncolor: rgb(37, 27, 24);"));
  setButtonTexts(QStringLiteral("确定"), QStringLiteral("取消"));

  connect(ui->btnOK, &QPushButton::clicked, this, &QtMessageView::onBtnOKClicked);
  connect(ui->btnCancel, &QPushButton::clicked, this, &QtMessageView::onBtnCancelClicked);
  connect(ui->labelMessage, &ExLabel::mouseDoubleClick, this, &QtMessageView::onMessageDoubleClicked);
}

QtMessageView::~QtMessageView() { delete ui; }

void QtMessageView::setMessage(const QString &text) { ui->labelMessage->setText(text); }

QString QtMessageView::message() const { return ui->labelMessage->text(); }

void QtMessageView::setIconName(const QString &name) {
  ui->labelIcon->setPixmap(QPixmap(QtImageButton::resourcePath(name + QStringLiteral(".png"))));
}

void QtMessageView::setButtonTexts(const QString &okText, const QString &cancelText) {
  ui->btnOK->setCaptionText(okText);
  ui->btnCancel->setCaptionText(cancelText);
  ui->btnCancel->setVisible(!cancelText.isEmpty());
}

QLabel *QtMessageView::labelIcon() const { return ui->labelIcon; }

ExLabel *QtMessageView::labelMessage() const { return ui->labelMessage; }

QtBackImageButton *QtMessageView::btnOK() const { return ui->btnOK; }

QtBackImageButton *QtMessageView::btnCancel() const { return ui->btnCancel; }

void QtMessageView::onBtnOKClicked() { emit okClicked(); }

void QtMessageView::onBtnCancelClicked() { emit cancelClicked(); }

void QtMessageView::onMessageDoubleClicked() { emit messageDoubleClicked(); }
