#include "widgets/qtmessageview.h"

#include "ui_qtmessageview.h"
#include "widgets/exlabel.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtimagebutton.h"

#include <QFontMetrics>
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

void QtMessageView::setMessage(const QString &text) {
  ui->labelMessage->setText(text);
  fitMessage();
}

void QtMessageView::fitMessage() {
  // A wrapping label would otherwise settle on a narrow column: short texts keep one line,
  // longer ones wrap at the label's widest. The style sheet's font counts, so this runs
  // again once the label is polished.
  ExLabel *label = ui->labelMessage;
  const QFontMetrics metrics(label->font());
  int widest = 0;
  for (const QString &line : label->text().split(QLatin1Char('\n')))
    widest = qMax(widest, metrics.horizontalAdvance(line));
  const int padding = 2 * 10 + 8; // the style sheet's padding, and room for rounding
  label->setMinimumWidth(qMin(label->maximumWidth(), widest + padding));
}

void QtMessageView::showEvent(QShowEvent *event) {
  fitMessage();
  QWidget::showEvent(event);
}

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
